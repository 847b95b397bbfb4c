// SPDX-License-Identifier: MIT
#pragma once
// The signals that end a program from outside, held off while a piece of
// work must first end what it started: SIGTERM and SIGHUP, and for a command
// line program SIGPIPE (its output is a pipe nobody reads any more), for a
// window program SIGINT (Ctrl+C at the terminal it was started from). While a CEndSignals lives, such a
// signal does not end the program: the first one received is remembered and
// handed to onSignal on a thread of its own, at once, whatever the program's
// other threads are doing. When the CEndSignals goes, a signal it received
// ends the program as it would have without it.
//
// Made before any other thread of the program, so that every thread started
// meanwhile leaves these signals to it. A signal the program ignores (SIGHUP
// under nohup) stays ignored.

#include <atomic>
#include <csignal>
#include <functional>
#include <thread>

namespace kr::platform {

enum class EndSignalsOf { CommandLine, Window };

class CEndSignals {
public:
    CEndSignals(EndSignalsOf program, std::function<void()> onSignal);
    ~CEndSignals();
    CEndSignals(const CEndSignals&) = delete;
    CEndSignals& operator=(const CEndSignals&) = delete;

    // The signal received so far, or 0. A SIGPIPE of a failed write by the
    // calling thread is seen here (and handed to onSignal) only.
    int Received();

private:
    void Take(int signal);

    std::function<void()> onSignal_;
    sigset_t watched_;
    sigset_t previousMask_;
    std::atomic<int> received_{0};
    std::atomic<bool> stop_{false};
    std::thread watcher_;
};

}  // namespace kr::platform
