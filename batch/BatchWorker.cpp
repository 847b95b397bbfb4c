// SPDX-License-Identifier: MIT
#include "batch/BatchWorker.h"

#include <chrono>
#include <thread>
#include <unordered_map>

#include "batch/BuilderOutput.h"
#include "batch/ProjectFolderName.h"
#include "generator/GenerateProject.h"
#include "model/ConfigurationSettings.h"
#include "platform/FolderLock.h"
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

std::u16string SaveFileName(const std::u16string& savePath)
{
    return platform::FileTitleOf(savePath) + platform::FileExtensionOf(savePath);
}

// The block of a save file refused before anything was done for it.
void RefuseOne(std::u16string& stepLog, const std::u16string& savePath, const std::u16string& projectFolder,
               const std::u16string& reason, PendingLog* live)
{
    StepWriter log(stepLog, live);
    log += u"Generating Project: " + SaveFileName(savePath) + u"\r\n" + u"Output Folder: " + projectFolder + u"\r\n"
           + reason + kFailed;
}

// The last line of a batch's log.
std::u16string SummaryLine(unsigned files, unsigned generated, const unsigned* built, unsigned failed, unsigned notStarted)
{
    return u"Summary: " + FormatDecimal(files) + u" save files: " + FormatDecimal(generated) + u" generated"
           + (built ? u", " + FormatDecimal(*built) + u" built" : std::u16string()) + u", " + FormatDecimal(failed)
           + u" failed, " + FormatDecimal(notStarted) + u" not started.\r\n";
}

}  // namespace

bool GenerateOne(std::u16string& stepLog, const std::u16string& savePath, const std::u16string& projectFolder,
                 PendingLog* live)
{
    // The folder's own name is the last one of projectFolder.
    std::u16string_view folderName(projectFolder);
    if (folderName.ends_with(u'/'))
        folderName.remove_suffix(1);
    folderName.remove_prefix(folderName.find_last_of(u'/') + 1);
    if (!IsProjectFolderName(folderName)) {
        RefuseOne(stepLog, savePath, projectFolder, kMsgNoProjectFolderName, live);
        return false;
    }

    StepWriter log(stepLog, live);
    log += u"Generating Project: " + SaveFileName(savePath) + u"\r\n" + u"Output Folder: " + projectFolder + u"\r\n";

    // Loaded before the folder is made, so a file that does not load leaves
    // no empty folder behind.
    ConfigurationSettings settings;
    std::u16string errorText;
    if (!LoadSettings(savePath, settings, errorText)) {
        log += errorText + u"\r\n" + kFailed;
        return false;
    }

    std::string reason;
    const platform::CreateFolderResult created = platform::CreateFolder(projectFolder, &reason);
    if (created == platform::CreateFolderResult::Failed) {
        log += u"Error: Could not create directory\r\n" + projectFolder + u": " + platform::FromUtf8(reason) + u"\r\n"
               + kFailed;
        return false;
    }
    // A link of that name may lead anywhere; the project stays inside the
    // output folder.
    if (created == platform::CreateFolderResult::AlreadyExists && !platform::IsFolderItself(projectFolder)) {
        log += u"Error: The project folder is not a folder of the output folder but a link or a file\r\n" + kFailed;
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
    unsigned generated = 0, built = 0, failed = 0;
    const auto finish = [&](unsigned notStarted) {
        job.log->Append(SummaryLine(n, generated, job.buildProjects ? &built : nullptr, failed, notStarted));
    };

    // No two batches write one output folder at once; the one that comes
    // second is refused before it writes anything.
    platform::CFolderLock outputLock;
    platform::FileFailure why;
    const auto locked = outputLock.Lock(platform::ToUtf8(job.outputFolder), std::chrono::milliseconds(0), why);
    if (locked != platform::CFolderLock::Result::Locked) {
        job.log->Append(locked == platform::CFolderLock::Result::InUse
                            ? u"Error: The output folder is in use by another batch or generation: " + job.outputFolder
                                  + u"\r\n\r\n"
                            : u"Error: Could not lock the output folder\r\n" + platform::FromUtf8(why.Line())
                                  + u"\r\n\r\n");
        job.CountFailure();
        finish(n);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        job.SetStop();
        return true;
    }

    // The save file that took each project folder first, by the folder's
    // name compared without case.
    std::unordered_map<std::u16string, unsigned> folderOwners;
    std::u16string stepLog;
    std::u16string savePath;
    for (unsigned i = 0; i < n; ++i) {
        if (job.IsStopped()) {
            finish(n - i);
            return false;
        }
        savePath.assign(job.inputFolder).append(files[i]);
        const std::u16string title = platform::FileTitleOf(savePath);
        const std::u16string projectFolder = job.outputFolder + title + u"/";
        bool ok = false;
        const auto [owner, first] = folderOwners.try_emplace(ProjectFolderKey(title), i);
        if (first || !IsProjectFolderName(title)) {
            ok = GenerateOne(stepLog, savePath, projectFolder, job.log.get());
        } else {
            RefuseOne(stepLog, savePath, projectFolder,
                      u"Error: The project folder is that of " + std::u16string(files[owner->second])
                          + u", whose name differs from this one only in case\r\n",
                      job.log.get());
        }
        bool failedHere = !ok;
        if (ok) {
            ++generated;
            if (job.buildProjects) {
                if (BuildOne(stepLog, job.builderPath, projectFolder, job.log.get(), &job.builder))
                    ++built;
                else
                    failedHere = true;
            }
        }
        if (failedHere) {
            ++failed;
            job.CountFailure();
        }
        job.SetProgress(static_cast<int>(100u * (i + 1) / n));
    }
    finish(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    job.SetStop();
    return true;
}

}  // namespace kr
