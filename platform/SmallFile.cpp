// SPDX-License-Identifier: MIT
#include "platform/SmallFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileFailure.h"

namespace kr::platform {

int ReadToEnd(int fd, std::size_t maxBytes, std::string& bytes)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return 0;
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes)
            return EFBIG;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

std::optional<std::string> ReadSmallRegularFile(const std::string& path, std::size_t maxBytes, std::string* reason)
{
    int err = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        err = errno;
    std::optional<std::string> result;
    struct stat st {};
    if (fd < 0) {
    } else if (::fstat(fd, &st) != 0) {
        err = errno;
    } else if (!S_ISREG(st.st_mode)) {
        err = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    } else if (static_cast<std::size_t>(st.st_size) > maxBytes) {
        err = EFBIG;
    } else {
        std::string bytes;
        err = ReadToEnd(fd, maxBytes, bytes);
        if (err == 0)
            result = std::move(bytes);
    }
    if (fd >= 0)
        ::close(fd);
    if (!result && reason)
        *reason = err == EINVAL ? std::string("Not a regular file") : SystemReason(err);
    return result;
}

}  // namespace kr::platform
