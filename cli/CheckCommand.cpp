// SPDX-License-Identifier: MIT
#include "cli/CheckCommand.h"

#include "cli/TerminalText.h"
#include "generator/GenerationCheck.h"
#include "platform/PathText.h"
#include "settings/SaveFile.h"

namespace kr::cli {

int CCheckCommand::Run(const ParsedArguments& args, std::ostream& out, std::ostream& err)
{
    bool clean = true;
    for (const std::string& file : args.positionals) {
        ConfigurationSettings settings;
        std::u16string errorText;
        if (!LoadSettings(file, settings, errorText)) {
            err << ForTerminal(errorText) << "\n";
            clean = false;
            continue;
        }
        for (const SettingsProblem& problem : FindGenerationProblems(settings)) {
            out << platform::EscapeControlBytes(file) << ": " << ForTerminal(ProblemLine(problem)) << "\n";
            clean = false;
        }
    }
    return clean ? kExitSuccess : kExitFailure;
}

}  // namespace kr::cli
