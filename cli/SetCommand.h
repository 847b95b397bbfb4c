// SPDX-License-Identifier: MIT
#pragma once
// kr761x-gen set SAVEFILE PATH=VALUE... [-o OUT]: a save file with some
// fields changed, each value written as `show` prints it and kept to the
// field's rule, so product variants can be made from one save file by a
// script.

#include "cli/Command.h"

namespace kr::cli {

class CSetCommand : public CCommand {
public:
    std::string_view Name() const override { return "set"; }
    std::vector<Parameter> Parameters() const override
    {
        return {
            {.name = "SAVEFILE", .description = "the save file (.kcw) to change"},
            {.name = "PATH=VALUE",
             .description = "a field's path as show prints it, and its new value",
             .occurs = Occurs::Repeated},
            {.name = "-o",
             .description = "write the changed save file to OUT, leaving SAVEFILE as it is",
             .value = "OUT"},
        };
    }
    std::string_view Summary() const override { return "write SAVEFILE (or OUT) with the fields PATH changed"; }

    // Loads SAVEFILE over the defaults, sets each PATH to VALUE in order and
    // saves to OUT, or over SAVEFILE without -o. A value that is not one of
    // its field's kind, or that breaks a rule the file kept before, is
    // refused with its message on err: exit 1, nothing written. A PATH no
    // field has: exit 2.
    int Run(const ParsedArguments& args, std::ostream& out, std::ostream& err) override;
};

}  // namespace kr::cli
