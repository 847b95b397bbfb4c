// SPDX-License-Identifier: MIT
#pragma once
// The reviewed copies the tests compare generated text with. Only the build
// target `update-golden` rewrites them: it runs the tests that compare, one
// program after another, with KR_UPDATE_GOLDEN=1. CTest unsets the variable
// for every test, so a parallel run never writes a copy.

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/TempDir.h"

namespace kr::test {

// The reviewed copy's bytes, after writing `text` there when the run is one
// of `update-golden`.
inline std::string Golden(const std::filesystem::path& copy, const std::string& text)
{
    const char* update = std::getenv("KR_UPDATE_GOLDEN");
    if (update != nullptr && *update != '\0') {
        std::filesystem::create_directories(copy.parent_path());
        WriteBytes(copy, text);
    }
    return std::filesystem::exists(copy) ? ReadBytes(copy) : std::string("(no reviewed copy at " + copy.string() + ")");
}

}  // namespace kr::test
