// SPDX-License-Identifier: MIT
#include "batch/DefaultBuilder.h"

#include "platform/ProgramSearch.h"

namespace kr {

namespace {

// The folder holding folder ("/a/b/" for "/a/b/ui"), ending with '/';
// empty for the root.
std::u16string ParentOf(std::u16string folder)
{
    while (!folder.empty() && folder.back() == u'/')
        folder.pop_back();
    const std::size_t slash = folder.find_last_of(u'/');
    return slash == std::u16string::npos ? std::u16string() : folder.substr(0, slash + 1);
}

}  // namespace

std::u16string FindDefaultBuilder(const std::u16string& programFolder, std::string_view searchPath)
{
    if (!programFolder.empty()) {
        std::u16string beside = programFolder;
        if (beside.back() != u'/')
            beside += u'/';
        const std::u16string parent = ParentOf(programFolder);
        for (const std::u16string& candidate :
             {beside + kBuilderProgramName, parent.empty() ? std::u16string() : parent + u"cli/" + kBuilderProgramName}) {
            if (platform::IsExecutableFile(candidate))
                return candidate;
        }
    }
    return platform::FindProgramOnPath(kBuilderProgramName, searchPath);
}

}  // namespace kr
