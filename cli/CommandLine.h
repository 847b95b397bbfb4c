// SPDX-License-Identifier: MIT
#pragma once
// The front end of kr761x-gen and kr761x-build: the program options, the
// choice of the subcommand, the one reading of a command's words against its
// declared parameters, and every help and usage text, the commands' own
// included. Commands are added at start-up.

#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Command.h"

namespace kr::cli {

inline constexpr const char* kProgramName = "kr761x-gen";

// The arguments of a usage line as the parameters declare them, e.g.
// "[--check] SAVEFILE OUTDIR".
std::string UsageArguments(const std::vector<Parameter>& parameters);

// Reads words against parameters. Options may stand anywhere before a word
// "--", which ends them; a lone "-" is a positional argument. False, leaving
// parsed unspecified, for an unknown option, an option given twice (unless it
// repeats) or without its value, an empty word, or too few or too many
// positional arguments.
bool ParseArguments(const std::vector<Parameter>& parameters, const std::vector<std::string>& words,
                    ParsedArguments& parsed);

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
// paragraph its help shows below the usage line, and its version. Its usage
// line and its tables of arguments and options come from the command.
struct SingleCommandProgram {
    std::string_view name;
    std::string_view help;
    std::string_view version;
};

// Runs such a program on args (the words after its name): "--help" and
// "--version" alone are answered here, every other call is read as the
// command's parameters declare, as kr761x-gen reads its commands, and the
// usage line is written whenever the command line is not understood. Returns
// an ExitCode.
int RunSingleCommand(const SingleCommandProgram& program, CCommand& command, const std::vector<std::string>& args,
                     std::ostream& out, std::ostream& err);

}  // namespace kr::cli
