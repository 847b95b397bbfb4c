// SPDX-License-Identifier: MIT
#include "platform/ProgramSearch.h"

#include <sys/stat.h>
#include <unistd.h>

namespace kr::platform {

bool IsExecutableFile(const std::filesystem::path& path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::filesystem::path FindProgramOnPath(std::string_view name, std::string_view searchPath)
{
    if (name.empty() || name.find('/') != std::string_view::npos)
        return {};
    for (;;) {
        const std::size_t colon = searchPath.find(':');
        const std::string_view folder = searchPath.substr(0, colon);
        std::string candidate = folder.empty() ? std::string(".") : std::string(folder);
        if (candidate.back() != '/')
            candidate += '/';
        candidate += name;
        if (IsExecutableFile(candidate))
            return candidate;
        if (colon == std::string_view::npos)
            return {};
        searchPath.remove_prefix(colon + 1);
    }
}

}  // namespace kr::platform
