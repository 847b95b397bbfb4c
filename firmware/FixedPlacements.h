// SPDX-License-Identifier: MIT
#pragma once
// The constant data a project's C sources place at fixed code addresses
// ("__code __at (0x2683) U8 HidDeviceDesc[] = { ... };"), read back with
// their bytes as the compiler will emit them.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kr::firmware {

struct FixedPlacement {
    std::uint32_t address = 0;
    std::u16string name;
    std::vector<std::uint8_t> bytes;
};

// Every declaration of source placed with __at that has an initializer: an
// array or structure of bytes ("= { ... }") or one byte ("= VALUE;").
// Elements are numbers, character literals or names from defines.
// Declarations without an initializer (registers, bits, external data) are
// not placements of code and are skipped. False with errorText naming the
// declaration when an initializer cannot be read as bytes.
bool ReadFixedPlacements(std::u16string_view source, const std::map<std::u16string, long>& defines,
                         std::vector<FixedPlacement>& placements, std::u16string& errorText);

}  // namespace kr::firmware
