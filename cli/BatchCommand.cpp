// SPDX-License-Identifier: MIT
#include "cli/BatchCommand.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "batch/BatchRunner.h"
#include "batch/CheckBatchPaths.h"
#include "cli/TerminalText.h"
#include "platform/Cores.h"
#include "platform/EndSignals.h"
#include "platform/Folders.h"
#include "platform/ProgramSearch.h"

namespace kr::cli {
namespace {

struct BatchArguments {
    std::filesystem::path inputFolder;
    std::filesystem::path outputFolder;
    std::filesystem::path builderPath;
    bool build = false;
    unsigned jobs = 0;  // 0: not given
};

// A count of save files side by side: 1 to 4096, in decimal digits only.
bool ParseJobs(const std::string& text, unsigned& jobs)
{
    if (text.empty() || text.size() > 4
        || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    jobs = static_cast<unsigned>(std::stoul(text));
    return jobs >= 1 && jobs <= 4096;
}

// A bare program name is looked up on PATH as a shell would; one that is
// not found there stays as given, a file in the current folder.
std::filesystem::path BuilderPath(const std::string& builder)
{
    const char* searchPath = std::getenv("PATH");
    std::filesystem::path found = platform::FindProgramOnPath(builder, searchPath ? searchPath : "");
    return found.empty() ? std::filesystem::path(builder) : found;
}

bool Parse(const ParsedArguments& args, BatchArguments& parsed)
{
    if (args.Has("--build")) {
        parsed.build = true;
        parsed.builderPath = BuilderPath(args.Value("--build"));
    }
    if (args.Has("--jobs") && !ParseJobs(args.Value("--jobs"), parsed.jobs))
        return false;
    parsed.inputFolder = AsFolder(args.positionals[0]);
    parsed.outputFolder = AsFolder(args.positionals[1]);
    return true;
}

}  // namespace

CBatchCommand::CBatchCommand(std::function<int()> interrupts, bool showProgress)
    : interrupts_(std::move(interrupts)), showProgress_(showProgress)
{
}

int CBatchCommand::Run(const ParsedArguments& args, std::ostream& out, std::ostream& err)
{
    BatchArguments parsed;
    if (!Parse(args, parsed))
        return kExitUsage;

    auto job = std::make_shared<BatchJob>(std::make_shared<PendingLog>());
    job->inputFolder = parsed.inputFolder;
    job->outputFolder = parsed.outputFolder;
    job->builderPath = parsed.builderPath;
    job->buildProjects = parsed.build;
    job->jobs = parsed.jobs != 0 ? parsed.jobs : platform::UsableCores();
    if (std::u16string errorText; !CheckBatchPaths(*job, errorText)) {
        err << ForTerminal(errorText) << "\n";
        return kExitFailure;
    }

    // Ended from outside (SIGTERM, SIGHUP, a closed pipe), the batch first
    // ends every running builder, then the program ends by that signal.
    platform::CEndSignals endSignals(platform::EndSignalsOf::CommandLine, [job] { job->StopNow(); });
    BatchRunner runner(job);
    int stopRequests = 0;
    int shownProgress = -1;
    for (;;) {
        const bool ended = runner.WaitForEnd(std::chrono::milliseconds(100));
        // The log comes in pieces of bounded size; all of it once the run
        // has ended.
        for (std::u16string text; !(text = job->log->Take()).empty();)
            out << ForTerminal(text) << std::flush;
        if (showProgress_ && job->GetProgress() != shownProgress) {
            shownProgress = job->GetProgress();
            err << "\r" << shownProgress << "%" << std::flush;
        }
        if (ended)
            break;
        const int requests = interrupts_ ? interrupts_() : 0;
        if (requests >= 1 && stopRequests < 1) {
            job->RequestStop();
            if (job->buildProjects) {
                err << (showProgress_ ? "\r    \r" : "")
                    << (job->jobs > 1 ? "Stopping after the current builds; press Ctrl+C again to stop them now.\n"
                                      : "Stopping after the current build; press Ctrl+C again to stop it now.\n")
                    << std::flush;
                shownProgress = -1;
            }
        }
        if (requests >= 2 && stopRequests < 2)
            job->StopNow();
        stopRequests = std::max(stopRequests, std::min(requests, 2));
    }
    if (showProgress_)
        err << "\r    \r" << std::flush;

    // A batch that could not start has said why in its log.
    if (runner.Started() && !runner.AllFilesProcessed()) {
        err << "Stopped on request before every save file was processed.\n";
        return kExitFailure;
    }
    return job->Failures() == 0 ? kExitSuccess : kExitFailure;
}

}  // namespace kr::cli
