// SPDX-License-Identifier: MIT
#pragma once
// Replacing a file in one piece: the new content is written beside the target
// under a temporary name and renamed over the target only when complete, so
// the target is either untouched or completely rewritten.

#include <string>
#include <string_view>

#include "platform/StagedFiles.h"

namespace kr::platform {

// Writes bytes to path (UTF-8). Fails, leaving any existing file as it was,
// when the folder does not exist, the target is not a writable regular file
// (a file with no write permission bits counts as read-only for everyone),
// or any write, flush or rename fails part-way; failure, when given, then
// says why.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         Durability durability = Durability::FlushToDisk, FileFailure* failure = nullptr);

}  // namespace kr::platform
