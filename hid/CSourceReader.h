// SPDX-License-Identifier: MIT
#pragma once
// Reading values back out of expanded C text: the numeric macros of a header
// and the bytes of a constant array, as a C compiler would see them.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kr {

// NAME -> value of every "#define NAME number" line (decimal, 0x hexadecimal
// or 0 octal, optionally followed by a // comment). Other lines are skipped.
std::map<std::u16string, long> ReadNumericDefines(std::u16string_view source);

// The elements of the initializer of the array "NAME[] = { ... }". Each
// element is a number, a character literal or a macro of defines and must be
// a byte; comments are skipped. False with errorText saying what is wrong when the array is
// missing or an element is not such a byte; errorText is emptied first.
bool ReadByteArray(std::u16string_view source, std::u16string_view name, const std::map<std::u16string, long>& defines,
                   std::vector<std::uint8_t>& bytes, std::u16string& errorText);

}  // namespace kr
