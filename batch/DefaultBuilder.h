// SPDX-License-Identifier: MIT
#pragma once
// The builder a batch offers before the user chooses one: the project's own
// kr761x-build.

#include <filesystem>
#include <string_view>

namespace kr {

inline constexpr char kBuilderProgramName[] = "kr761x-build";

// kr761x-build beside the running program (the same bin/ folder once
// installed), else in the build tree's cli/ folder next to the folder of the
// running program (ui/ there), else the first on searchPath (a PATH value).
// programFolder is the running program's folder. Empty when none is found.
std::filesystem::path FindDefaultBuilder(const std::filesystem::path& programFolder, std::string_view searchPath);

}  // namespace kr
