// SPDX-License-Identifier: MIT
#include "platform/ProgramSearch.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/Utf.h"

namespace kr::platform {

bool IsExecutableFile(const std::u16string& path)
{
    const std::string native = ToUtf8(path);
    struct stat st {};
    return !native.empty() && ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode)
           && ::access(native.c_str(), X_OK) == 0;
}

std::u16string FindProgramOnPath(const std::u16string& name, std::string_view searchPath)
{
    if (name.empty() || name.find(u'/') != std::u16string::npos)
        return {};
    for (;;) {
        const std::size_t colon = searchPath.find(':');
        const std::string_view folder = searchPath.substr(0, colon);
        std::u16string candidate = folder.empty() ? u"." : FromUtf8(folder);
        if (candidate.back() != u'/')
            candidate += u'/';
        candidate += name;
        if (IsExecutableFile(candidate))
            return candidate;
        if (colon == std::string_view::npos)
            return {};
        searchPath.remove_prefix(colon + 1);
    }
}

}  // namespace kr::platform
