// SPDX-License-Identifier: MIT
#include "platform/TemporaryFolder.h"

#include <cerrno>
#include <filesystem>
#include <stdlib.h>

namespace kr::platform {

CTemporaryFolder::CTemporaryFolder(const std::string& parent, const std::string& prefix)
{
    std::string pattern = (std::filesystem::path(parent) / (prefix + "XXXXXX")).string();
    if (::mkdtemp(pattern.data())) {
        path_ = std::move(pattern);
        return;
    }
    failure_.path = parent;
    failure_.reason = SystemReason(errno);
}

CTemporaryFolder::~CTemporaryFolder()
{
    std::error_code error;
    if (!path_.empty())
        std::filesystem::remove_all(path_, error);
}

}  // namespace kr::platform
