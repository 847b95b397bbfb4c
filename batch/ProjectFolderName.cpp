// SPDX-License-Identifier: MIT
#include "batch/ProjectFolderName.h"

namespace kr {

bool IsProjectFolderName(std::u16string_view name)
{
    return !name.empty() && name != u"." && name != u".."
           && name.find_first_of(std::u16string_view(u"/\0", 2)) == std::u16string_view::npos;
}

std::u16string ProjectFolderKey(std::u16string_view name)
{
    std::u16string key(name);
    for (char16_t& c : key) {
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return key;
}

}  // namespace kr
