// SPDX-License-Identifier: MIT
#pragma once
// kr761x-gen describe [--layout] SAVEFILE: the HID report descriptor that
// SAVEFILE's project would carry, decoded, with the size of every report; or,
// with --layout, every report laid out bit by bit as a host reads it, beside
// the firmware's report sizes and structures.

#include "cli/Command.h"

namespace kr::cli {

class CDescribeCommand : public CCommand {
public:
    std::string_view Name() const override { return "describe"; }
    std::vector<Parameter> Parameters() const override
    {
        return {
            {.name = "--layout", .description = "lay every report out bit by bit beside the firmware's structures"},
            {.name = "SAVEFILE", .description = "the save file (.kcw) whose descriptor is printed"},
        };
    }
    std::string_view Summary() const override { return "print the decoded HID report descriptor of SAVEFILE"; }

    // Loads SAVEFILE over the defaults and prints the decoded descriptor and
    // its report sizes on out (with --layout, the report layouts instead). When the descriptor breaks a rule hosts check,
    // says which on err and returns kExitFailure, after printing it all the
    // same; a save file that cannot be loaded or expanded fails with the
    // error text, as generate does.
    int Run(const ParsedArguments& args, std::ostream& out, std::ostream& err) override;
};

}  // namespace kr::cli
