// SPDX-License-Identifier: MIT
#include "platform/SpoolFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include "platform/FileFailure.h"

namespace kr::platform {
namespace {

int OpenUnnamed(int& error)
{
    const char* folder = std::getenv("TMPDIR");
    std::string path = folder && *folder ? folder : "/tmp";
    int fd = ::open(path.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    // A file system without unnamed files: a named one, unlinked at once.
    path += "/kr761x-spool-XXXXXX";
    fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    ::unlink(path.c_str());
    return fd;
}

}  // namespace

CSpoolFile::~CSpoolFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool CSpoolFile::Append(std::string_view bytes, std::uint64_t& offset, std::string& reason)
{
    int error = 0;
    if (fd_ < 0 && (fd_ = OpenUnnamed(error)) < 0) {
        reason = SystemReason(error);
        return false;
    }
    offset = size_;
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(size_ + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            reason = SystemReason(n < 0 ? errno : ENOSPC);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    size_ += bytes.size();
    return true;
}

bool CSpoolFile::Read(std::uint64_t offset, std::size_t length, std::string& bytes, std::string& reason)
{
    const std::size_t start = bytes.size();
    bytes.resize(start + length);
    for (std::size_t done = 0; done < length;) {
        const ssize_t n = ::pread(fd_, bytes.data() + start + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            bytes.resize(start);
            reason = SystemReason(n < 0 ? errno : EIO);
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace kr::platform
