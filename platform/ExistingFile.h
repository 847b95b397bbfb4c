// SPDX-License-Identifier: MIT
#pragma once
// Looking at what is already at a path before writing there: reading an
// existing regular file whole, asking whether a name is free, and removing a
// file again.

#include <string>

namespace kr::platform {

enum class ExistingFile { Absent, NotAFile, Read, Failed };

// The bytes of the regular file at path (UTF-8): Read with bytes filled;
// Absent when nothing is there; NotAFile when something other than a regular
// file is (a write there refuses it); Failed when it is there but cannot be
// examined or read, with reason, when given, set to the system's text.
ExistingFile ReadExistingFile(const std::string& path, std::string& bytes, std::string* reason = nullptr);

// True only when the system says there is nothing at path; any other answer,
// an error included, counts as taken.
bool IsFreeName(const std::string& path);

// Removes the file at path; a failure is not reported.
void RemoveFile(const std::string& path);

}  // namespace kr::platform
