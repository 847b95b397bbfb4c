// SPDX-License-Identifier: MIT
#include "cli/BuildCommand.h"

#include <charconv>
#include <optional>

#include "cli/TerminalText.h"
#include "firmware/BuildProject.h"
#include "platform/PathText.h"

namespace kr::cli {
namespace {

// A stack size of 0 to 256 bytes: the internal RAM has no more.
std::optional<std::uint32_t> StackBytes(const std::string& word)
{
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc() || end != word.data() + word.size() || value > 256)
        return std::nullopt;
    return value;
}

}  // namespace

int CBuildCommand::Run(const ParsedArguments& args, std::ostream& out, std::ostream& err)
{
    firmware::BuildOptions options;
    if (args.Has("--min-stack")) {
        const std::optional<std::uint32_t> bytes = StackBytes(args.Value("--min-stack"));
        if (!bytes)
            return kExitUsage;
        options.minimumStack = *bytes;
    }
    const std::string& project = args.positionals[0];

    firmware::BuildResult result;
    const bool built = firmware::BuildSdccProject(project, result, options);
    if (!result.notice.empty())
        err << ForTerminal(result.notice) << "\n";
    out << result.toolOutput;
    out.flush();
    if (!built) {
        err << ForTerminal(result.errorText) << "\n";
        return kExitFailure;
    }
    out << "Image: " << ForTerminal(platform::ShownPath(result.imagePath)) << "\n" << ForTerminal(result.summary);
    return kExitSuccess;
}

}  // namespace kr::cli
