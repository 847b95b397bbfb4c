// SPDX-License-Identifier: MIT
#include "batch/BatchWorker.h"

#include <chrono>
#include <thread>

#include "batch/BuilderOutput.h"
#include "generator/GenerateProject.h"
#include "model/ConfigurationSettings.h"
#include "platform/Folders.h"
#include "platform/NumberText.h"
#include "platform/Utf.h"
#include "settings/SaveFile.h"

namespace kr {

using platform::FormatDecimal;

namespace {

const std::u16string kFailed = u"Failed\r\n\r\n";
const std::u16string kSucceeded = u"Succeeded\r\n\r\n";

// A step's lines, kept whole in the step log and passed on to the live log
// as they are written.
class StepWriter {
public:
    StepWriter(std::u16string& stepLog, PendingLog* live) : stepLog_(stepLog), live_(live) { stepLog_.clear(); }

    StepWriter& operator+=(const std::u16string& text)
    {
        if (text.empty())
            return *this;
        stepLog_ += text;
        if (live_)
            live_->Append(text);
        return *this;
    }

private:
    std::u16string& stepLog_;
    PendingLog* live_;
};

}  // namespace

bool GenerateOne(std::u16string& stepLog, const std::u16string& savePath, const std::u16string& projectFolder,
                 PendingLog* live)
{
    StepWriter log(stepLog, live);
    log += u"Generating Project: " + platform::FileTitleOf(savePath) + platform::FileExtensionOf(savePath) + u"\r\n"
           + u"Output Folder: " + projectFolder + u"\r\n";

    if (platform::CreateFolder(projectFolder) == platform::CreateFolderResult::Failed) {
        log += u"Error: Could not create directory\r\n" + kFailed;
        return false;
    }

    ConfigurationSettings settings;
    std::u16string errorText;
    if (!LoadSettings(savePath, settings, errorText)) {
        log += errorText + u"\r\n" + kFailed;
        return false;
    }
    // The project goes where the batch puts it, whatever the file says.
    settings.project.projectPath = projectFolder;
    GenerationReport report;
    if (!GenerateProject(settings, errorText, &report)) {
        log += errorText + u"\r\n" + kFailed;
        return false;
    }
    for (const KeptFile& kept : report.kept)
        log += KeptFileNotice(kept) + u"\r\n";
    log += kSucceeded;
    return true;
}

bool BuildOne(std::u16string& stepLog, const std::u16string& builderPath, const std::u16string& projectFolder,
              PendingLog* live, platform::ProcessControl* control)
{
    const auto workspaces = platform::FindFilesByExtension(projectFolder, u"wsp");
    StepWriter log(stepLog, live);
    log += u"Building Project: " + projectFolder + u"\r\n";
    if (workspaces.empty()) {
        log += u"Error: No projects found\r\n" + kFailed;
        return false;
    }
    if (workspaces.size() > 1) {
        log += u"Error: Multiple projects detected\r\n" + kFailed;
        return false;
    }
    log += u"Workspace: " + workspaces.front() + u"\r\n";

    BuilderOutput output;
    const platform::ProcessResult run =
        platform::RunAndWait(platform::ToUtf8(builderPath), platform::ToUtf8(workspaces.front()), control,
                             [&](std::string_view text) { log += output.Add(text); });
    log += output.Finish();
    if (!run.started) {
        log += u"Error: Could not start builder: " + platform::FromUtf8(run.reason) + u"\r\n" + kFailed;
        return false;
    }
    if (!run.waited) {
        log += kFailed;
        return false;
    }
    // A builder reports a failed build by its exit status, or dies by a
    // signal: ours when the user stopped it, else a crash.
    if (!run.exited) {
        if (control && control->TerminateRequested())
            log += u"Build stopped on request\r\n" + kFailed;
        else
            log += u"Error: Build terminated by signal " + FormatDecimal(run.signal) + u"\r\n" + kFailed;
        return false;
    }
    if (run.exitStatus != 0) {
        log += u"Error: Build failed with exit status " + FormatDecimal(run.exitStatus) + u"\r\n" + kFailed;
        return false;
    }
    log += kSucceeded;
    return true;
}

bool RunBatch(BatchJob& job)
{
    // Names only, in one buffer: a batch of many thousand files keeps its
    // list small and builds each path when it gets there.
    const platform::FileNameList files = platform::FindFileNamesByExtension(job.inputFolder, u"kcw");
    const auto n = static_cast<unsigned>(files.size());
    std::u16string stepLog;
    std::u16string savePath;
    for (unsigned i = 0; i < n; ++i) {
        if (job.IsStopped())
            return false;
        savePath.assign(job.inputFolder).append(files[i]);
        const std::u16string projectFolder = job.outputFolder + platform::FileTitleOf(savePath) + u"/";
        const bool generated = GenerateOne(stepLog, savePath, projectFolder, job.log.get());
        if (!generated)
            job.CountFailure();
        if (generated && job.buildProjects
            && !BuildOne(stepLog, job.builderPath, projectFolder, job.log.get(), &job.builder))
            job.CountFailure();
        job.SetProgress(static_cast<int>(100u * (i + 1) / n));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    job.SetStop();
    return true;
}

}  // namespace kr
