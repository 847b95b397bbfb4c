// SPDX-License-Identifier: MIT
#include "platform/AtomicFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <sys/stat.h>

namespace kr::platform {

bool FollowLinks(const std::string& path, std::string& file, FileFailure& failure)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
        file = path;
        return true;
    }
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
    if (!resolved) {
        failure = {path, errno == ENOENT ? "the symbolic link leads to nothing" : SystemReason(errno)};
        return false;
    }
    file = resolved.get();
    return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, Durability durability, FileFailure* failure)
{
    FileFailure unread;
    FileFailure& why = failure ? *failure : unread;
    // Replacing a link by a file would cut off whoever else reaches the file
    // through it; the file it leads to is written instead.
    std::string file;
    if (!FollowLinks(path, file, why))
        return false;
    CStagedFiles staged;
    return staged.Stage(file, bytes, durability, why) && staged.Commit(why);
}

}  // namespace kr::platform
