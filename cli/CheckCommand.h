// SPDX-License-Identifier: MIT
#pragma once
// kr761x-gen check SAVEFILE...: every problem that would stop each save file
// from being generated, one line each, for pipelines that keep save files in
// version control.

#include "cli/Command.h"

namespace kr::cli {

class CCheckCommand : public CCommand {
public:
    std::string_view Name() const override { return "check"; }
    std::vector<Parameter> Parameters() const override
    {
        return {{.name = "SAVEFILE", .description = "a save file (.kcw) to check", .occurs = Occurs::Repeated}};
    }
    std::string_view Summary() const override { return "list what stops each SAVEFILE from being generated"; }

    // Loads each file over the defaults and prints one line per problem on
    // out: "FILE: PATH = VALUE: SENTENCE" (host rules have no path or value).
    // A file that cannot be loaded gets its load error on err. Silent for a
    // clean file. Exit 0 when every file is clean, 1 otherwise.
    int Run(const ParsedArguments& args, std::ostream& out, std::ostream& err) override;
};

}  // namespace kr::cli
