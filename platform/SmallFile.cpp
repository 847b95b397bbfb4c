// SPDX-License-Identifier: MIT
#include "platform/SmallFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kr::platform {

std::optional<std::string> ReadSmallRegularFile(const std::string& path, std::size_t maxBytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    std::optional<std::string> result;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<std::size_t>(st.st_size) <= maxBytes) {
        std::string bytes;
        char buffer[65536];
        bool ok = true;
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            // The size is checked again while reading: the file may grow.
            if (n < 0 || bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
                ok = false;
                break;
            }
            if (n == 0)
                break;
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        if (ok)
            result = std::move(bytes);
    }
    ::close(fd);
    return result;
}

}  // namespace kr::platform
