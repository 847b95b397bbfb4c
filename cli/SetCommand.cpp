// SPDX-License-Identifier: MIT
#include "cli/SetCommand.h"

#include <algorithm>
#include <set>

#include "cli/TerminalText.h"
#include "model/FieldTable.h"
#include "model/SettingsRules.h"
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
    if (!SaveSettings(target, settings, errorText)) {
        err << ForTerminal(errorText) << "\n";
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace kr::cli
