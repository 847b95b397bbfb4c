// SPDX-License-Identifier: MIT
#pragma once
// File names are the system's bytes; most of them are UTF-8, but any byte but
// '/' and NUL may appear in one. A path crosses into text in two ways:
//
// - ShownPath, for a person (logs, messages): UTF-8 decoded, every byte that
//   is not part of UTF-8 shown as U+FFFD, control characters escaped (so a
//   name always stays on its line). Lossy, never to be turned back.
// - PathAsText / PathFromText, for a path kept in a text field of the
//   record (the project folder): lossless. Bytes that are not UTF-8 are
//   carried as the lone surrogates U+DC80..U+DCFF, characters no UTF-8 text
//   decodes to, so every path comes back byte for byte. Such text is not
//   valid Unicode and an XML save file cannot hold it (HoldsPathBytes).

#include <filesystem>
#include <string>
#include <string_view>

namespace kr::platform {

std::u16string ShownPath(const std::filesystem::path& path);
// text with each control character (U+0000..U+001F, U+007F..U+009F, and the
// line and paragraph separators U+2028, U+2029) written as an escape: \t, \n,
// \r, else \xHH or \uHHHH. What a log line or a message shows of a name.
std::u16string EscapeControls(std::u16string_view text);
// A name's bytes as given, with only its control characters escaped as
// EscapeControls writes them: for lines that name a file by its own bytes.
std::string EscapeControlBytes(std::string_view bytes);

std::u16string PathAsText(const std::filesystem::path& path);
// The path text names. Unpaired surrogates other than U+DC80..U+DCFF
// become the bytes of U+FFFD.
std::filesystem::path PathFromText(std::u16string_view text);
// True when text carries bytes that are not UTF-8 (as PathAsText writes them).
bool HoldsPathBytes(std::u16string_view text);

// True when path holds a control character (a byte below 0x20, or 0x7F):
// such a name would break the lines of a log or of a generated file, so no
// project is generated into a folder whose path holds one.
bool HoldsControlCharacter(std::string_view path);

}  // namespace kr::platform
