// SPDX-License-Identifier: MIT
#pragma once
// The renderings that every substitution key shares: a byte in hexadecimal,
// the body of a USB string descriptor, and a text made safe
// to quote inside a one-line comment of the generated C.

#include <cstdint>
#include <string>

namespace kr {

// "0x" and two upper-case hexadecimal digits of the low 8 bits of value.
std::u16string FormatHexByte(std::int64_t value);

// The largest value the 2-byte form of a Logical or Physical Minimum or
// Maximum item holds: hosts read the item's data as a signed number of its
// own size, so a 2-byte 40000 reads as -25536.
inline constexpr std::int64_t kLargestTwoByteItemValue = 32767;

// Bytes of a range item holding value: 3 in the 2-byte form, 5 in the 4-byte
// form that a value above 32767 takes.
int RangeItemBytes(std::int64_t value);

// A Logical or Physical Minimum or Maximum item holding value as C
// initializer text: "0x26, 0x00, 0x04" up to 32767, above it the 4-byte form
// "0x27, 0x40, 0x9C, 0x00, 0x00". prefix is the 2-byte form's prefix byte;
// the 4-byte form's is the next one. low and high, when given, are written
// for the two low bytes (the names of macros that hold them). value is
// taken as 0 to 0x7FFFFFFF, beyond which no host reads a positive number.
std::u16string FormatRangeItem(std::uint8_t prefix, std::int64_t value, const std::u16string& low = {},
                               const std::u16string& high = {});

// Number of UTF-16 slots in a string descriptor body: 126 bytes in all, of
// which 2 are the length and type header.
inline constexpr int kStringDescriptorSlots = 62;

// The 126 bytes of a string descriptor as C initializer text, in eight lines
// of three-blank indented "0x..,0x.., " pairs joined by CR LF, the last line
// ending in ", ". The text's UTF-16 code units fill the slots from the start;
// a longer text is cut to the first 62 units (one less when that would split
// a surrogate pair) and the length byte counts only what is written. Printable
// ASCII appears as character literals, quote and backslash escaped; every
// other unit as its two bytes, low byte first, so the file stays plain C in
// any 8-bit code page.
std::u16string FormatStringDescriptorBody(const std::u16string& text);

// The text with every control character (C0, DEL, C1) replaced by a blank,
// so that quoting it in a comment line cannot end the line early.
std::u16string CommentSafeText(const std::u16string& text);

}  // namespace kr
