// SPDX-License-Identifier: MIT
#pragma once
// Looking at what is already in a folder before writing there: reading an
// existing regular file whole and asking whether a name is free, through the
// folder held open (CFolder), never through a link.

#include <cstddef>
#include <string>

#include "platform/Folders.h"

namespace kr::platform {

enum class ExistingFile { Absent, NotAFile, TooLarge, Read, Failed };

// The bytes of the regular file name in folder: Read with bytes filled;
// Absent when nothing is there; NotAFile when a link, a folder or anything
// else but a regular file is (it is not opened, let alone followed);
// TooLarge when it holds more than maxBytes (it is not read); Failed when it
// is there but cannot be examined or read. reason, when given, says why
// when the result is neither Read nor Absent.
ExistingFile ReadExistingFile(const CFolder& folder, const std::string& name, std::size_t maxBytes, std::string& bytes,
                              std::string* reason = nullptr);

// True only when the system says there is nothing called name in folder (a
// link to nowhere is something); any other answer, an error included,
// counts as taken.
bool IsFreeName(const CFolder& folder, const std::string& name);

}  // namespace kr::platform
