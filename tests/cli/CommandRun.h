// SPDX-License-Identifier: MIT
#pragma once
// Runs one command through the program's own command line, in process, and
// keeps what it printed, so each command's tests read the exit status and
// both streams the way a shell would see them.

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"

namespace kr::test {

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

// The version text is what "--version" prints after the program's name.
inline Outcome RunWith(std::unique_ptr<cli::CCommand> command, const std::vector<std::string>& args,
                       const char* version = "1.2.3")
{
    cli::CCommandLine commandLine(version);
    commandLine.Add(std::move(command));
    std::ostringstream out;
    std::ostringstream err;
    const int code = commandLine.Run(args, out, err);
    return {code, out.str(), err.str()};
}

}  // namespace kr::test
