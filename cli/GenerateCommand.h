// SPDX-License-Identifier: MIT
#pragma once
// kr761x-gen generate SAVEFILE OUTDIR: the project of one save file, written
// into OUTDIR the way the wizard's "Generate Project" writes it.

#include "cli/Command.h"

namespace kr::cli {

class CGenerateCommand : public CCommand {
public:
    std::string_view Name() const override { return "generate"; }
    std::vector<Parameter> Parameters() const override
    {
        return {
            {.name = "--check", .description = "write nothing; list the files a generation would create or change"},
            {.name = "SAVEFILE", .description = "the save file (.kcw) to generate"},
            {.name = "OUTDIR", .description = "the project folder, created when missing"},
        };
    }
    std::string_view Summary() const override { return "write the project of SAVEFILE into OUTDIR"; }

    // Loads SAVEFILE over the defaults; refuses a configuration with problems
    // (all of them listed on err) before anything is created; creates OUTDIR
    // when it is missing (one level; its parent must exist), points the
    // project path at OUTDIR and generates. Silent on success. On failure the error text of the step
    // that failed goes to err, with its line ends as plain newlines.
    // With --check nothing is written or created: every file a generation
    // would create or change is listed on out ("Would create: PATH",
    // "Would change: PATH"), user code carried as it would be, and the
    // result is kExitFailure when there is any, kExitSuccess when OUTDIR is
    // up to date.
    int Run(const ParsedArguments& args, std::ostream& out, std::ostream& err) override;
};

}  // namespace kr::cli
