// SPDX-License-Identifier: MIT
#pragma once
// A folder made for one piece of work, with a name no one else uses, and
// removed with everything in it when the work is done.

#include <string>

#include "platform/FileFailure.h"

namespace kr::platform {

class CTemporaryFolder {
public:
    // Creates a new folder inside parent (UTF-8), its name starting with
    // prefix. When that fails, Path() is empty and Failure() says why.
    CTemporaryFolder(const std::string& parent, const std::string& prefix);
    // Removes the folder and everything in it.
    ~CTemporaryFolder();
    CTemporaryFolder(const CTemporaryFolder&) = delete;
    CTemporaryFolder& operator=(const CTemporaryFolder&) = delete;

    const std::string& Path() const { return path_; }
    const FileFailure& Failure() const { return failure_; }

private:
    std::string path_;
    FileFailure failure_;
};

}  // namespace kr::platform
