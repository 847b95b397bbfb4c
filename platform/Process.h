// SPDX-License-Identifier: MIT
#pragma once
// Starting an external program and waiting for its end, with a way for
// another thread to end it while it runs and, when asked, the program's
// output handed over as it comes.

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace kr::platform {

struct ProcessResult {
    bool started = false;  // the program could be started
    std::string reason;  // when not started: why, in the system's words
    bool waited = false;  // its end was seen and its status read
    bool exited = false;  // it ended by exiting (else by a signal)
    int exitStatus = 0;  // when exited
    int signal = 0;  // when ended by a signal
};

// Receives what the program writes to its standard output and standard
// error, both through one pipe so their order is kept, in pieces as they
// arrive (a piece may end in the middle of a line or of a character).
using OutputSink = std::function<void(std::string_view)>;

// Shared between the threads that wait for programs and any thread that may
// need to end them; several programs may run through one control at once.
// Once Terminate has been called, every running program is killed and any
// program started later through this control is killed at once, so a cut-off
// cannot be missed by a start that comes just after it.
class ProcessControl {
public:
    void Terminate();
    bool TerminateRequested() const;

private:
    friend ProcessResult RunProgram(const std::vector<std::string>&, const std::string&, ProcessControl*,
                                    const OutputSink&);
    mutable std::mutex mutex_;
    std::vector<pid_t> groups_;  // process groups of the running programs
    bool terminate_ = false;
};

// Runs arguments[0] (a UTF-8 path, used as given: no search) with the other
// words as its arguments, in workingFolder unless that is empty, with its
// standard input from /dev/null. With a control it runs in a process group
// of its own, so that ending it also ends what it started (and a Ctrl+C at
// the terminal does not reach it); once it has ended, whatever it left
// running in that group is ended too. With an output sink its standard output
// and error go to the sink; without one its standard output goes to our
// standard error, so nothing it prints mixes with our own output. Waits
// without a time limit; once the program has ended, output still held open
// by something it left running is not waited for.
ProcessResult RunProgram(const std::vector<std::string>& arguments, const std::string& workingFolder,
                         ProcessControl* control = nullptr, const OutputSink& output = {});

// Runs program with argument as its only argument, as RunProgram does.
ProcessResult RunAndWait(const std::string& program, const std::string& argument, ProcessControl* control = nullptr,
                         const OutputSink& output = {});

}  // namespace kr::platform
