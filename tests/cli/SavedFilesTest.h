// SPDX-License-Identifier: MIT
#pragma once
// A test that writes save files into a folder of its own and hands their
// paths to a command.

#include <gtest/gtest.h>

#include <string>

#include "model/ConfigurationSettings.h"
#include "settings/SaveFile.h"
#include "support/TempDir.h"

namespace kr::test {

class SavedFilesTest : public ::testing::Test {
protected:
    TempDir dir;

    // Saves settings as the file name in the folder; returns its path.
    std::string Save(const std::string& name, const ConfigurationSettings& settings)
    {
        const std::string path = (dir / name).string();
        std::u16string error;
        EXPECT_TRUE(SaveSettings(path, settings, error));
        return path;
    }
};

}  // namespace kr::test
