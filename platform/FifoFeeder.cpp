// SPDX-License-Identifier: MIT
#include "platform/FifoFeeder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kr::platform {

CFifoFeeder::~CFifoFeeder()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (fd_ >= 0)
        ::close(fd_);
    if (!path_.empty())
        ::unlink(path_.c_str());
}

bool CFifoFeeder::Start(const std::string& path, std::function<std::string()> next, std::string& reason)
{
    if (::mkfifo(path.c_str(), 0600) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    path_ = path;
    // Open for reading as well as writing: the open does not wait for a
    // reader, and a reader that closes its end raises no SIGPIPE here.
    fd_ = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        reason = std::strerror(errno);
        return false;
    }
    thread_ = std::thread([this, next = std::move(next)] { Feed(next); });
    return true;
}

void CFifoFeeder::Feed(std::function<std::string()> next)
{
    std::string piece;
    std::size_t written = 0;
    while (!stop_) {
        if (written == piece.size()) {
            piece = next();
            written = 0;
            if (piece.empty())
                return;
        }
        const ssize_t n = ::write(fd_, piece.data() + written, piece.size() - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        // Full: wait for the reader, looking at the stop request now and then.
        pollfd ready = {fd_, POLLOUT, 0};
        ::poll(&ready, 1, 10);
    }
}

}  // namespace kr::platform
