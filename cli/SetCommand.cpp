// SPDX-License-Identifier: MIT
#include "cli/SetCommand.h"

#include <algorithm>
#include <chrono>
#include <set>

#include "cli/TerminalText.h"
#include "model/FieldTable.h"
#include "model/SettingsRules.h"
#include "platform/AtomicFile.h"
#include "platform/FolderLock.h"
#include "platform/PathText.h"
#include "platform/Utf.h"
#include "settings/SaveFile.h"

namespace kr::cli {
namespace {

struct Assignment {
    std::string path;
    std::string value;
};

std::set<std::u16string> ProblemPaths(const ConfigurationSettings& settings)
{
    std::set<std::u16string> paths;
    for (const SettingsProblem& problem : CheckSettings(settings))
        paths.insert(problem.path);
    return paths;
}

// How long set waits for a generation or batch to let go of the folder
// before it saves without removing what killed runs left there.
constexpr std::chrono::seconds kFolderLockWait{2};

// Locks the folder the save file is written in and removes the temporary
// files killed runs left there. False, with the reason on err, when the lock
// fails for another reason than a file system that keeps none.
bool CleanSaveFolder(const std::string& target, std::ostream& err)
{
    std::string file;
    platform::FileFailure why;
    if (!platform::FollowLinks(target, file, why))
        return true;  // saving says why
    const std::size_t slash = file.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string("./") : file.substr(0, slash + 1);
    platform::CFolderLock lock;
    switch (lock.Lock(folder, kFolderLockWait, why)) {
    case platform::CFolderLock::Result::Locked:
        platform::RemoveStaleTemporaryFiles(folder);
        return true;
    case platform::CFolderLock::Result::InUse:
        return true;
    case platform::CFolderLock::Result::NoLocks:
        err << ForTerminal(platform::FromUtf8(platform::NoLocksNotice(why))) << "\n";
        return true;
    case platform::CFolderLock::Result::Failed:
        break;
    }
    err << ForTerminal(platform::FromUtf8(why.Line())) << "\n";
    return false;
}

}  // namespace

int CSetCommand::Run(const ParsedArguments& args, std::ostream&, std::ostream& err)
{
    const std::string& file = args.positionals[0];
    const std::string output = args.Value("-o");
    std::vector<Assignment> assignments;
    for (std::size_t i = 1; i < args.positionals.size(); ++i) {
        const std::string& arg = args.positionals[i];
        const std::size_t equals = arg.find('=');
        if (equals == std::string::npos || equals == 0)
            return kExitUsage;
        assignments.push_back({arg.substr(0, equals), arg.substr(equals + 1)});
    }
    for (const Assignment& assignment : assignments) {
        if (FindField(platform::FromUtf8(assignment.path)) == nullptr) {
            err << "No field is named " << assignment.path << "; `kr761x-gen show` lists them all.\n";
            return kExitTrouble;
        }
    }

    ConfigurationSettings settings;
    std::u16string errorText;
    if (!LoadSettings(file, settings, errorText)) {
        err << ForTerminal(errorText) << "\n";
        return kExitFailure;
    }
    const std::set<std::u16string> brokenBefore = ProblemPaths(settings);

    std::set<std::u16string> changed;
    for (const Assignment& assignment : assignments) {
        const FieldRow& row = Field(platform::FromUtf8(assignment.path));
        // A value is taken with every byte (the project folder is a path);
        // one that is not UTF-8 is no text a save file can hold, and saving
        // it is refused rather than writing it changed.
        if (!ReadShownValue(row, platform::PathAsText(assignment.value), settings, errorText)) {
            err << assignment.path << " = " << assignment.value << ": " << ForTerminal(errorText) << "\n";
            return kExitFailure;
        }
        changed.insert(row.path);
    }
    // A problem the file already had is not this command's to mend; one at a
    // field it changed, or new with this change, refuses the change.
    bool refused = false;
    for (const SettingsProblem& problem : CheckSettings(settings)) {
        if (changed.contains(problem.path) || !brokenBefore.contains(problem.path)) {
            err << ForTerminal(ProblemLine(problem)) << "\n";
            refused = true;
        }
    }
    if (refused)
        return kExitFailure;

    const std::string& target = output.empty() ? file : output;
    if (!CleanSaveFolder(target, err))
        return kExitFailure;
    if (!SaveSettings(target, settings, errorText)) {
        err << ForTerminal(errorText) << "\n";
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace kr::cli
