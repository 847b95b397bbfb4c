// SPDX-License-Identifier: MIT
#include "platform/ExistingFile.h"

#include "platform/FileFailure.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace kr::platform {

ExistingFile ReadExistingFile(const std::string& path, std::string& bytes, std::string* reason)
{
    const auto failed = [&](int err) {
        if (reason)
            *reason = SystemReason(err);
        return ExistingFile::Failed;
    };
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return errno == ENOENT ? ExistingFile::Absent : failed(errno);
    if (!S_ISREG(info.st_mode))
        return ExistingFile::NotAFile;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return failed(errno ? errno : EIO);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.bad() ? failed(EIO) : ExistingFile::Read;
}

bool IsFreeName(const std::string& path)
{
    return ::access(path.c_str(), F_OK) != 0 && errno == ENOENT;
}

void RemoveFile(const std::string& path)
{
    ::unlink(path.c_str());
}

}  // namespace kr::platform
