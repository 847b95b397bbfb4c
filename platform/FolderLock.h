// SPDX-License-Identifier: MIT
#pragma once
// The advisory lock every run of this program takes on a folder it writes
// into (a project folder while it is generated, a batch's output folder for
// the whole batch), so that two runs never write one folder at once. The
// lock belongs to the object, not to the process or the thread, so two
// workers of one process exclude each other as two programs do. It is not
// passed on to programs started meanwhile. Where the file system keeps no
// locks (some network file systems), Lock says so, and the caller goes on
// without one.

#include <chrono>
#include <string>

#include "platform/FileFailure.h"
#include "platform/Folders.h"

namespace kr::platform {

// The line saying that folder's file system keeps no locks and the work
// goes on without one; failure is what Lock gave.
std::string NoLocksNotice(const FileFailure& failure);

class CFolderLock {
public:
    // NoLocks: the folder's file system keeps no locks (ENOLCK, EOPNOTSUPP);
    // nothing is held, and failure says so.
    enum class Result { Locked, InUse, NoLocks, Failed };

    CFolderLock() = default;
    // Lets go of the lock.
    ~CFolderLock();
    CFolderLock(const CFolderLock&) = delete;
    CFolderLock& operator=(const CFolderLock&) = delete;

    // Locks folder (UTF-8), waiting at most wait while another holder has
    // it: InUse when it still has it then; NoLocks when its file system
    // keeps none; Failed, with failure filled, when the folder cannot be
    // opened or locking fails for any other reason.
    Result Lock(const std::string& folder, std::chrono::milliseconds wait, FileFailure& failure);
    // The same for a folder held open: the one it holds is locked, whatever
    // its path leads to now.
    Result Lock(const CFolder& folder, std::chrono::milliseconds wait, FileFailure& failure);

    // Whether err says the file system keeps no locks.
    static bool MeansNoLocks(int err);

private:
    Result LockOpened(const std::string& folder, std::chrono::milliseconds wait, FileFailure& failure);
    int fd_ = -1;
};

}  // namespace kr::platform
