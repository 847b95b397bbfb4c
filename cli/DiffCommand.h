// SPDX-License-Identifier: MIT
#pragma once
// kr761x-gen diff A B: the fields in which two save files differ, one a line,
// as "Group/field: old -> new" with the values as the wizard shows them.
// Exit 0 when none differ, 1 when some do, 2 on any trouble (a file cannot be
// read, the listing cannot be written), as diff(1) answers.

#include "cli/Command.h"

namespace kr::cli {

class CDiffCommand : public CCommand {
public:
    std::string_view Name() const override { return "diff"; }
    std::vector<Parameter> Parameters() const override
    {
        return {
            {.name = "SAVEFILE", .description = "the save file (.kcw) compared from"},
            {.name = "SAVEFILE", .description = "the save file (.kcw) compared to"},
        };
    }
    std::string_view Summary() const override { return "list the fields in which two save files differ"; }

    int Run(const ParsedArguments& args, std::ostream& out, std::ostream& err) override;
};

}  // namespace kr::cli
