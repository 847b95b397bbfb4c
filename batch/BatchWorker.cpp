// SPDX-License-Identifier: MIT
#include "batch/BatchWorker.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include "batch/BuilderOutput.h"
#include "batch/ProjectFolderName.h"
#include "generator/GenerateProject.h"
#include "model/ConfigurationSettings.h"
#include "platform/FolderLock.h"
#include "platform/Folders.h"
#include "platform/NumberText.h"
#include "platform/PathText.h"
#include "platform/Utf.h"
#include "settings/SaveFile.h"

namespace kr {

using platform::FormatDecimal;

namespace {

const std::u16string kFailed = u"Failed\n\n";
const std::u16string kSucceeded = u"Succeeded\n\n";
const std::u16string kMsgControlCharacterInName =
    u"Error: The save file's name holds a control character, which no project folder's name may hold\n";
const std::u16string kMsgControlCharacterInOutputFolder =
    u"Error: The output folder's path holds a control character, which would break the lines of the generated "
    u"files\n";

// A step's lines, passed on to the live log as they are written, else kept
// in the step log (so a builder's output is held once, not twice).
class StepWriter {
public:
    StepWriter(std::u16string& stepLog, LogSink* live) : stepLog_(stepLog), live_(live) { stepLog_.clear(); }

    StepWriter& operator+=(const std::u16string& text)
    {
        if (text.empty())
            return *this;
        if (live_)
            live_->Append(text);
        else
            stepLog_ += text;
        return *this;
    }

private:
    std::u16string& stepLog_;
    LogSink* live_;
};

// Names and folders are logged as text: bytes that are not UTF-8 show as
// U+FFFD, so every save file is named, whatever its name holds.
std::u16string SaveFileName(const std::filesystem::path& savePath)
{
    return platform::ShownPath(platform::FileTitleOf(savePath).native() + platform::FileExtensionOf(savePath).native());
}

// The block of a save file refused before anything was done for it.
void RefuseOne(std::u16string& stepLog, const std::filesystem::path& savePath,
               const std::filesystem::path& projectFolder, const std::u16string& reason, LogSink* live)
{
    StepWriter log(stepLog, live);
    log += u"Generating Project: " + SaveFileName(savePath) + u"\n" + u"Output Folder: "
           + platform::ShownPath(projectFolder) + u"\n" + reason + kFailed;
}

// The last line of a batch's log.
std::u16string SummaryLine(unsigned files, unsigned generated, const unsigned* built, unsigned failed,
                           unsigned notStarted)
{
    return u"Summary: " + FormatDecimal(files) + u" save files: " + FormatDecimal(generated) + u" generated"
           + (built ? u", " + FormatDecimal(*built) + u" built" : std::u16string()) + u", " + FormatDecimal(failed)
           + u" failed, " + FormatDecimal(notStarted) + u" not started.\n";
}

}  // namespace

bool GenerateOne(std::u16string& stepLog, const std::filesystem::path& savePath,
                 const std::filesystem::path& projectFolder, LogSink* live)
{
    // The folder's own name is the last one of projectFolder.
    std::string_view folderName(projectFolder.native());
    if (folderName.ends_with('/'))
        folderName.remove_suffix(1);
    folderName.remove_prefix(folderName.find_last_of('/') + 1);
    if (!IsProjectFolderName(folderName)) {
        RefuseOne(stepLog, savePath, projectFolder, kMsgNoProjectFolderName, live);
        return false;
    }
    // A line break in a folder's name would end a line of the workspace and
    // start one of the name's choosing.
    const std::string outputFolder =
        projectFolder.native().substr(0, static_cast<std::size_t>(folderName.data() - projectFolder.native().data()));
    if (platform::HoldsControlCharacter(folderName) || platform::HoldsControlCharacter(outputFolder)) {
        RefuseOne(stepLog, savePath, projectFolder,
                  platform::HoldsControlCharacter(folderName) ? kMsgControlCharacterInName
                                                              : kMsgControlCharacterInOutputFolder,
                  live);
        return false;
    }

    StepWriter log(stepLog, live);
    log += u"Generating Project: " + SaveFileName(savePath) + u"\n" + u"Output Folder: "
           + platform::ShownPath(projectFolder) + u"\n";

    // Loaded before the folder is made, so a file that does not load leaves
    // no empty folder behind.
    ConfigurationSettings settings;
    std::u16string errorText;
    if (!LoadSettings(savePath, settings, errorText)) {
        log += errorText + u"\n" + kFailed;
        return false;
    }

    // The project folder is made and opened through the output folder, never
    // through a link: a link of its name, there before or put there since it
    // was made, may lead anywhere, and the project stays inside the output
    // folder. Every file is then written through the folder opened here.
    platform::CFolder output;
    platform::CFolder project;
    platform::FileFailure why;
    const auto entered = output.Open(outputFolder, why) ? output.Enter(std::string(folderName), project, why)
                                                        : platform::CFolder::Entered::Failed;
    if (entered == platform::CFolder::Entered::Failed) {
        log += u"Error: Could not create directory\n" + platform::ShownPath(projectFolder) + u": "
               + platform::FromUtf8(why.reason) + u"\n" + kFailed;
        return false;
    }
    if (entered == platform::CFolder::Entered::NotAFolder) {
        log += u"Error: The project folder is not a folder of the output folder but a link or a file\n" + kFailed;
        return false;
    }

    // The project goes where the batch puts it, whatever the file says; the
    // folder's bytes are carried through the record's text unchanged.
    settings.project.projectPath = platform::PathAsText(projectFolder);
    GenerationReport report;
    if (!GenerateProject(settings, errorText, &report, nullptr, GenerationMode::Write, &project)) {
        log += errorText + u"\n" + kFailed;
        return false;
    }
    for (const KeptFile& kept : report.kept)
        log += KeptFileNotice(kept) + u"\n";
    log += kSucceeded;
    return true;
}

bool BuildOne(std::u16string& stepLog, const std::filesystem::path& builderPath,
              const std::filesystem::path& projectFolder, LogSink* live, platform::ProcessControl* control)
{
    const auto workspaces = platform::FindFilesByExtension(projectFolder, "wsp");
    StepWriter log(stepLog, live);
    log += u"Building Project: " + platform::ShownPath(projectFolder) + u"\n";
    if (workspaces.empty()) {
        log += u"Error: No projects found\n" + kFailed;
        return false;
    }
    if (workspaces.size() > 1) {
        log += u"Error: Multiple projects detected\n" + kFailed;
        return false;
    }
    log += u"Workspace: " + platform::ShownPath(workspaces.front()) + u"\n";
    // The project stays inside the output folder for the build as well: a
    // link put in the project folder's place since it was generated is not
    // handed to the builder.
    if (!platform::IsFolderItself(projectFolder)) {
        log += u"Error: The project folder is not a folder of the output folder but a link or a file\n" + kFailed;
        return false;
    }

    // The builder takes the workspace's whole path: one relative to the
    // working folder could start with '-' and be read as an option.
    BuilderOutput output;
    const platform::ProcessResult run =
        platform::RunAndWait(builderPath.native(), platform::AbsolutePath(workspaces.front().native()), control,
                             [&](std::string_view text) { log += output.Add(text); });
    output.Finish([&](const std::u16string& lines) { log += lines; });
    if (!run.started) {
        log += u"Error: Could not start builder: " + platform::FromUtf8(run.reason) + u"\n" + kFailed;
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
            log += u"Build stopped on request\n" + kFailed;
        else
            log += u"Error: Build terminated by signal " + FormatDecimal(run.signal) + u"\n" + kFailed;
        return false;
    }
    if (run.exitStatus != 0) {
        log += u"Error: Build failed with exit status " + FormatDecimal(run.exitStatus) + u"\n" + kFailed;
        return false;
    }
    log += kSucceeded;
    return true;
}

namespace {

// The save files of one run handed out to the workers in list order, and
// the log put back into that order: the block of the earliest unfinished
// file goes to the job's log as it is written, the blocks of later files
// wait here until every file before them is done.
class COrderedRun {
public:
    COrderedRun(BatchJob& job, const platform::FileNameList& files, unsigned window)
        : job_(job), files_(files), n_(static_cast<unsigned>(files.size())), window_(window)
    {
    }

    // A file to process: its index and, when an earlier file already took
    // its project folder, that file's index.
    struct Assignment {
        unsigned index;
        unsigned owner;
    };

    // The next file in list order, or false when every file has started or
    // a stop was asked for. A file waits to start while it is window files
    // ahead of the earliest unfinished one, so the blocks held back stay few.
    bool Next(Assignment& next)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            if (next_ >= n_ || stopped_)
                return false;
            if (job_.StopRequested()) {
                stopped_ = true;
                return false;
            }
            if (next_ < head_ + window_)
                break;
            // Polled as well, so a stop request is seen while waiting.
            advanced_.wait_for(lock, std::chrono::milliseconds(100));
        }
        next.index = next_++;
        const auto [owner, first] = folderOwners_.try_emplace(
            ProjectFolderKey(platform::FileTitleOf(std::string(files_[next.index])).native()), next.index);
        next.owner = owner->second;
        return true;
    }

    void Append(unsigned index, const std::u16string& text)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        if (index == head_)
            job_.log->Append(text);
        else
            heldBack_.try_emplace(index, job_.log->Spool()).first->second.text.Append(text);
    }

    // The file's block is complete; its counts join the run's.
    void Finish(unsigned index, bool generated, bool built, bool failed)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        generated_ += generated;
        built_ += built;
        if (failed) {
            ++failed_;
            job_.CountFailure();
        }
        ++finished_;
        job_.SetProgress(static_cast<int>(100u * finished_ / n_));
        if (index != head_) {
            heldBack_.try_emplace(index, job_.log->Spool()).first->second.done = true;
            return;
        }
        // Every complete block after it follows, then what the new earliest
        // unfinished file has written so far.
        for (++head_;; ++head_) {
            const auto block = heldBack_.find(head_);
            if (block == heldBack_.end())
                break;
            job_.log->Splice(block->second.text);
            const bool done = block->second.done;
            heldBack_.erase(block);
            if (!done)
                break;
        }
        advanced_.notify_all();
    }

    // After every worker has ended.
    unsigned NotStarted() const { return n_ - next_; }
    unsigned Generated() const { return generated_; }
    unsigned Built() const { return built_; }
    unsigned Failed() const { return failed_; }

private:
    // A block held back, in the bounded memory of the log's spool.
    struct Block {
        explicit Block(std::shared_ptr<CTextSpool> spool) : text(std::move(spool)) {}
        SpooledText text;
        bool done = false;
    };

    BatchJob& job_;
    const platform::FileNameList& files_;
    const unsigned n_;
    const unsigned window_;
    std::mutex mutex_;
    std::condition_variable advanced_;
    unsigned next_ = 0;  // the next file to start
    unsigned head_ = 0;  // the earliest file whose block is not wholly in the log
    unsigned finished_ = 0;
    unsigned generated_ = 0, built_ = 0, failed_ = 0;
    bool stopped_ = false;
    // The save file that took each project folder first, by the folder's
    // name compared without case; decided in list order, whatever the timing.
    std::unordered_map<std::string, unsigned> folderOwners_;
    std::map<unsigned, Block> heldBack_;
};

// The lines of one file's block, passed to the run in its place.
class CBlockSink final : public LogSink {
public:
    CBlockSink(COrderedRun& run, unsigned index) : run_(run), index_(index) {}
    void Append(const std::u16string& text) override { run_.Append(index_, text); }

private:
    COrderedRun& run_;
    unsigned index_;
};

// One worker: takes the next file until there is none, generates it and,
// when asked, builds it.
void ProcessFiles(BatchJob& job, const platform::FileNameList& files, COrderedRun& run)
{
    std::u16string stepLog;
    std::string savePath;
    COrderedRun::Assignment next{};
    while (run.Next(next)) {
        const unsigned i = next.index;
        CBlockSink sink(run, i);
        savePath.assign(job.inputFolder.native()).append(files[i]);
        const std::string title = platform::FileTitleOf(savePath).native();
        const std::filesystem::path projectFolder = job.outputFolder.native() + title + "/";
        bool ok = false;
        if (next.owner == i || !IsProjectFolderName(title)) {
            ok = GenerateOne(stepLog, savePath, projectFolder, &sink);
        } else {
            RefuseOne(stepLog, savePath, projectFolder,
                      u"Error: The project folder is that of " + platform::ShownPath(std::string(files[next.owner]))
                          + u", whose name differs from this one only in case\n",
                      &sink);
        }
        bool built = false;
        if (ok && job.buildProjects)
            built = BuildOne(stepLog, job.builderPath, projectFolder, &sink, &job.builder);
        run.Finish(i, ok, built, !ok || (job.buildProjects && !built));
    }
}

}  // namespace

bool RunBatch(BatchJob& job)
{
    // Names only, in one buffer: a batch of many thousand files keeps its
    // list small and builds each path when it gets there.
    const platform::FileNameList files = platform::FindFileNamesByExtension(job.inputFolder, "kcw");
    const auto n = static_cast<unsigned>(files.size());

    // No two batches write one output folder at once; the one that comes
    // second is refused before it writes anything.
    platform::CFolderLock outputLock;
    platform::FileFailure why;
    const auto locked = outputLock.Lock(job.outputFolder.native(), std::chrono::milliseconds(0), why);
    // Where the file system keeps no locks the batch says so once and goes
    // on; its project folders, on the same file system, are not locked either.
    if (locked == platform::CFolderLock::Result::NoLocks)
        job.log->Append(platform::FromUtf8(platform::NoLocksNotice(why)) + u"\n\n");
    if (locked != platform::CFolderLock::Result::Locked && locked != platform::CFolderLock::Result::NoLocks) {
        job.log->Append(locked == platform::CFolderLock::Result::InUse
                            ? u"Error: The output folder is in use by another batch or generation: "
                                  + platform::ShownPath(job.outputFolder) + u"\n\n"
                            : u"Error: Could not lock the output folder\n" + platform::FromUtf8(why.Line()) + u"\n\n");
        job.CountFailure();
        const unsigned none = 0;
        job.log->Append(SummaryLine(n, 0, job.buildProjects ? &none : nullptr, 0, n));
        job.MarkFinished();
        return true;
    }

    // This thread is one of the workers; the others run beside it and have
    // all ended before anything they use goes out of scope.
    const unsigned workers = std::max(1u, std::min(job.jobs, n));
    COrderedRun run(job, files, 8 * workers);
    std::vector<std::thread> others;
    for (unsigned w = 1; w < workers; ++w) {
        try {
            others.emplace_back([&] { ProcessFiles(job, files, run); });
        } catch (const std::system_error&) {
            break;  // fewer workers than asked for: the run still completes
        }
    }
    ProcessFiles(job, files, run);
    for (std::thread& other : others)
        other.join();

    const unsigned built = run.Built();
    job.log->Append(
        SummaryLine(n, run.Generated(), job.buildProjects ? &built : nullptr, run.Failed(), run.NotStarted()));
    job.MarkFinished();
    return run.NotStarted() == 0;
}

}  // namespace kr
