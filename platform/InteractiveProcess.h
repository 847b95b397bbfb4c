// SPDX-License-Identifier: MIT
#pragma once
// A program that is talked to while it runs: what is written goes to its
// standard input, and what it prints on standard output and standard error
// (one pipe, so their order is kept) is read back until the reader has what
// it waits for. For tools driven one command at a time, such as a simulator
// whose next command depends on where the last one stopped.

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace kr::platform {

class CInteractiveProcess {
public:
    CInteractiveProcess() = default;
    CInteractiveProcess(const CInteractiveProcess&) = delete;
    CInteractiveProcess& operator=(const CInteractiveProcess&) = delete;
    // Ends the program (it is killed if it still runs) and waits for it.
    ~CInteractiveProcess();

    // Starts arguments[0] (a path, or a name looked up on PATH) with the
    // other words as its arguments. False with the reason in the system's
    // words when it cannot be started.
    bool Start(const std::vector<std::string>& arguments, std::string& reason);

    // Writes text to the program's standard input. False when it has gone.
    bool Write(std::string_view text);

    // Reads what the program prints until done(all read so far) is true;
    // the text read is kept. False when the program closed its output first
    // (it ended). Waits as long as it takes: the caller asks only for what
    // the program will print.
    bool ReadUntil(const std::function<bool(std::string_view)>& done);

    // Everything read so far, and dropping it.
    const std::string& Output() const { return output_; }
    void ClearOutput() { output_.clear(); }

private:
    void Finish();

    pid_t pid_ = 0;
    int input_ = -1;
    int outputFd_ = -1;
    std::string output_;
};

}  // namespace kr::platform
