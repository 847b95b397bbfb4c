#pragma once
// kr761x-gen batch INDIR OUTDIR [--build BUILDER]: every save file of INDIR
// generated into a project folder of its own under OUTDIR, each optionally
// built, the way the wizard's batch generator does it.

#include <functional>

#include "cli/Command.h"

namespace kr::cli {

class CBatchCommand : public CCommand {
public:
    // interruptRequested is polled while the batch runs; when it answers
    // true the worker is asked to stop between files. showProgress puts the
    // percentage of files done on err as the run goes.
    explicit CBatchCommand(std::function<bool()> interruptRequested = {}, bool showProgress = false);

    std::string_view Name() const override { return "batch"; }
    std::string_view Arguments() const override { return "INDIR OUTDIR [--build BUILDER]"; }
    std::string_view Summary() const override { return "write a project for every save file of INDIR into OUTDIR"; }

    // Prints the batch log to out as it grows. Exit 0 when every file (and
    // build) succeeded, 1 when any failed or the run was stopped early.
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) override;

private:
    std::function<bool()> interruptRequested_;
    bool showProgress_;
};

}  // namespace kr::cli
