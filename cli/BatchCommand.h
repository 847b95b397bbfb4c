// SPDX-License-Identifier: MIT
#pragma once
// kr761x-gen batch INDIR OUTDIR [--build BUILDER] [--jobs N]: every save
// file of INDIR generated into a project folder of its own under OUTDIR, each
// optionally built, the way the wizard's batch generator does it; N files
// side by side (-j N; by default as many as the process has cores).

#include <functional>

#include "cli/Command.h"

namespace kr::cli {

class CBatchCommand : public CCommand {
public:
    // interrupts is polled while the batch runs and answers how often the
    // user has asked to stop so far: after the first request the worker
    // starts no further file (running builds end first), after the second
    // the running builds are ended at once. showProgress puts the percentage of
    // files done on err as the run goes.
    explicit CBatchCommand(std::function<int()> interrupts = {}, bool showProgress = false);

    std::string_view Name() const override { return "batch"; }
    std::vector<Parameter> Parameters() const override
    {
        return {
            {.name = "INDIR", .description = "the folder whose save files (.kcw) are generated"},
            {.name = "OUTDIR", .description = "the folder that gets a project folder for each save file"},
            {.name = "--build",
             .description = "run BUILDER (a path, or a name on PATH) on each workspace",
             .value = "BUILDER"},
            {.name = "--jobs",
             .description = "save files generated and built side by side (1 to 4096)",
             .value = "N",
             .alias = "-j"},
        };
    }
    std::string_view Summary() const override { return "write a project for every save file of INDIR into OUTDIR"; }

    // BUILDER is a path, or a program name looked up on PATH. Prints the
    // batch log to out as it grows, builders' output included. Exit 0 when
    // every file (and build) succeeded, 1 when any failed or the run was
    // stopped early. SIGTERM, SIGHUP or a closed output pipe end the running
    // builders at once; once the run has ended, the program ends by that
    // signal.
    int Run(const ParsedArguments& args, std::ostream& out, std::ostream& err) override;

private:
    std::function<int()> interrupts_;
    bool showProgress_;
};

}  // namespace kr::cli
