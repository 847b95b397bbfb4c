#pragma once
// Conversions between the core's UTF-16 text and the UTF-8 that file names
// and libraries of this platform use.

#include <string>
#include <string_view>

namespace kr::platform {

// Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);
// Invalid UTF-8 sequences become U+FFFD.
std::u16string FromUtf8(std::string_view text);

}  // namespace kr::platform
