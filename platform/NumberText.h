// SPDX-License-Identifier: MIT
#pragma once
// Numbers as text, the way every layer above writes them into messages,
// listings, save files and generated files. The one home of number-to-text
// conversion: each function takes one integer type wide enough for every
// value the program formats, so any integer argument picks it unambiguously.

#include <cstdint>
#include <string>

namespace kr::platform {

// Signed decimal, no leading zeros or blanks.
std::u16string FormatDecimal(std::int64_t value);

// Upper-case hexadecimal digits, zero-padded to at least digits of them, no
// prefix: FormatHex(0xA, 2) is "0A".
std::u16string FormatHex(std::uint32_t value, int digits);

// "0x" followed by FormatHex: FormatHexLiteral(0xA, 2) is "0x0A".
std::u16string FormatHexLiteral(std::uint32_t value, int digits);

}  // namespace kr::platform
