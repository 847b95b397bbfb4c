// SPDX-License-Identifier: MIT
#pragma once
// Replacing a file in one piece: the new content is written beside the target
// under a temporary name, flushed to disk and renamed over the target only
// when complete, so the target is either untouched or completely rewritten.

#include <string>
#include <string_view>

namespace kr::platform {

// Whether the new content is flushed to the disk before it replaces the
// target. Save files are; generated files, which can always be generated
// again, are replaced in one piece without waiting for the disk, and a
// generated file that does not exist yet is written under its own name and
// removed again if the write fails.
enum class Durability { FlushToDisk, InOnePiece };

// Writes bytes to path (UTF-8). Fails, leaving any existing file as it was,
// when the folder does not exist, the target is not a writable regular file
// (a file with no write permission bits counts as read-only for everyone),
// or any write, flush or rename fails part-way.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         Durability durability = Durability::FlushToDisk);

}  // namespace kr::platform
