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
                GenerationFailure* failure, GenerationMode mode, const platform::CFolder* given);

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
    std::vector<std::string> names;  // sorted
    bool listed = false;  // names holds every entry

    // Absent when the file name was not in the folder: no other run can
    // have put it there since, so it need not be looked for again.
    platform::TargetState StateOf(const std::string& name) const
    {
        if (!listed || std::binary_search(names.begin(), names.end(), name))
            return platform::TargetState::Unknown;
        return platform::TargetState::Absent;
    }
};

// The name of the first file rows write for the configuration.
const char16_t* FirstFileName(const ConfigurationSettings& settings, std::span<const TemplateRow> rows)
{
    for (const TemplateRow& row : rows)
        if (row.toolchain == kEveryToolchain || row.toolchain == settings.project.toolchain)
            return row.fileName;
    return u"";
}

// A run that stops before its first file: it fails where that file would
// have been written, with reason as the last line.
bool StopBeforeFirstFile(const ConfigurationSettings& settings, std::span<const TemplateRow> rows,
                         const std::string& path, const std::u16string& reason, GenerationFailure& stopped,
                         std::u16string& errorText)
{
    stopped.fileName = FirstFileName(settings, rows);
    MarkWriteFailed(stopped);
    errorText = u"Error generating:\n" + platform::ShownPath(path) + stopped.fileName + reason;
    return false;
}

// Locks the open folder the files go into, then removes what a killed run
// left there and notes what is left. On failure the run fails where its
// first file would have been written.
bool LockProjectFolder(const ConfigurationSettings& settings, std::span<const TemplateRow> rows,
                       const platform::CFolder& folder, const std::string& path, platform::CFolderLock& lock,
                       LockedFolder& into, GenerationFailure& stopped, std::u16string& errorText,
                       std::u16string& lockNotice)
{
    platform::FileFailure why;
    const auto locked = lock.Lock(folder, kFolderLockWait, why);
    if (locked == platform::CFolderLock::Result::Locked) {
        into.listed = platform::RemoveStaleTemporaryFiles(folder, &into.names);
        return true;
    }
    // Where the file system keeps no locks the run goes on without one; it
    // then leaves the folder's temporary files alone, as it cannot know
    // whether their writers still run.
    if (locked == platform::CFolderLock::Result::NoLocks) {
        lockNotice = platform::FromUtf8(platform::NoLocksNotice(why));
        return true;
    }
    return StopBeforeFirstFile(settings, rows, path,
                               locked == platform::CFolderLock::Result::InUse ? u"\n" + std::u16string(kMsgFolderInUse)
                                                                              : ReasonLine(why),
                               stopped, errorText);
}

}  // namespace

bool GenerateProject(const ConfigurationSettings& settings, std::u16string& errorText, GenerationReport* report,
                     GenerationFailure* failure, GenerationMode mode, const platform::CFolder* folder)
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
    return WriteFiles(settings, TemplateTable, switches, keys, errorText, report, failure, mode, folder);
}

bool GenerateFiles(const ConfigurationSettings& settings, std::span<const TemplateRow> rows, std::u16string& errorText,
                   GenerationReport* report, GenerationFailure* failure, GenerationMode mode,
                   const platform::CFolder* folder)
{
    // One pair of tables for the whole run; every file sees the same values.
    SwitchSet switches;
    SubstitutionMap keys;
    BuildSwitchSet(settings, switches);
    BuildSubstitutionMap(settings, keys);
    return WriteFiles(settings, rows, switches, keys, errorText, report, failure, mode, folder);
}

namespace {

bool WriteFiles(const ConfigurationSettings& settings, std::span<const TemplateRow> rows, const SwitchSet& switches,
                const SubstitutionMap& keys, std::u16string& errorText, GenerationReport* report,
                GenerationFailure* failure, GenerationMode mode, const platform::CFolder* given)
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
    // the files: the folder up to its last separator, and what follows it
    // put before each file's name.
    const std::string path = platform::PathFromText(settings.project.projectPath).native();
    const std::size_t slash = path.find_last_of('/');
    const std::string folderPath = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string namePrefix = path.substr(folderPath.size());

    // A line break in the path would end a workspace's line and start one
    // of the path's choosing.
    if (platform::HoldsControlCharacter(path))
        return StopBeforeFirstFile(settings, rows, path, u"\n" + std::u16string(kMsgControlCharacterInPath), stopped,
                                   errorText);

    // The folder is opened once; every file is found and written through it.
    // A check of a folder not made yet finds nothing there.
    platform::CFolder opened;
    const platform::CFolder* folder = given;
    if (!folder && (writing || platform::IsExistingFolder(folderPath.empty() ? "." : folderPath))) {
        platform::FileFailure why;
        if (!opened.Open(folderPath, why))
            return StopBeforeFirstFile(settings, rows, path, ReasonLine(why), stopped, errorText);
        folder = &opened;
    }

    // One run at a time in a folder; the lock is held until every file is
    // in place.
    platform::CFolderLock lock;
    LockedFolder locked;
    if (writing
        && !LockProjectFolder(settings, rows, *folder, path, lock, locked, stopped, errorText, written.lockNotice))
        return false;

    // The values converted to the output's code page once for the run.
    thread_local RenderBuffers buffers;
    buffers.tables.Assign(switches, keys);

    // Every file is written aside before the first is put in place, the
    // kept copy of an old file before the file replacing it; a failure while
    // they are put in place puts back what was there. The folder's lock,
    // held until every file is in place, keeps other runs' clean-up away
    // from the files written aside.
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

        const std::string name = namePrefix + platform::ToUtf8(row.fileName);
        const std::filesystem::path outputPath = folderPath + name;
        // Names are checked before anything is rendered, so a template using
        // an undefined name writes nothing.
        ExpandResult result = RenderTemplate(*prepared, buffers.tables, buffers.binding, buffers.bytes, stopped.error);
        // Here buffers.bytes holds the file's complete content. The user's
        // own code in the file already there is carried over.
        platform::FileFailure why;
        if (result == ExpandResult::Ok) {
            bool done = PlanGeneratedFile(folder, name, buffers.bytes, plan, why, locked.StateOf(name));
            if (done && writing) {
                done = StageGeneratedFile(*folder, name, plan, files, files, written, why);
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

    if (!writing)
        return true;

    // A folder moved away or replaced while the files were written aside
    // takes none of them: they would land wherever it went. Moved in the
    // instant the files are put in place, the run at least fails.
    platform::FileFailure why;
    const auto moved = [&] {
        why = {folderPath, "The folder was moved or replaced by another program while the project was generated"};
        return false;
    };
    if (!(folder->IsInPlace() || moved()) || !files.Commit(why) || !(folder->IsInPlace() || moved())) {
        const std::u16string failed = platform::ShownPath(why.path);
        stopped.fileName = failed.substr(failed.find_last_of(u'/') + 1);
        MarkWriteFailed(stopped);
        errorText = u"Error generating:\n" + failed + ReasonLine(why);
        written.written.clear();
        written.created.clear();
        written.kept.clear();
        return false;
    }
    return true;
}

}  // namespace

}  // namespace kr
