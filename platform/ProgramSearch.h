// SPDX-License-Identifier: MIT
#pragma once
// Finding a program the way a shell does: by its name on the search path.

#include <string>
#include <string_view>

namespace kr::platform {

// A plain file that may be run.
bool IsExecutableFile(const std::u16string& path);

// The first executable file called name in the folders of searchPath (a
// PATH value: folders separated by ':', an empty entry meaning the current
// folder). Empty when there is none or when name holds a '/'.
std::u16string FindProgramOnPath(const std::u16string& name, std::string_view searchPath);

}  // namespace kr::platform
