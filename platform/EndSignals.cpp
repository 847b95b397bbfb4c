// SPDX-License-Identifier: MIT
#include "platform/EndSignals.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace kr::platform {
namespace {

// Shared with the handler, which may run on any thread: a lock-free number
// and a pipe that wakes the watcher.
std::atomic<int> received{0};
int wake[2] = {-1, -1};

void OnEndSignal(int signal)
{
    const int saved = errno;
    int none = 0;
    received.compare_exchange_strong(none, signal);
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wake[1], &byte, 1);
    errno = saved;
}

}  // namespace

CEndSignals::CEndSignals(EndSignalsOf program, std::function<void()> onSignal) : onSignal_(std::move(onSignal))
{
    received.store(0);
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return;  // no way to wake a watcher: the signals keep their handling
    for (const int signal : {SIGTERM, SIGHUP, program == EndSignalsOf::CommandLine ? SIGPIPE : SIGINT}) {
        struct sigaction handler {};
        handler.sa_handler = OnEndSignal;
        handler.sa_flags = SA_RESTART;
        sigemptyset(&handler.sa_mask);
        Handled entry{signal, {}};
        if (::sigaction(signal, nullptr, &entry.previous) != 0 || entry.previous.sa_handler == SIG_IGN)
            continue;
        if (::sigaction(signal, &handler, nullptr) == 0)
            handled_.push_back(entry);
    }
    watcher_ = std::thread([this] {
        bool told = false;
        while (!stop_.load(std::memory_order_acquire)) {
            pollfd ready{wake[0], POLLIN, 0};
            ::poll(&ready, 1, 100);
            char bytes[16];
            while (::read(wake[0], bytes, sizeof bytes) > 0) {
            }
            if (!told && received.load() != 0) {
                told = true;
                if (onSignal_)
                    onSignal_();
            }
        }
    });
}

CEndSignals::~CEndSignals()
{
    if (watcher_.joinable()) {
        stop_.store(true, std::memory_order_release);
        watcher_.join();
    }
    for (const Handled& entry : handled_)
        ::sigaction(entry.signal, &entry.previous, nullptr);
    for (int& fd : wake) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    // With its handling as before, the signal received ends the program.
    if (const int signal = received.exchange(0); signal != 0)
        ::raise(signal);
}

int CEndSignals::Received() const
{
    return received.load();
}

}  // namespace kr::platform
