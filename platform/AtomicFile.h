// SPDX-License-Identifier: MIT
#pragma once
// Replacing a file in one piece: the new content is written beside the target
// under a temporary name and renamed over the target only when complete, so
// the target is either untouched or completely rewritten.

#include <string>
#include <string_view>

#include "platform/StagedFiles.h"

namespace kr::platform {

// The file path (UTF-8) names: path itself, or, when path is a symbolic
// link, the file its links lead to, as a path without links. False, with
// failure filled, when a link leads to nothing or loops.
bool FollowLinks(const std::string& path, std::string& file, FileFailure& failure);

// Writes bytes to path (UTF-8); a symbolic link there is followed and the
// file it leads to is replaced, so the link stays. Fails, leaving any existing file as it was,
// when the folder does not exist, the target is not a writable regular file
// (a file with no write permission bits counts as read-only for everyone),
// or any write, flush or rename fails part-way; failure, when given, then
// says why.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         Durability durability = Durability::FlushToDisk, FileFailure* failure = nullptr);

}  // namespace kr::platform
