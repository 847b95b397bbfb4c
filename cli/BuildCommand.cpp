// SPDX-License-Identifier: MIT
#include "cli/BuildCommand.h"

#include "cli/TerminalText.h"
#include "firmware/BuildProject.h"
#include "platform/Utf.h"

namespace kr::cli {

int CBuildCommand::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.size() != 1 || args[0].empty())
        return kExitUsage;

    firmware::BuildResult result;
    const bool built = firmware::BuildSdccProject(platform::FromUtf8(args[0]), result);
    out << result.toolOutput;
    out.flush();
    if (!built) {
        err << ForTerminal(result.errorText) << "\n";
        return kExitFailure;
    }
    out << "Image: " << platform::ToUtf8(result.imagePath) << "\n" << ForTerminal(result.summary);
    return kExitSuccess;
}

}  // namespace kr::cli
