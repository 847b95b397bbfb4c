// SPDX-License-Identifier: MIT
#pragma once
// The front end of kr761x-gen: the program options, the choice of the
// subcommand, and every help and usage text, the commands' own included.
// Commands are added at start-up; each one checks its own arguments.

#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Command.h"

namespace kr::cli {

inline constexpr const char* kProgramName = "kr761x-gen";

class CCommandLine {
public:
    explicit CCommandLine(std::string version);

    void Add(std::unique_ptr<CCommand> command);

    // args are the words after the program name. Returns an ExitCode.
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

private:
    void WriteHelp(std::ostream& out) const;
    void WriteUsage(std::ostream& err) const;
    CCommand* Find(const std::string& name) const;

    std::string version_;
    std::vector<std::unique_ptr<CCommand>> commands_;
};

// A program that is one command of its own (kr761x-build): its name, the
// arguments its usage line shows, the text its help adds below that line, and
// its version.
struct SingleCommandProgram {
    std::string_view name;
    std::string_view arguments;
    std::string_view help;
    std::string_view version;
    std::vector<std::string_view> valueOptions = {};   // options the command reads, each with a value
};

// Runs such a program on args (the words after its name): "--help" and
// "--version" alone are answered here, a word starting with '-' is an unknown
// option unless the program names it (it is then passed on with its value), and the usage line is written whenever the command line is not
// understood. Returns an ExitCode.
int RunSingleCommand(const SingleCommandProgram& program, CCommand& command, const std::vector<std::string>& args,
                     std::ostream& out, std::ostream& err);

}  // namespace kr::cli
