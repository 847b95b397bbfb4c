// SPDX-License-Identifier: MIT
#pragma once
// Why a file operation failed, as the user is told: the path at fault and the
// system's own reason ("No space left on device").

#include <string>

namespace kr::platform {

struct FileFailure {
    std::string path;  // the bytes the system names it by
    std::string reason;  // the system's text for the error

    // "path: reason", the line that follows a message's own first line.
    std::string Line() const { return path + ": " + reason; }
};

// The system's text for the error number err.
std::string SystemReason(int err);

}  // namespace kr::platform
