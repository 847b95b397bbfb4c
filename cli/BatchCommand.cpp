#include "cli/BatchCommand.h"

#include <chrono>

#include "batch/BatchRunner.h"
#include "batch/CheckBatchPaths.h"
#include "cli/TerminalText.h"
#include "platform/Folders.h"
#include "platform/Utf.h"

namespace kr::cli {
namespace {

struct BatchArguments {
    std::u16string inputFolder;
    std::u16string outputFolder;
    std::u16string builderPath;
    bool build = false;
};

bool Parse(const std::vector<std::string>& args, BatchArguments& parsed)
{
    std::vector<std::string> folders;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--build") {
            if (parsed.build || i + 1 >= args.size() || args[i + 1].empty())
                return false;
            parsed.build = true;
            parsed.builderPath = platform::FromUtf8(args[++i]);
        } else if (args[i].starts_with("-") || args[i].empty()) {
            return false;
        } else {
            folders.push_back(args[i]);
        }
    }
    if (folders.size() != 2)
        return false;
    parsed.inputFolder = AsFolder(platform::FromUtf8(folders[0]));
    parsed.outputFolder = AsFolder(platform::FromUtf8(folders[1]));
    return true;
}

}  // namespace

CBatchCommand::CBatchCommand(std::function<bool()> interruptRequested, bool showProgress)
    : interruptRequested_(std::move(interruptRequested)), showProgress_(showProgress)
{
}

int CBatchCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    BatchArguments parsed;
    if (!Parse(args, parsed))
        return kExitUsage;

    auto job = std::make_shared<BatchJob>(std::make_shared<PendingLog>());
    job->inputFolder = parsed.inputFolder;
    job->outputFolder = parsed.outputFolder;
    job->builderPath = parsed.builderPath;
    job->buildProjects = parsed.build;
    if (std::u16string errorText; !CheckBatchPaths(*job, errorText)) {
        err << ForTerminal(errorText) << "\n";
        return kExitFailure;
    }

    BatchRunner runner(job);
    bool stopRequested = false;
    int shownProgress = -1;
    for (;;) {
        const bool ended = runner.WaitForEnd(std::chrono::milliseconds(100));
        if (const std::u16string text = job->log->Take(); !text.empty())
            out << ForTerminal(text) << std::flush;
        if (showProgress_ && job->GetProgress() != shownProgress) {
            shownProgress = job->GetProgress();
            err << "\r" << shownProgress << "%" << std::flush;
        }
        if (ended)
            break;
        if (!stopRequested && interruptRequested_ && interruptRequested_()) {
            stopRequested = true;
            job->SetStop();
        }
    }
    if (showProgress_)
        err << "\r    \r" << std::flush;

    if (!runner.AllFilesProcessed()) {
        err << "Stopped on request before every save file was processed.\n";
        return kExitFailure;
    }
    return job->Failures() == 0 ? kExitSuccess : kExitFailure;
}

}  // namespace kr::cli
