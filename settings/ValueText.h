// SPDX-License-Identifier: MIT
#pragma once
// The text form of a save file's strings, and the loose conversions that
// read its values back (numbers are written by platform/NumberText.h).
// Reading never fails: text without digits reads 0, and an out-of-range
// number saturates or wraps as documented below, so a hand-edited file still
// loads and the editing page range-checks later.

#include <cstdint>
#include <string>
#include <string_view>

namespace kr {

std::u16string QuoteString(std::u16string_view text);  // "text", inner quotes as they are

// Removes one leading double quote, then one trailing double quote of what is
// left; nothing else changes.
std::u16string UnquoteString(std::u16string_view text);

// Leading white space, an optional sign, the longest run of decimal digits;
// anything after is ignored. Beyond the signed 32-bit range the result is
// 2147483647 or -2147483648.
std::int32_t ParseLooseInt(std::u16string_view text);

// Leading white space, an optional sign, in base 16 an optional "0x"/"0X",
// then the longest run of digits of the base (10 or 16). A magnitude above
// 4294967295 gives 4294967295; a minus sign negates modulo 2^32.
std::uint32_t ParseLooseUnsigned(std::u16string_view text, int base);

}  // namespace kr
