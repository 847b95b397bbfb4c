// SPDX-License-Identifier: MIT
#pragma once
// Where the user firmware of a KR7611 may put code: from the application
// start, where the system firmware enters it, to the end of the
// application's flash. Two windows in it hold only what the system firmware
// reads at fixed addresses.

#include <cstdint>
#include <vector>

namespace kr::firmware {

struct ReservedWindow {
    std::uint32_t first;
    std::uint32_t last;       // inclusive
    const char16_t* holds;    // what may lie there, as messages name it
};

struct MemoryMap {
    std::uint32_t applicationStart;
    std::uint32_t flashLast;   // inclusive
    std::vector<ReservedWindow> windows;
    std::uint32_t userDataStart;   // first internal RAM byte of the user's variables
};

// The USB descriptors (device 0x2683, configuration 0x2695, strings 0x26B7,
// report descriptor 0x27B3 of at most 425 bytes) and the configuration
// block at the top of the application's flash.
inline const MemoryMap kKR7611Memory{
    0x2600,
    0xF9FF,
    {{0x2683, 0x295C, u"the descriptor arrays"}, {0xF9EE, 0xF9FF, u"the configuration block"}},
    0x4A,
};

}  // namespace kr::firmware
