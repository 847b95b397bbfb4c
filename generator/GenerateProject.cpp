// SPDX-License-Identifier: MIT
#include "generator/GenerateProject.h"

#include <algorithm>
#include <chrono>

#include "generator/GenerationCheck.h"
#include "generator/SubstitutionValues.h"
#include "generator/Switches.h"
#include "templating/TemplateCache.h"
#include "platform/FolderLock.h"
#include "platform/PathText.h"
#include "platform/Utf.h"
#include "templating/TemplateRender.h"

namespace kr {
namespace {

// What one thread reuses from file to file and from run to run, so rendering
// a project allocates next to nothing once the buffers have grown.
struct RenderBuffers {
    RenderTables tables;
    TemplateBinding<std::string_view> binding;
    std::string bytes;
};

// GenerateFiles with the run's tables already built from settings.
bool WriteFiles(const ConfigurationSettings& settings, std::span<const TemplateRow> rows, const SwitchSet& switches,
                const SubstitutionMap& keys, std::u16string& errorText, GenerationReport* report,
                GenerationFailure* failure, GenerationMode mode);

// How long a run waits for another run to let go of its folder.
constexpr std::chrono::seconds kFolderLockWait{10};

// The line under a failure's first lines: the path at fault and the reason.
std::u16string ReasonLine(const platform::FileFailure& why)
{
    return why.reason.empty() ? std::u16string() : u"\n" + platform::FromUtf8(why.Line());
}

ExpandResult MarkWriteFailed(GenerationFailure& stopped)
{
    stopped.error = {};
    stopped.error.code = ExpandResult::WriteError;
    stopped.error.problem = TemplateProblem::WriteFailed;
    return stopped.error.code;
}

// The folder a run has locked, and what was in it once locked.
struct LockedFolder {
    std::string path;  // ending with '/'
    std::vector<std::string> names;  // sorted
    bool listed = false;  // names holds every entry

    // Absent when the file at target was not in the folder: no other run
    // can have put it there since, so it need not be looked for again.
    platform::TargetState StateOf(const std::string& target) const
    {
        if (!listed || !target.starts_with(path))
            return platform::TargetState::Unknown;
        const std::string_view name = std::string_view(target).substr(path.size());
        if (name.find('/') != std::string_view::npos || std::binary_search(names.begin(), names.end(), name))
            return platform::TargetState::Unknown;
        return platform::TargetState::Absent;
    }
};

// Locks the folder the files go into: the project path up to its last
// separator, as the file names are appended to it. Then removes what a
// killed run left there and notes what is left. On failure the run fails
// where its first file would have been written.
bool LockProjectFolder(const ConfigurationSettings& settings, std::span<const TemplateRow> rows,
                       platform::CFolderLock& lock, LockedFolder& into, GenerationFailure& stopped,
                       std::u16string& errorText, std::u16string& lockNotice)
{
    const std::string path = platform::PathFromText(settings.project.projectPath).native();
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    platform::FileFailure why;
    const auto locked = lock.Lock(folder, kFolderLockWait, why);
    if (locked == platform::CFolderLock::Result::Locked) {
        into.path = folder;
        into.listed = platform::RemoveStaleTemporaryFiles(folder, &into.names) && folder.ends_with('/');
        return true;
    }
    // Where the file system keeps no locks the run goes on without one; it
    // then leaves the folder's temporary files alone, as it cannot know
    // whether their writers still run.
    if (locked == platform::CFolderLock::Result::NoLocks) {
        lockNotice = platform::FromUtf8(platform::NoLocksNotice(why));
        return true;
    }
    for (const TemplateRow& row : rows) {
        if (row.toolchain == kEveryToolchain || row.toolchain == settings.project.toolchain) {
            stopped.fileName = row.fileName;
            break;
        }
    }
    MarkWriteFailed(stopped);
    errorText =
        u"Error generating:\n" + platform::ShownPath(path) + stopped.fileName
        + (locked == platform::CFolderLock::Result::InUse ? u"\n" + std::u16string(kMsgFolderInUse) : ReasonLine(why));
    return false;
}

}  // namespace

bool GenerateProject(const ConfigurationSettings& settings, std::u16string& errorText, GenerationReport* report,
                     GenerationFailure* failure, GenerationMode mode)
{
    // Nothing is written for a configuration a page or a host would refuse.
    // The tables are built once the record is valid and serve both the
    // descriptor's check and the writing.
    std::vector<SettingsProblem> problems = CheckSettings(settings);
    SwitchSet switches;
    SubstitutionMap keys;
    if (problems.empty()) {
        BuildSwitchSet(settings, switches);
        BuildSubstitutionMap(settings, keys);
        problems = FindDescriptorProblems(settings, switches, keys);
    }
    if (!problems.empty()) {
        if (failure)
            *failure = {};
        errorText = GenerationRefusalText(problems);
        return false;
    }
    return WriteFiles(settings, TemplateTable, switches, keys, errorText, report, failure, mode);
}

bool GenerateFiles(const ConfigurationSettings& settings, std::span<const TemplateRow> rows, std::u16string& errorText,
                   GenerationReport* report, GenerationFailure* failure, GenerationMode mode)
{
    // One pair of tables for the whole run; every file sees the same values.
    SwitchSet switches;
    SubstitutionMap keys;
    BuildSwitchSet(settings, switches);
    BuildSubstitutionMap(settings, keys);
    return WriteFiles(settings, rows, switches, keys, errorText, report, failure, mode);
}

namespace {

bool WriteFiles(const ConfigurationSettings& settings, std::span<const TemplateRow> rows, const SwitchSet& switches,
                const SubstitutionMap& keys, std::u16string& errorText, GenerationReport* report,
                GenerationFailure* failure, GenerationMode mode)
{
    errorText.clear();
    GenerationReport unread;
    GenerationReport& written = report ? *report : unread;
    written = {};
    GenerationFailure unstated;
    GenerationFailure& stopped = failure ? *failure : unstated;
    stopped = {};
    const bool writing = mode == GenerationMode::Write;
    // The project path is text in the record; the bytes it stands for name
    // the files.
    const std::string folder = platform::PathFromText(settings.project.projectPath).native();

    // One run at a time in a folder; the lock is held until every file is
    // in place.
    platform::CFolderLock lock;
    LockedFolder locked;
    if (writing && !LockProjectFolder(settings, rows, lock, locked, stopped, errorText, written.lockNotice))
        return false;

    // The values converted to the output's code page once for the run.
    thread_local RenderBuffers buffers;
    buffers.tables.Assign(switches, keys);

    // Every file is written aside before the first is put in place; the
    // kept copies of old files go in place before the files replacing them.
    // The folder's lock, held until every file is in place, keeps other
    // runs' clean-up away from the files written aside.
    platform::CStagedFiles keptCopies(platform::TemporaryGuard::FolderLock);
    platform::CStagedFiles files(platform::TemporaryGuard::FolderLock);
    GeneratedFilePlan plan;
    for (const TemplateRow& row : rows) {
        if (row.toolchain != kEveryToolchain && row.toolchain != settings.project.toolchain)
            continue;

        const PreparedTemplate* prepared = FindPreparedTemplate(row.resource);
        if (!prepared) {
            stopped.fileName = row.fileName;
            errorText = u"Error loading resource files.";
            return false;
        }

        const std::filesystem::path outputPath = folder + platform::ToUtf8(row.fileName);
        // Names are checked before anything is rendered, so a template using
        // an undefined name writes nothing.
        ExpandResult result = RenderTemplate(*prepared, buffers.tables, buffers.binding, buffers.bytes, stopped.error);
        // Here buffers.bytes holds the file's complete content. The user's
        // own code in the file already there is carried over.
        platform::FileFailure why;
        if (result == ExpandResult::Ok) {
            bool done = PlanGeneratedFile(outputPath, buffers.bytes, plan, why, locked.StateOf(outputPath.native()));
            if (done && writing) {
                done = StageGeneratedFile(outputPath, plan, keptCopies, files, written, why);
            } else if (done && plan.change != FileChange::None) {
                written.written.push_back(outputPath);
                if (plan.change == FileChange::Create)
                    written.created.push_back(outputPath);
            } else if (done) {
                written.unchanged.push_back(outputPath);
            }
            if (!done)
                result = MarkWriteFailed(stopped);
        }
        if (result != ExpandResult::Ok) {
            stopped.fileName = row.fileName;
            errorText = u"Error generating:\n" + platform::ShownPath(outputPath) + ReasonLine(why);
            written.written.clear();
            written.created.clear();
            written.kept.clear();
            return false;
        }
    }

    platform::FileFailure why;
    if (!keptCopies.Commit(why) || !files.Commit(why)) {
        const std::u16string path = platform::ShownPath(why.path);
        stopped.fileName = path.substr(path.find_last_of(u'/') + 1);
        MarkWriteFailed(stopped);
        errorText = u"Error generating:\n" + path + ReasonLine(why);
        return false;
    }
    return true;
}

}  // namespace

}  // namespace kr
