// SPDX-License-Identifier: MIT
#pragma once
// Conversions between the core's UTF-16 text and the UTF-8 that file names
// and libraries of this platform use.

#include <string>
#include <string_view>

namespace kr::platform {

constexpr bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
constexpr bool IsLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);
// Invalid UTF-8 sequences become U+FFFD.
std::u16string FromUtf8(std::string_view text);

}  // namespace kr::platform
