// SPDX-License-Identifier: MIT
#pragma once
// The advisory lock every run of this program takes on a folder it writes
// into (a project folder while it is generated, a batch's output folder for
// the whole batch), so that two runs never write one folder at once. The
// lock belongs to the object, not to the process or the thread, so two
// workers of one process exclude each other as two programs do. It is not
// passed on to programs started meanwhile.

#include <chrono>
#include <string>

#include "platform/FileFailure.h"
#include "platform/Folders.h"

namespace kr::platform {

class CFolderLock {
public:
    enum class Result { Locked, InUse, Failed };

    CFolderLock() = default;
    // Lets go of the lock.
    ~CFolderLock();
    CFolderLock(const CFolderLock&) = delete;
    CFolderLock& operator=(const CFolderLock&) = delete;

    // Locks folder (UTF-8), waiting at most wait while another holder has
    // it: InUse when it still has it then; Failed, with failure filled, when
    // the folder cannot be opened.
    Result Lock(const std::string& folder, std::chrono::milliseconds wait, FileFailure& failure);
    // The same for a folder held open: the one it holds is locked, whatever
    // its path leads to now.
    Result Lock(const CFolder& folder, std::chrono::milliseconds wait, FileFailure& failure);

private:
    Result LockOpened(const std::string& folder, std::chrono::milliseconds wait, FileFailure& failure);
    int fd_ = -1;
};

}  // namespace kr::platform
