// SPDX-License-Identifier: MIT
#pragma once
// Checking a linked image, from its bytes and the linker's messages, against
// the chip's memory map.

#include <string>
#include <string_view>
#include <vector>

#include "firmware/IntelHex.h"
#include "firmware/MemoryMap.h"

namespace kr::firmware {

// One sentence per broken rule, naming the addresses; empty when the image
// holds. The rules: no address is written twice; the reset vector at the
// application start is a jump; no byte lies outside the application's flash;
// linkerOutput reports no overlap of areas. What lies in the reserved
// windows is judged with the link's placements (MemoryContract.h).
std::vector<std::u16string> CheckImage(const HexImage& image, std::string_view linkerOutput, const MemoryMap& memory);

// "0x2683-0x2690, 0x26A0": ascending addresses as runs.
std::u16string AddressRuns(const std::vector<std::uint32_t>& addresses);

// "0x2683".
std::u16string Address(std::uint32_t address);

}  // namespace kr::firmware
