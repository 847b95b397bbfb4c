// SPDX-License-Identifier: MIT
#pragma once
// A named pipe that another program opens as a file and reads at its own
// pace, fed by a thread of ours with text made on demand: an endless stream
// (a clock's ticks, say) costs only what the reader takes of it.

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace kr::platform {

class CFifoFeeder {
public:
    CFifoFeeder() = default;
    CFifoFeeder(const CFifoFeeder&) = delete;
    CFifoFeeder& operator=(const CFifoFeeder&) = delete;
    // Stops feeding and removes the pipe.
    ~CFifoFeeder();

    // Creates the pipe at path (UTF-8) and writes next()'s text into it, one
    // piece after another, for as long as the feeder lives; a reader that
    // goes away leaves the writing stalled, not failed. False with the
    // reason in the system's words when the pipe cannot be made.
    bool Start(const std::string& path, std::function<std::string()> next, std::string& reason);

private:
    void Feed(std::function<std::string()> next);

    std::string path_;
    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace kr::platform
