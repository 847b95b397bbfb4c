// SPDX-License-Identifier: MIT
#pragma once
// Reading a small file whole, for documents that are parsed in memory.

#include <cstddef>
#include <optional>
#include <string>

namespace kr::platform {

// The whole content of the regular file at path (UTF-8) when it holds at most
// maxBytes; nothing when it cannot be opened or read, is not a regular file
// or is larger. The file is opened without blocking, so a named pipe given as
// path cannot hang the caller. reason, when given, is set to the system's
// text of what went wrong, or "File too large", or "Not a regular file".
std::optional<std::string> ReadSmallRegularFile(const std::string& path, std::size_t maxBytes,
                                                std::string* reason = nullptr);

// Reads the open file fd from where it stands to its end, appending to
// bytes: 0 when done, EFBIG as soon as bytes would hold more than maxBytes
// (the file may grow while it is read), else the system's error number.
int ReadToEnd(int fd, std::size_t maxBytes, std::string& bytes);

}  // namespace kr::platform
