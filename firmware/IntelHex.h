// SPDX-License-Identifier: MIT
#pragma once
// Reading an Intel HEX image as a linker writes it: every data byte with its
// address, and every address that more than one record writes.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kr::firmware {

struct HexImage {
    std::map<std::uint32_t, std::uint8_t> bytes;  // address -> the last byte written there
    std::vector<std::uint32_t> writtenTwice;  // each address written more than once, ascending, once each
};

// Reads records of type 00 (data), 01 (end), 02 (extended segment address)
// and 04 (extended linear address); addresses run past 0xFFFF when a record
// crosses it or an extended address is set. False with errorText naming the
// line when a record is malformed, its checksum is wrong, or a record type
// is unknown. Blank lines are skipped; nothing after the end record is read.
bool ReadIntelHex(std::string_view text, HexImage& image, std::u16string& errorText);

}  // namespace kr::firmware
