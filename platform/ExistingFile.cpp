// SPDX-License-Identifier: MIT
#include "platform/ExistingFile.h"

#include "platform/FileFailure.h"
#include "platform/SmallFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kr::platform {

ExistingFile ReadExistingFile(const CFolder& folder, const std::string& name, std::size_t maxBytes, std::string& bytes,
                              std::string* reason)
{
    bytes.clear();
    int err = 0;
    // Not following a link, and not waiting on a named pipe or a device.
    const int fd =
        ::openat(folder.Descriptor(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return ExistingFile::Absent;
        if (errno == ELOOP) {
            if (reason)
                *reason = "Is a symbolic link, which is not followed; it is left as it is";
            return ExistingFile::NotAFile;
        }
        err = errno;
    }
    ExistingFile result = ExistingFile::Read;
    struct stat info {};
    if (fd < 0) {
    } else if (::fstat(fd, &info) != 0) {
        err = errno;
    } else if (!S_ISREG(info.st_mode)) {
        result = ExistingFile::NotAFile;
        if (reason)
            *reason = S_ISDIR(info.st_mode) ? SystemReason(EISDIR) : "Not a regular file; it is left as it is";
    } else if (static_cast<std::size_t>(info.st_size) > maxBytes) {
        result = ExistingFile::TooLarge;
    } else {
        // The size is checked again while reading: the file may grow.
        const int readErr = ReadToEnd(fd, maxBytes, bytes);
        if (readErr == EFBIG)
            result = ExistingFile::TooLarge;
        else
            err = readErr;
    }
    if (fd >= 0)
        ::close(fd);
    if (err != 0) {
        if (reason)
            *reason = SystemReason(err);
        result = ExistingFile::Failed;
    }
    if (result == ExistingFile::TooLarge && reason)
        *reason = "Larger than " + std::to_string(maxBytes >> 20)
                  + " MiB, more than a generated file ever holds; it is left as it is, unread";
    if (result != ExistingFile::Read)
        bytes.clear();
    return result;
}

bool IsFreeName(const CFolder& folder, const std::string& name)
{
    struct stat info {};
    return ::fstatat(folder.Descriptor(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT;
}

}  // namespace kr::platform
