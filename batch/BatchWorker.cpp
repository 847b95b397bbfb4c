#include "batch/BatchWorker.h"

#include <chrono>
#include <thread>

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

}  // namespace

bool GenerateOne(std::u16string& stepLog, const std::u16string& savePath, const std::u16string& projectFolder)
{
    stepLog.clear();
    stepLog += u"Generating Project: " + platform::FileTitleOf(savePath) + platform::FileExtensionOf(savePath) + u"\r\n";
    stepLog += u"Output Folder: " + projectFolder + u"\r\n";

    if (platform::CreateFolder(projectFolder) == platform::CreateFolderResult::Failed) {
        stepLog += u"Error: Could not create directory\r\n" + kFailed;
        return false;
    }

    ConfigurationSettings settings;
    std::u16string errorText;
    if (!LoadSettings(savePath, settings, errorText)) {
        stepLog += errorText + u"\r\n" + kFailed;
        return false;
    }
    // The project goes where the batch puts it, whatever the file says.
    settings.project.projectPath = projectFolder;
    GenerationReport report;
    if (!GenerateProject(settings, errorText, &report)) {
        stepLog += errorText + u"\r\n" + kFailed;
        return false;
    }
    for (const KeptFile& kept : report.kept)
        stepLog += KeptFileNotice(kept) + u"\r\n";
    stepLog += kSucceeded;
    return true;
}

bool BuildOne(std::u16string& stepLog, const std::u16string& builderPath, const std::u16string& projectFolder,
              platform::ProcessControl* control)
{
    const auto workspaces = platform::FindFilesByExtension(projectFolder, u"wsp");
    stepLog.clear();
    stepLog += u"Building Project: " + projectFolder + u"\r\n";
    if (workspaces.empty()) {
        stepLog += u"Error: No projects found\r\n" + kFailed;
        return false;
    }
    if (workspaces.size() > 1) {
        stepLog += u"Error: Multiple projects detected\r\n" + kFailed;
        return false;
    }
    stepLog += u"Workspace: " + workspaces.front() + u"\r\n";

    const platform::ProcessResult run =
        platform::RunAndWait(platform::ToUtf8(builderPath), platform::ToUtf8(workspaces.front()), control);
    if (!run.started || !run.waited) {
        stepLog += kFailed;
        return false;
    }
    // A builder reports a failed build by its exit status, or dies by a signal.
    if (!run.exited) {
        stepLog += u"Error: Build terminated by signal " + FormatDecimal(run.signal) + u"\r\n" + kFailed;
        return false;
    }
    if (run.exitStatus != 0) {
        stepLog += u"Error: Build failed with exit status " + FormatDecimal(run.exitStatus) + u"\r\n" + kFailed;
        return false;
    }
    stepLog += kSucceeded;
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
        const bool generated = GenerateOne(stepLog, savePath, projectFolder);
        job.log->Append(stepLog);
        if (!generated)
            job.CountFailure();
        if (generated && job.buildProjects) {
            if (!BuildOne(stepLog, job.builderPath, projectFolder, &job.builder))
                job.CountFailure();
            job.log->Append(stepLog);
        }
        job.SetProgress(static_cast<int>(100u * (i + 1) / n));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    job.SetStop();
    return true;
}

}  // namespace kr
