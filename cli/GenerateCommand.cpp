#include "cli/GenerateCommand.h"

#include "cli/CommandLine.h"
#include "generator/GenerateProject.h"
#include "model/ConfigurationSettings.h"
#include "platform/Folders.h"
#include "platform/Utf.h"
#include "settings/SaveFile.h"

namespace kr::cli {
namespace {

// The system's texts break lines with CR LF, meant for a message box; a
// terminal wants plain newlines.
std::string ForTerminal(const std::u16string& text)
{
    std::string result = platform::ToUtf8(text);
    std::string::size_type at = 0;
    while ((at = result.find("\r\n", at)) != std::string::npos)
        result.erase(at, 1);
    return result;
}

// The folder as the generator takes it: ending with exactly one separator.
std::u16string AsFolder(std::u16string path)
{
    if (path.back() != u'/')
        path += u'/';
    return path;
}

}  // namespace

int CGenerateCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << UsageLine(*this) << "\n" << Summary() << "\n";
        return kExitSuccess;
    }
    if (args.size() != 2 || args[0].empty() || args[1].empty()) {
        err << UsageLine(*this) << "\n";
        return kExitUsage;
    }

    const std::u16string saveFile = platform::FromUtf8(args[0]);
    const std::u16string folder = AsFolder(platform::FromUtf8(args[1]));

    ConfigurationSettings settings;
    std::u16string errorText;
    if (!LoadSettings(saveFile, settings, errorText)) {
        err << ForTerminal(errorText) << "\n";
        return kExitFailure;
    }

    if (!platform::IsExistingFolder(folder)) {
        platform::CreateFolder(folder);
        if (!platform::IsExistingFolder(folder)) {
            err << "Error: Could not create directory\n" << ForTerminal(folder) << "\n";
            return kExitFailure;
        }
    }

    // The save file's own project path is ignored; its toolchain is kept.
    settings.project.projectPath = folder;
    if (!GenerateProject(settings, errorText)) {
        err << ForTerminal(errorText) << "\n";
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace kr::cli
