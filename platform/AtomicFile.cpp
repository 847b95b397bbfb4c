// SPDX-License-Identifier: MIT
#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kr::platform {
namespace {

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The mode a plain open(O_CREAT, 0666) would have given, or the existing
// file's own mode when it is replaced.
mode_t ModeForNewFile(const struct stat* existing)
{
    if (existing)
        return existing->st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, Durability durability)
{
    if (path.empty() || path.back() == '/')
        return false;

    if (durability == Durability::InOnePiece) {
        // A file that does not exist yet has no old content to keep: it is
        // created under its own name and removed again when the write fails,
        // which spares the temporary name and the rename. Creating it
        // exclusively means an existing file (or anything else under that
        // name) always takes the path below.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            bool ok = WriteAll(fd, bytes);
            ok = (::close(fd) == 0) && ok;
            if (!ok)
                ::unlink(path.c_str());
            return ok;
        }
        if (errno != EEXIST)
            return false;
    }

    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists) {
        // Renaming over a file would succeed even where opening it for
        // writing is refused; refuse what an in-place write would, and treat
        // a file without any write permission as read-only for every user,
        // the superuser included.
        if (!S_ISREG(existing.st_mode) || (existing.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0)
            return false;
    }

    std::string temp = FolderOf(path) + "/.kr761x-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;

    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, ModeForNewFile(exists ? &existing : nullptr)) == 0
              && (durability == Durability::InOnePiece || ::fsync(fd) == 0);
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

}  // namespace kr::platform
