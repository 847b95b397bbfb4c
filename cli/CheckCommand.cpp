// SPDX-License-Identifier: MIT
#include "cli/CheckCommand.h"

#include <algorithm>

#include "cli/TerminalText.h"
#include "generator/GenerationCheck.h"
#include "settings/SaveFile.h"

namespace kr::cli {

int CCheckCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    // A word that looks like an option is not taken for a file name.
    if (args.empty() || std::any_of(args.begin(), args.end(),
                                    [](const std::string& arg) { return arg.empty() || arg.starts_with("-"); }))
        return kExitUsage;

    bool clean = true;
    for (const std::string& file : args) {
        ConfigurationSettings settings;
        std::u16string errorText;
        if (!LoadSettings(file, settings, errorText)) {
            err << ForTerminal(errorText) << "\n";
            clean = false;
            continue;
        }
        for (const SettingsProblem& problem : FindGenerationProblems(settings)) {
            out << file << ": " << ForTerminal(ProblemLine(problem)) << "\n";
            clean = false;
        }
    }
    return clean ? kExitSuccess : kExitFailure;
}

}  // namespace kr::cli
