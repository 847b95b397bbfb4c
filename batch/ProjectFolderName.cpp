// SPDX-License-Identifier: MIT
#include "batch/ProjectFolderName.h"

#include <cstdint>
#include <cstdlib>
#include <unicase.h>
#include <uninorm.h>
#include <unistr.h>

namespace kr {

bool IsProjectFolderName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".."
           && name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

std::string ProjectFolderKey(std::string_view name)
{
    const auto* text = reinterpret_cast<const std::uint8_t*>(name.data());
    if (u8_check(text, name.size()) == nullptr) {
        // Text: folded in full (so "STRASSE" is "straße") and composed, so a
        // letter and its accent as one character or two are one name.
        std::size_t length = 0;
        if (std::uint8_t* folded = u8_casefold(text, name.size(), nullptr, UNINORM_NFC, nullptr, &length)) {
            std::string key(reinterpret_cast<const char*>(folded), length);
            std::free(folded);
            return key;
        }
    }
    // Bytes that are no text (or text that could not be folded): only the
    // letters A to Z are folded.
    std::string key(name);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

}  // namespace kr
