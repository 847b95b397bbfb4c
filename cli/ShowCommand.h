// SPDX-License-Identifier: MIT
#pragma once
// kr761x-gen show SAVEFILE: every field of a save file, one a line, as
// "Group/field = value" with the value as the wizard shows it, for reading a
// configuration without the desktop program and for scripts.

#include "cli/Command.h"

namespace kr::cli {

class CShowCommand : public CCommand {
public:
    std::string_view Name() const override { return "show"; }
    std::vector<Parameter> Parameters() const override
    {
        return {{.name = "SAVEFILE", .description = "the save file (.kcw) to print"}};
    }
    std::string_view Summary() const override { return "print every field of SAVEFILE, one a line"; }

    // Exit 0, or 1 with the load error on err.
    int Run(const ParsedArguments& args, std::ostream& out, std::ostream& err) override;
};

}  // namespace kr::cli
