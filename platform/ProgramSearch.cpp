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
    while (!searchPath.empty()) {
        const std::size_t colon = searchPath.find(':');
        const std::string_view folder = searchPath.substr(0, colon);
        searchPath.remove_prefix(colon == std::string_view::npos ? searchPath.size() : colon + 1);
        if (folder.empty())
            continue;
        std::u16string candidate = FromUtf8(folder);
        if (candidate.back() != u'/')
            candidate += u'/';
        candidate += name;
        if (IsExecutableFile(candidate))
            return candidate;
    }
    return {};
}

}  // namespace kr::platform
