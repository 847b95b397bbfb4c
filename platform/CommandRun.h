// SPDX-License-Identifier: MIT
#pragma once
// Running a tool with a list of arguments in a given folder and keeping what
// it prints, for builds that show the tool's messages.

#include <optional>
#include <string>
#include <vector>

namespace kr::platform {

struct CommandResult {
    bool started = false;  // the program could be started
    bool exited = false;  // it ended by exiting (else by a signal, or never started)
    int exitStatus = 0;  // when exited
    int signal = 0;  // when ended by a signal
    std::string output;  // its standard output and standard error, interleaved as written
};

// Runs arguments[0] (a path, or a name looked up on PATH) with the other
// words as its arguments, in workingFolder, with standard input from
// /dev/null, and waits for its end.
CommandResult RunCommand(const std::vector<std::string>& arguments, const std::string& workingFolder);

// The path of the executable file name in the first folder of PATH that has
// one, or nothing. A name with a '/' is not looked up.
std::optional<std::string> FindOnPath(const std::string& name);

}  // namespace kr::platform
