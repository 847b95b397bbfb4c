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
    // --budget INSTRUCTIONS and --no-vectors are taken too; the call stays
    // short enough for one line of the help and of the manual page.
    std::string_view Arguments() const override { return "[--mode MODE] [--reports N] [--format FORMAT] PROJECT"; }
    std::string_view Summary() const override { return "run a built SDCC project in s51, print its reports"; }

    // Prints each report taken, one line (text), one row (csv) or one
    // element (json) each; the assumptions the run makes first (text,
    // json) or on err (csv). Fails with one sentence on err, after the
    // reports taken, when the project cannot be simulated or a report does
    // not come within the budget.
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) override;
};

}  // namespace kr::cli
