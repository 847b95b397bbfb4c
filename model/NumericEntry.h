// SPDX-License-Identifier: MIT
#pragma once
// Numbers typed into edit boxes: how a box's text is read into a field, how a
// field is shown in its box, and the range and length checks applied when a
// page commits. Pure functions with the exact texts the user is shown; the
// widget binding lives in the user interface.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kr {

// The four kinds of numeric edit box: decimal 16-bit and 32-bit, hexadecimal
// 8-bit and 16-bit.
enum class NumberKind { DecimalWord, DecimalDWord, HexByte, HexWord };

inline constexpr char16_t kMsgPositiveInteger[] = u"Please enter a positive integer.";
inline constexpr char16_t kMsgHexadecimal[] = u"Please enter a hexadecimal value.";
inline constexpr char16_t kMsgValueOverflow[] = u"Value overflow";

// The outcome of reading a box: the value, or the message that refuses it.
struct EntryResult {
    bool ok = false;
    std::uint32_t value = 0;
    std::u16string message;
};

// Reads the whole text of a box. Only the kind's digits are accepted (no
// sign, blank, prefix or exponent; leading zeros are fine); an empty text
// reads as 0. A value that does not fit the kind's field, and any number of
// 4294967295 or more, is an overflow.
EntryResult ParseEntry(NumberKind kind, std::u16string_view text);

// The text a box shows for a value: plain decimal, or upper-case hexadecimal
// zero-padded to 2 (byte) or 4 (word) digits.
std::u16string FormatEntry(NumberKind kind, std::uint32_t value);

// The largest value a field of the kind stores.
std::uint32_t LargestEntry(NumberKind kind);

// Checks run on a committed value. Each returns nothing when the value is
// accepted, else the message that refuses it.

// lo <= value <= hi.
std::optional<std::u16string> CheckRange(std::uint32_t value, std::uint32_t lo, std::uint32_t hi);
// lo <= value <= hi and value even; bounds shown in decimal.
std::optional<std::u16string> CheckEvenRangeWord(std::uint16_t value, std::uint16_t lo, std::uint16_t hi);
// The same for a byte shown in hexadecimal; bounds shown as 0x and two digits.
std::optional<std::u16string> CheckEvenRangeHexByte(std::uint8_t value, std::uint8_t lo, std::uint8_t hi);
// At most n UTF-16 characters.
std::optional<std::u16string> CheckMaxChars(std::u16string_view text, int n);

}  // namespace kr
