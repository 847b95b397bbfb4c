// SPDX-License-Identifier: MIT
#pragma once
// The 8-bit code page of templates and generated files.

#include <string>
#include <string_view>

namespace kr::platform {

// One UTF-16 character per byte. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of
// the same value, so every byte survives a round trip.
std::u16string DecodeWindows1252(std::string_view bytes);

// One byte per character; a character the code page cannot represent
// (a surrogate pair counts as one character) becomes '?'.
std::string EncodeWindows1252(std::u16string_view text);
// The same, appended to bytes.
void AppendWindows1252(std::u16string_view text, std::string& bytes);

}  // namespace kr::platform
