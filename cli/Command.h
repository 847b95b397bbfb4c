// SPDX-License-Identifier: MIT
#pragma once
// One subcommand of kr761x-gen. Each command declares its arguments and
// options; the command line reads the words of a call against that
// declaration, and the command receives them already parsed. A command
// writes only to the two streams it is given, so tests can run it in-process.

#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kr::cli {

// The program's exit status, as build scripts read it.
enum ExitCode : int {
    kExitSuccess = 0,
    kExitFailure = 1,  // the work itself failed; the reason is on standard error
    kExitUsage = 2,  // the command line was not understood
    // Exit status 2 for a trouble the command has stated on standard error
    // itself (a file diff cannot read); no usage line follows it.
    kExitTrouble = 0x100 | kExitUsage,
};

// How many words a positional argument takes.
enum class Occurs {
    Once,
    Optional,  // none or one: "[NAME]"
    Repeated,  // one or more: "NAME..."
};

// One argument or option of a command. A name starting with '-' is an option
// ("--build"), any other a positional argument ("SAVEFILE"). The order of a
// command's parameters is the order of its usage line and its help.
struct Parameter {
    std::string_view name;
    std::string_view description;  // one line for the command's help
    std::string_view value = {};  // an option's value as the usage names it ("BUILDER"); empty for a switch
    std::string_view alias = {};  // another name of the option ("-j" for "--jobs")
    Occurs occurs = Occurs::Once;  // of a positional argument
    bool inUsage = true;  // false: an option only the command's help lists, to keep the usage short
    bool repeats = false;  // an option that may be given more than once: "[--host NAME]..."
};

// A call's words as the command line read them against the declaration:
// the positional arguments in order, and each option given (by its declared
// name, never its alias) with its value.
struct ParsedArguments {
    std::vector<std::string> positionals;
    std::vector<std::pair<std::string_view, std::string>> options;

    bool Has(std::string_view option) const;
    // The option's value; empty when it was not given.
    std::string Value(std::string_view option) const;
    // Every value of an option that repeats, in the order given.
    std::vector<std::string> Values(std::string_view option) const;
};

class CCommand {
public:
    virtual ~CCommand() = default;

    // The word that selects the command, e.g. "generate".
    virtual std::string_view Name() const = 0;
    // The command's arguments and options.
    virtual std::vector<Parameter> Parameters() const = 0;
    // One line for the program's help.
    virtual std::string_view Summary() const = 0;

    // Runs on a call the command line has matched to Parameters(): no
    // unknown option, none twice, each option with a non-empty value, every
    // positional argument non-empty and as many as declared. Returns an
    // ExitCode; kExitUsage without writing anything when a value is not one
    // the command takes (the command line then writes the usage line).
    virtual int Run(const ParsedArguments& args, std::ostream& out, std::ostream& err) = 0;
};

}  // namespace kr::cli
