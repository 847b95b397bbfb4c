// SPDX-License-Identifier: MIT
#include "platform/AtomicFile.h"

namespace kr::platform {

bool WriteFileAtomically(const std::string& path, std::string_view bytes, Durability durability, FileFailure* failure)
{
    FileFailure unread;
    FileFailure& why = failure ? *failure : unread;
    CStagedFiles file;
    return file.Stage(path, bytes, durability, why) && file.Commit(why);
}

}  // namespace kr::platform
