// SPDX-License-Identifier: MIT
#include "platform/StagedFiles.h"

#include "platform/FolderLock.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <fcntl.h>
#include <random>
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

// Six random characters from the letters and digits, from a generator each
// thread seeds once: names only need to differ, and a taken one is retried.
std::string RandomCharacters()
{
    static constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::minstd_rand generator(std::random_device{}());
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string chars(kTempRandomChars, ' ');
    for (char& c : chars)
        c = kAlphabet[pick(generator)];
    return chars;
}

// A new temporary file in the folder open as folderFd, created and, unless
// the folder's lock guards it, locked; name receives its name. -1 with errno set when none can be made. It is
// created with mode 0666, so the system applies the process's file mode
// creation mask as for any new file: the mask is never read, which umask()
// could only do by changing it under the other threads. The lock is taken
// before anyone can find the file unlocked and take it for a stale one; a
// file removed in that instant is given up for a new one.
int CreateTemporary(int folderFd, std::string& name, TemporaryGuard guard)
{
    for (;;) {
        name = std::string(kTempPrefix) + RandomCharacters();
        const int fd = ::openat(folderFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return -1;
        }
        if (guard == TemporaryGuard::FolderLock)
            return fd;
        int locked;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        // Where the file system keeps no locks, no clean-up can lock the
        // file either, so none takes it for a stale one.
        if (locked != 0 && CFolderLock::MeansNoLocks(errno))
            return fd;
        if (locked != 0) {
            const int err = errno;
            ::unlinkat(folderFd, name.c_str(), 0);
            ::close(fd);
            errno = err;
            return -1;
        }
        struct stat st {};
        if (::fstat(fd, &st) == 0 && st.st_nlink > 0)
            return fd;
        ::close(fd);
    }
}

bool IsTemporaryName(std::string_view name, std::string_view prefix = kTempPrefix)
{
    if (name.size() != prefix.size() + kTempRandomChars || !name.starts_with(prefix))
        return false;
    for (const char c : name.substr(prefix.size()))
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

// Flushes the entries of the folder open (for paths only) as folderFd to
// the disk. A file system that cannot flush a folder's entries has nothing
// more to flush; a folder this user may write in but not read cannot be
// flushed by them, and is left to the system's own write-back.
bool SyncFolder(int folderFd)
{
    const int fd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno == EACCES;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    const int err = errno;
    ::close(fd);
    errno = err;
    return synced;
}

}  // namespace

CStagedFiles::~CStagedFiles()
{
    Discard();
    for (const Folder& folder : folders_)
        ::close(folder.fd);
}

void CStagedFiles::Discard()
{
    for (const Staged& file : staged_) {
        ::unlinkat(folders_[file.folder].fd, file.tempName.c_str(), 0);
        ::close(file.fd);
    }
    staged_.clear();
}

int CStagedFiles::OpenFolder(const std::string& path)
{
    for (std::size_t i = 0; i < folders_.size(); ++i)
        if (folders_[i].path == path && folders_[i].given < 0)
            return static_cast<int>(i);
    const int fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    folders_.push_back({path, fd, -1});
    return static_cast<int>(folders_.size() - 1);
}

int CStagedFiles::TakeFolder(const CFolder& folder)
{
    for (std::size_t i = 0; i < folders_.size(); ++i)
        if (folders_[i].given == folder.Descriptor() && folders_[i].path == folder.Path())
            return static_cast<int>(i);
    // A descriptor of our own, so the files staged outlive the CFolder.
    const int fd = ::fcntl(folder.Descriptor(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    folders_.push_back({folder.Path(), fd, folder.Descriptor()});
    return static_cast<int>(folders_.size() - 1);
}

bool CStagedFiles::Stage(const std::string& target, std::string_view bytes, Durability durability, FileFailure& failure,
                         TargetState known)
{
    if (target.empty() || target.back() == '/')
        return Fail(failure, target, EISDIR);

    // Everything happens relative to the target's folder, opened once for
    // all the files staged there: the path is walked once, not per call.
    const std::string folderPath = FolderOf(target);
    const int folder = OpenFolder(folderPath);
    if (folder < 0)
        return Fail(failure, errno == ENOTDIR ? target : folderPath, errno);
    return StageIn(folder, target.substr(target.find_last_of('/') + 1), target, bytes, durability, failure, known);
}

bool CStagedFiles::Stage(const CFolder& folder, const std::string& name, std::string_view bytes, Durability durability,
                         FileFailure& failure, TargetState known)
{
    const std::string target = folder.Path() + name;
    if (name.empty() || name.find('/') != std::string::npos)
        return Fail(failure, target, EINVAL);
    const int index = TakeFolder(folder);
    if (index < 0)
        return Fail(failure, folder.Path(), errno);
    return StageIn(index, name, target, bytes, durability, failure, known);
}

bool CStagedFiles::StageIn(int folder, std::string name, const std::string& target, std::string_view bytes,
                           Durability durability, FileFailure& failure, TargetState known)
{
    const int folderFd = folders_[static_cast<std::size_t>(folder)].fd;
    const std::string& folderPath = folders_[static_cast<std::size_t>(folder)].path;

    struct stat existing {};
    // A link in the target's place is not followed: it is not a regular file.
    const bool exists =
        known != TargetState::Absent && ::fstatat(folderFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && known != TargetState::Absent && errno != ENOENT)
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
        if (::faccessat(folderFd, name.c_str(), W_OK, 0) != 0)
            return Fail(failure, target, errno);
    }

    std::string tempName;
    const int fd = CreateTemporary(folderFd, tempName, guard_);
    if (fd < 0)
        return Fail(failure, folderPath, errno);

    // A replaced file keeps its own mode; a new one has the mode the
    // system gave the temporary file.
    int err = 0;
    if (!WriteAll(fd, bytes) || (exists && ::fchmod(fd, existing.st_mode & 07777) != 0)
        || (durability == Durability::FlushToDisk && ::fsync(fd) != 0))
        err = errno;
    if (err != 0) {
        ::unlinkat(folderFd, tempName.c_str(), 0);
        ::close(fd);
        return Fail(failure, target, err);
    }
    staged_.push_back({std::move(tempName), std::move(name), target, static_cast<std::size_t>(folder), fd,
                       durability == Durability::FlushToDisk});
    return true;
}

bool CStagedFiles::PutInPlace(Staged& file)
{
    const int folderFd = folders_[file.folder].fd;
    const char* temp = file.tempName.c_str();
    const char* name = file.name.c_str();
    // Exchanged with the file there, the old file stays whole under the
    // temporary name until the commit is done, ready to be put back.
    if (::renameat2(folderFd, temp, folderFd, name, RENAME_EXCHANGE) == 0) {
        file.placed = Placed::Replaced;
        return true;
    }
    if (errno == ENOENT) {  // nothing there to keep
        if (::renameat(folderFd, temp, folderFd, name) != 0)
            return false;
        file.placed = Placed::Created;
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    // A file system that cannot exchange two names: the old file is kept
    // under a second name of ours (a link to it) while the new one replaces
    // it; where it cannot have a second name either, it is replaced for good.
    std::string kept;
    bool linked = false;
    for (;;) {
        kept = std::string(kTempPrefix) + RandomCharacters();
        linked = ::linkat(folderFd, name, folderFd, kept.c_str(), 0) == 0;
        if (linked || errno != EEXIST)
            break;
    }
    if (::renameat(folderFd, temp, folderFd, name) != 0) {
        const int err = errno;
        if (linked)
            ::unlinkat(folderFd, kept.c_str(), 0);
        errno = err;
        return false;
    }
    if (linked) {
        file.tempName = std::move(kept);
        file.placed = Placed::Replaced;
    } else {
        file.placed = Placed::ReplacedForGood;
    }
    return true;
}

bool CStagedFiles::Commit(FileFailure& failure)
{
    std::size_t done = 0;
    bool ok = true;
    std::vector<bool> toSync(folders_.size(), false);
    for (; done < staged_.size(); ++done) {
        errno = 0;
        if (!PutInPlace(staged_[done])) {
            ok = Fail(failure, staged_[done].target, errno);
            break;
        }
        if (staged_[done].durable)
            toSync[staged_[done].folder] = true;
    }
    // Done: the old files go. Failed: the files already in place are put
    // back, last first, so every target is as it was before the commit.
    for (std::size_t i = done; i-- > 0;) {
        Staged& file = staged_[i];
        const int folderFd = folders_[file.folder].fd;
        if (!ok && file.placed == Placed::Replaced)
            ::renameat(folderFd, file.tempName.c_str(), folderFd, file.name.c_str());
        else if (!ok && file.placed == Placed::Created)
            ::unlinkat(folderFd, file.name.c_str(), 0);
        else if (file.placed == Placed::Replaced)
            ::unlinkat(folderFd, file.tempName.c_str(), 0);
        // Closed only once in place, so the file is never found unlocked
        // under its temporary name.
        ::close(file.fd);
    }
    staged_.erase(staged_.begin(), staged_.begin() + static_cast<std::ptrdiff_t>(done));
    Discard();
    // A file flushed to the disk is there after a power loss only once its
    // folder's new entry is too.
    for (std::size_t i = 0; i < folders_.size(); ++i)
        if (toSync[i] && !SyncFolder(folders_[i].fd) && ok)
            ok = Fail(failure, folders_[i].path, errno);
    return ok;
}

namespace {

// RemoveStaleTemporaryFiles in the folder dir lists, found at folderPath,
// closed when done.
bool RemoveStaleIn(DIR* dir, const std::filesystem::path& folderPath, std::vector<std::string>* names)
{
    if (names)
        names->clear();
    if (!dir)
        return false;
    const int dirFd = ::dirfd(dir);
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry)
            break;
        if (IsTemporaryName(entry->d_name, kWorkFolderPrefix)) {
            // Never followed: a link of that name is not ours.
            struct stat st {};
            std::error_code ignored;
            if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
                std::filesystem::remove_all(folderPath / entry->d_name, ignored);
            continue;
        }
        if (!IsTemporaryName(entry->d_name)) {
            if (names)
                names->emplace_back(entry->d_name);
            continue;
        }
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
    const bool listed = errno == 0;
    ::closedir(dir);
    if (names)
        std::sort(names->begin(), names->end());
    return listed;
}

}  // namespace

bool RemoveStaleTemporaryFiles(const std::string& folder, std::vector<std::string>* names)
{
    return RemoveStaleIn(::opendir(folder.c_str()), folder, names);
}

bool RemoveStaleTemporaryFiles(const CFolder& folder, std::vector<std::string>* names)
{
    // A description of its own, so the listing's position is not shared.
    const int fd = ::openat(folder.Descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (fd >= 0 && !dir)
        ::close(fd);
    return RemoveStaleIn(dir, folder.Path(), names);
}

}  // namespace kr::platform
