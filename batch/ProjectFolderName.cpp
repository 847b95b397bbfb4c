// SPDX-License-Identifier: MIT
#include "batch/ProjectFolderName.h"

namespace kr {

bool IsProjectFolderName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".."
           && name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

std::string ProjectFolderKey(std::string_view name)
{
    std::string key(name);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

}  // namespace kr
