// SPDX-License-Identifier: MIT
#pragma once
// The default record as a save file holds it, element by element: one
// reviewed file that the model, save-file and substitution tests read, so
// the defaults are written down once. The update-golden build target
// rewrites it from what the program saves; review its diff.

#include <filesystem>

#include "tests/TestPaths.h"

namespace kr::test {

inline std::filesystem::path DefaultSaveFile()
{
    return std::filesystem::path(KR_SOURCE_DIR) / "tests/fixtures/default.kcw";
}

}  // namespace kr::test
