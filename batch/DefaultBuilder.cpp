// SPDX-License-Identifier: MIT
#include "batch/DefaultBuilder.h"

#include <string>

#include "platform/ProgramSearch.h"

namespace kr {
namespace {

// The folder holding folder ("/a/b/" for "/a/b/ui"), ending with '/';
// empty for the root.
std::string ParentOf(std::string folder)
{
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    const std::size_t slash = folder.find_last_of('/');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

}  // namespace

std::filesystem::path FindDefaultBuilder(const std::filesystem::path& programFolder, std::string_view searchPath)
{
    if (!programFolder.empty()) {
        std::string beside = programFolder.native();
        if (beside.back() != '/')
            beside += '/';
        const std::string parent = ParentOf(programFolder.native());
        for (const std::string& candidate :
             {beside + kBuilderProgramName, parent.empty() ? std::string() : parent + "cli/" + kBuilderProgramName}) {
            if (platform::IsExecutableFile(candidate))
                return candidate;
        }
    }
    return platform::FindProgramOnPath(kBuilderProgramName, searchPath);
}

}  // namespace kr
