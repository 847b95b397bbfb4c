// SPDX-License-Identifier: MIT
#pragma once
// One subcommand of kr761x-gen. Each command parses its own arguments and
// writes only to the two streams it is given, so tests can run it in-process.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kr::cli {

// The program's exit status, as build scripts read it.
enum ExitCode : int {
    kExitSuccess = 0,
    kExitFailure = 1,   // the work itself failed; the reason is on standard error
    kExitUsage = 2,     // the command line was not understood
    // Exit status 2 for a trouble the command has stated on standard error
    // itself (a file diff cannot read); no usage line follows it.
    kExitTrouble = 0x100 | kExitUsage,
};

class CCommand {
public:
    virtual ~CCommand() = default;

    // The word that selects the command, e.g. "generate".
    virtual std::string_view Name() const = 0;
    // The command's arguments as the usage line shows them, e.g. "SAVEFILE OUTDIR".
    virtual std::string_view Arguments() const = 0;
    // One line for the program's help.
    virtual std::string_view Summary() const = 0;

    // args are the words after the command's name. Returns an ExitCode;
    // kExitUsage without writing anything when the arguments are not
    // understood (the command line then writes the usage line). "--help" as
    // the only argument never reaches the command.
    virtual int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) = 0;
};

}  // namespace kr::cli
