// SPDX-License-Identifier: MIT
#include "platform/StagedFiles.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kr::platform {
namespace {

constexpr std::string_view kTempPrefix = ".kr761x-";
constexpr std::size_t kTempRandomChars = 6;

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool Fail(FileFailure& failure, const std::string& path, int err)
{
    failure = {path, SystemReason(err)};
    return false;
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

// The process's file mode creation mask. umask() can only tell it by setting
// it, and a batch writes files from several threads at once: one thread's
// momentary 0 would give another's new files and folders the wrong mode, or
// stay set for good. So it is read from /proc, and asked of umask() only
// where /proc has no answer.
mode_t FileModeMask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with("Umask:"))
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    const mode_t asked = ::umask(0);
    ::umask(asked);
    return asked;
}

// The mode a plain open(O_CREAT, 0666) would have given, or the existing
// file's own mode when it is replaced.
mode_t ModeForNewFile(const struct stat* existing)
{
    if (existing)
        return existing->st_mode & 07777;
    return 0666 & ~FileModeMask();
}

// A new temporary file in folder, created and locked; -1 with errno set when
// none can be made. The lock is taken before anyone can find the file
// unlocked and take it for a stale one; a file removed in that instant is
// given up for a new one.
int CreateLockedTemporary(const std::string& folder, std::string& temp)
{
    for (;;) {
        temp = folder + "/" + std::string(kTempPrefix) + std::string(kTempRandomChars, 'X');
        const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (fd < 0)
            return -1;
        struct stat st {};
        if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &st) == 0 && st.st_nlink > 0)
            return fd;
        ::close(fd);
    }
}

bool IsTemporaryName(std::string_view name)
{
    if (name.size() != kTempPrefix.size() + kTempRandomChars || !name.starts_with(kTempPrefix))
        return false;
    for (const char c : name.substr(kTempPrefix.size()))
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

}  // namespace

CStagedFiles::~CStagedFiles()
{
    Discard();
}

void CStagedFiles::Discard()
{
    for (const Staged& file : staged_) {
        ::unlink(file.temp.c_str());
        ::close(file.fd);
    }
    staged_.clear();
}

bool CStagedFiles::Stage(const std::string& target, std::string_view bytes, Durability durability,
                         FileFailure& failure)
{
    if (target.empty() || target.back() == '/')
        return Fail(failure, target, EISDIR);

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
        return Fail(failure, target, errno);
    if (exists) {
        // Renaming over a file would succeed even where opening it for
        // writing is refused; refuse what an in-place write would, and treat
        // a file without any write permission as read-only for every user,
        // the superuser included.
        if (S_ISDIR(existing.st_mode))
            return Fail(failure, target, EISDIR);
        if (!S_ISREG(existing.st_mode))
            return Fail(failure, target, EINVAL);
        if ((existing.st_mode & 0222) == 0)
            return Fail(failure, target, EACCES);
        if (::access(target.c_str(), W_OK) != 0)
            return Fail(failure, target, errno);
    }

    const std::string folder = FolderOf(target);
    std::string temp;
    const int fd = CreateLockedTemporary(folder, temp);
    if (fd < 0)
        return Fail(failure, folder, errno);

    int err = 0;
    if (!WriteAll(fd, bytes) || ::fchmod(fd, ModeForNewFile(exists ? &existing : nullptr)) != 0
        || (durability == Durability::FlushToDisk && ::fsync(fd) != 0))
        err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        ::close(fd);
        return Fail(failure, target, err);
    }
    staged_.push_back({std::move(temp), target, fd});
    return true;
}

bool CStagedFiles::Commit(FileFailure& failure)
{
    std::size_t done = 0;
    bool ok = true;
    for (; done < staged_.size(); ++done) {
        const Staged& file = staged_[done];
        if (::rename(file.temp.c_str(), file.target.c_str()) != 0) {
            ok = Fail(failure, file.target, errno);
            break;
        }
        // Closed only once in place, so the file is never found unlocked
        // under its temporary name.
        ::close(file.fd);
    }
    staged_.erase(staged_.begin(), staged_.begin() + static_cast<std::ptrdiff_t>(done));
    Discard();
    return ok;
}

void RemoveStaleTemporaryFiles(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTemporaryName(entry->d_name))
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
        if (fd < 0)
            continue;
        struct stat st {};
        // Locked means its writer still runs; a file that is not a regular
        // one is not ours.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

}  // namespace kr::platform
