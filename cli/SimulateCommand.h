// SPDX-License-Identifier: MIT
#pragma once
// kr761x-gen simulate PROJECT: runs a built KR7611 SDCC project in the 8051
// simulator and prints the input reports its user code sends, decoded as a
// host reads them.

#include "cli/Command.h"

namespace kr::cli {

class CSimulateCommand : public CCommand {
public:
    std::string_view Name() const override { return "simulate"; }
    // --budget and --no-vectors stay out of the usage line, so the call stays
    // short enough for one line of the help and of the manual page.
    std::vector<Parameter> Parameters() const override
    {
        return {
            {.name = "--mode",
             .description = "the input mode: mouse (the default), touch, multitouch, pen, multipen",
             .value = "MODE"},
            {.name = "--reports", .description = "the reports to take (1 to 1000000; 10)", .value = "N"},
            {.name = "--format", .description = "text (the default), csv or json", .value = "FORMAT"},
            {.name = "--budget",
             .description = "instructions a report may take (at most 4000000000; 1000000)",
             .value = "INSTRUCTIONS",
             .inUsage = false},
            {.name = "--no-vectors", .description = "plant no jumps at the interrupt vectors", .inUsage = false},
            {.name = "--script",
             .description = "a test script whose answers the buses give",
             .value = "SCRIPT",
             .inUsage = false},
            {.name = "PROJECT", .description = "the built SDCC project's folder or its workspace (.wsp)"},
        };
    }
    std::string_view Summary() const override { return "run a built SDCC project in s51, print its reports"; }

    // Prints each report taken, one line (text), one row (csv) or one
    // element (json) each; the assumptions the run makes first (text,
    // json) or on err (csv). Fails with one sentence on err, after the
    // reports taken, when the project cannot be simulated or a report does
    // not come within the budget.
    int Run(const ParsedArguments& args, std::ostream& out, std::ostream& err) override;
};

// kr761x-gen test SCRIPT PROJECT: runs a built project with a test script's
// answers and judges its expectations.
class CTestCommand : public CCommand {
public:
    std::string_view Name() const override { return "test"; }
    std::vector<Parameter> Parameters() const override
    {
        return {
            {.name = "--format", .description = "text (the default) or junit", .value = "FORMAT"},
            {.name = "SCRIPT", .description = "the test script"},
            {.name = "PROJECT", .description = "the built SDCC project's folder or its workspace (.wsp)"},
        };
    }
    std::string_view Summary() const override { return "run a built SDCC project against a test script"; }

    // text: the run as simulate prints it, then one line per failed
    // expectation (SCRIPT:LINE: expected ..., got ...) and a count; junit:
    // one testcase per expectation. 0 when every expectation holds, 1 when
    // one fails or the run cannot be made, 2 on a script error (naming its
    // line) or a command line not understood.
    int Run(const ParsedArguments& args, std::ostream& out, std::ostream& err) override;
};

}  // namespace kr::cli
