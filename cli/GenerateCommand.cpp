// SPDX-License-Identifier: MIT
#include "cli/GenerateCommand.h"

#include <algorithm>
#include <cerrno>

#include "cli/TerminalText.h"
#include "generator/GenerateProject.h"
#include "generator/GenerationCheck.h"
#include "model/ConfigurationSettings.h"
#include "platform/FileFailure.h"
#include "platform/Folders.h"
#include "platform/PathText.h"
#include "settings/SaveFile.h"

namespace kr::cli {

int CGenerateCommand::Run(const ParsedArguments& args, std::ostream& out, std::ostream& err)
{
    const bool check = args.Has("--check");
    // Paths are the arguments' bytes, whatever they hold.
    const std::filesystem::path saveFile = args.positionals[0];
    const std::filesystem::path folder = AsFolder(args.positionals[1]);

    // Refused before anything is made: a line break in the folder's path
    // would end a line of the workspace and start one of the path's choosing.
    if (platform::HoldsControlCharacter(folder.native())) {
        err << "Error: The output folder's path holds a control character, which would break the lines of the "
               "generated files; choose a folder whose path has none.\n";
        return kExitFailure;
    }

    ConfigurationSettings settings;
    std::u16string errorText;
    if (!LoadSettings(saveFile, settings, errorText)) {
        err << ForTerminal(errorText) << "\n";
        return kExitFailure;
    }

    // A configuration that would not be generated does not create OUTDIR
    // either.
    if (const std::vector<SettingsProblem> problems = FindGenerationProblems(settings); !problems.empty()) {
        err << ForTerminal(GenerationRefusalText(problems)) << "\n";
        return kExitFailure;
    }

    if (!check && !platform::IsExistingFolder(folder)) {
        // Reported as the batch reports a project folder it cannot create:
        // the folder and the system's reason. Something already there that
        // is not a folder (a file, a link to nowhere) fails the same way.
        std::string reason;
        const platform::CreateFolderResult created = platform::CreateFolder(folder, &reason);
        if (created == platform::CreateFolderResult::AlreadyExists && !platform::IsExistingFolder(folder)) {
            reason = platform::PathProblem(folder);
            if (reason.empty())
                reason = platform::SystemReason(ENOTDIR);
        }
        if (!reason.empty() || created == platform::CreateFolderResult::Failed) {
            err << "Error: Could not create directory\n"
                << ForTerminal(platform::ShownPath(folder)) << ": " << reason << "\n";
            return kExitFailure;
        }
    }

    // The save file's own project path is ignored; its toolchain is kept.
    settings.project.projectPath = platform::PathAsText(folder);
    GenerationReport report;
    GenerationFailure failure;
    const GenerationMode mode = check ? GenerationMode::CheckOnly : GenerationMode::Write;
    if (!GenerateProject(settings, errorText, &report, &failure, mode)) {
        err << ForTerminal(errorText) << "\n";
        // Where the template went wrong, as compilers report a place.
        if (failure.error.HasPlace())
            err << ForTerminal(DescribeTemplateError(failure.fileName, failure.error)) << "\n";
        return kExitFailure;
    }
    if (check) {
        for (const std::filesystem::path& path : report.written) {
            const bool created = std::find(report.created.begin(), report.created.end(), path) != report.created.end();
            out << (created ? "Would create: " : "Would change: ") << ForTerminal(platform::ShownPath(path)) << "\n";
        }
        return report.written.empty() ? kExitSuccess : kExitFailure;
    }
    // Success stays silent unless an old file had to be kept beside its new
    // version, the user needs to know where their code went, or the folder
    // could not be locked.
    if (!report.lockNotice.empty())
        err << ForTerminal(report.lockNotice) << "\n";
    for (const KeptFile& kept : report.kept)
        err << ForTerminal(KeptFileNotice(kept)) << "\n";
    return kExitSuccess;
}

}  // namespace kr::cli
