// SPDX-License-Identifier: MIT
#include "platform/FolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace kr::platform {

CFolderLock::~CFolderLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::string NoLocksNotice(const FileFailure& failure)
{
    return "Note: " + failure.path + " cannot be locked (" + failure.reason
           + "); going on without one, so nothing keeps another run from writing there meanwhile.";
}

bool CFolderLock::MeansNoLocks(int err)
{
    return err == ENOLCK || err == EOPNOTSUPP;
}

CFolderLock::Result CFolderLock::Lock(const std::string& folder, std::chrono::milliseconds wait, FileFailure& failure)
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return LockOpened(folder, wait, failure);
}

CFolderLock::Result CFolderLock::Lock(const CFolder& folder, std::chrono::milliseconds wait, FileFailure& failure)
{
    if (fd_ >= 0)
        ::close(fd_);
    // A description of its own: the lock belongs to it, not to the folder's.
    fd_ = ::openat(folder.Descriptor(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return LockOpened(folder.Path(), wait, failure);
}

CFolderLock::Result CFolderLock::LockOpened(const std::string& folder, std::chrono::milliseconds wait,
                                            FileFailure& failure)
{
    if (fd_ < 0) {
        failure = {folder, SystemReason(errno)};
        return Result::Failed;
    }
    // Polled rather than blocking, so the wait has a limit.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
            return Result::Locked;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            const int err = errno;
            failure = {folder, SystemReason(err)};
            ::close(fd_);
            fd_ = -1;
            return MeansNoLocks(err) ? Result::NoLocks : Result::Failed;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::close(fd_);
    fd_ = -1;
    return Result::InUse;
}

}  // namespace kr::platform
