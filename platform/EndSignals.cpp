// SPDX-License-Identifier: MIT
#include "platform/EndSignals.h"

#include <cerrno>
#include <ctime>
#include <pthread.h>

namespace kr::platform {
namespace {

bool Ignored(int signal)
{
    struct sigaction current {};
    return ::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

}  // namespace

CEndSignals::CEndSignals(EndSignalsOf program, std::function<void()> onSignal) : onSignal_(std::move(onSignal))
{
    sigemptyset(&watched_);
    for (const int signal : {SIGTERM, SIGHUP, program == EndSignalsOf::CommandLine ? SIGPIPE : SIGINT}) {
        if (!Ignored(signal))
            sigaddset(&watched_, signal);
    }
    // Blocked here and so in every thread started from now on: the signals
    // wait for the watcher's sigtimedwait.
    ::pthread_sigmask(SIG_BLOCK, &watched_, &previousMask_);
    watcher_ = std::thread([this] {
        const timespec slice{0, 100'000'000};
        while (!stop_.load(std::memory_order_acquire)) {
            const int signal = ::sigtimedwait(&watched_, nullptr, &slice);
            if (signal > 0)
                Take(signal);
        }
    });
}

CEndSignals::~CEndSignals()
{
    stop_.store(true, std::memory_order_release);
    watcher_.join();
    // A signal taken from the queue is raised again; one still pending (a
    // SIGPIPE of this thread) is delivered as the mask is restored.
    const int signal = received_.load();
    sigset_t pending;
    if (signal != 0 && ::sigpending(&pending) == 0 && sigismember(&pending, signal) != 1)
        ::raise(signal);
    ::pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
}

void CEndSignals::Take(int signal)
{
    int none = 0;
    if (received_.compare_exchange_strong(none, signal) && onSignal_)
        onSignal_();
}

int CEndSignals::Received()
{
    // A failed write raises SIGPIPE for the thread that wrote; it stays
    // pending there, where no other thread can wait for it.
    sigset_t pending;
    if (sigismember(&watched_, SIGPIPE) == 1 && ::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1)
        Take(SIGPIPE);
    return received_.load();
}

}  // namespace kr::platform
