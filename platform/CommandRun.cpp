// SPDX-License-Identifier: MIT
#include "platform/CommandRun.h"

#include <cstdlib>

#include "platform/Process.h"
#include "platform/ProgramSearch.h"

namespace kr::platform {

CommandResult RunCommand(const std::vector<std::string>& arguments, const std::string& workingFolder)
{
    CommandResult result;
    if (arguments.empty())
        return result;
    std::vector<std::string> command = arguments;
    if (command.front().find('/') == std::string::npos) {
        const std::optional<std::string> found = FindOnPath(command.front());
        if (!found)
            return result;
        command.front() = *found;
    }
    const ProcessResult run =
        RunProgram(command, workingFolder, nullptr, [&](std::string_view text) { result.output.append(text); });
    result.started = run.started;
    result.exited = run.exited;
    result.exitStatus = run.exitStatus;
    result.signal = run.signal;
    return result;
}

std::optional<std::string> FindOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    const std::filesystem::path found = FindProgramOnPath(name, path ? path : "");
    if (found.empty())
        return std::nullopt;
    return found.native();
}

}  // namespace kr::platform
