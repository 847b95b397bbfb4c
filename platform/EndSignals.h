// SPDX-License-Identifier: MIT
#pragma once
// The signals that end a program from outside, held off while a piece of
// work must first end what it started: SIGTERM and SIGHUP, and for a command
// line program SIGPIPE (its output is a pipe nobody reads any more), for a
// window program SIGINT (Ctrl+C at the terminal it was started from). While
// a CEndSignals lives, such a signal does not end the program: the first one
// received is remembered and handed to onSignal on a thread of its own, at
// once, whatever the program's other threads are doing (a write to a stalled
// pipe included). When the CEndSignals goes, the signals are handled as
// before again, and one it received ends the program as it would have.
//
// Only the handling is changed, never a thread's signal mask, so programs
// started meanwhile get the signals as usual. A signal the program ignores
// (SIGHUP under nohup) stays ignored. One CEndSignals at a time.

#include <atomic>
#include <csignal>
#include <functional>
#include <thread>
#include <vector>

namespace kr::platform {

enum class EndSignalsOf { CommandLine, Window };

class CEndSignals {
public:
    CEndSignals(EndSignalsOf program, std::function<void()> onSignal);
    ~CEndSignals();
    CEndSignals(const CEndSignals&) = delete;
    CEndSignals& operator=(const CEndSignals&) = delete;

    // The signal received so far, or 0.
    int Received() const;

private:
    struct Handled {
        int signal;
        struct sigaction previous;
    };
    std::function<void()> onSignal_;
    std::vector<Handled> handled_;
    std::atomic<bool> stop_{false};
    std::thread watcher_;
};

}  // namespace kr::platform
