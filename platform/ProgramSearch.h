// SPDX-License-Identifier: MIT
#pragma once
// Finding a program the way a shell does: by its name on the search path.

#include <filesystem>
#include <string_view>

namespace kr::platform {

// A plain file that may be run.
bool IsExecutableFile(const std::filesystem::path& path);

// The first executable file called name in the folders of searchPath (a
// PATH value: folders separated by ':', an empty entry meaning the current
// folder). Empty when there is none or when name holds a '/'.
std::filesystem::path FindProgramOnPath(std::string_view name, std::string_view searchPath);

}  // namespace kr::platform
