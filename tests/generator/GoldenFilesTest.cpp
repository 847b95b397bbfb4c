// SPDX-License-Identifier: MIT
// Whole generated files for a few configurations, compared byte for byte with
// reviewed copies in tests/fixtures/golden/. After a deliberate change to a
// template, rerun with KR_UPDATE_GOLDEN=1 to rewrite the copies, then review
// the difference before committing it.

#include <gtest/gtest.h>

#include <cstdlib>

#include "generator/GenerateProject.h"
#include "platform/Utf.h"
#include "support/TempDir.h"
#include "tests/TestPaths.h"

namespace kr {
namespace {

struct GoldenCase {
    const char* folder;
    ConfigurationSettings settings;
};

std::vector<GoldenCase> Cases()
{
    // The defaults: Keil, KR7611, bus powered, a one-button mouse.
    GoldenCase defaults{"default", {}};

    GoldenCase everything{"sdcc-kr7611-everything", {}};
    ConfigurationSettings& e = everything.settings;
    e.project.toolchain = 2;
    e.device.powerMode = 1;
    e.device.bEnableRemoteWakeup = 1;
    e.device.maxPower = 500;
    e.mouse.numButtons = 8;
    e.touch = {10, 1, 1, 1023, 1, 40, 1, 30};
    e.pen = {1, 1, 511, 1, 1, 60, 1, 2, 70, 1, 1};

    GoldenCase touchAndPen{"raisonance-kr7610-touch-pen", {}};
    ConfigurationSettings& t = touchAndPen.settings;
    t.project.toolchain = 1;
    t.device.deviceSel = 0;
    t.device.powerMode = 1;
    t.device.vid = 0x0ABC;
    t.device.manufacturer = u"O'Brien \"Labs\" \\ \u00C5\u20AC";
    t.screen = {300, 1920, 200, 1080};
    t.mouse.bMouse = 0;
    t.touch.numTouchPoints = 1;
    t.pen.bPen = 1;
    t.pen.bInverted = 1;
    t.pen.bYTilt = 1;
    // Every table of a KR7610 SDCC project shares one address text.
    GoldenCase small{"sdcc-kr7610-mouse", {}};
    small.settings.project.toolchain = 2;
    small.settings.device.deviceSel = 0;
    small.settings.device.bEnableRemoteWakeup = 1;
    small.settings.mouse.numButtons = 3;
    return {defaults, everything, touchAndPen, small};
}

TEST(GoldenFiles, DescriptorAndReportFilesMatchTheReviewedCopies)
{
    const bool update = std::getenv("KR_UPDATE_GOLDEN") != nullptr;
    const std::filesystem::path golden = std::filesystem::path(KR_SOURCE_DIR) / "tests/fixtures/golden";
    const TemplateRow rows[] = {TemplateTable[2], TemplateTable[3], TemplateTable[4], TemplateTable[9]};
    for (GoldenCase& c : Cases()) {
        test::TempDir dir;
        c.settings.project.projectPath = dir.folder();
        std::u16string error;
        ASSERT_TRUE(GenerateFiles(c.settings, rows, error)) << platform::ToUtf8(error);
        for (const TemplateRow& row : rows) {
            const std::string name = platform::ToUtf8(row.fileName);
            const std::filesystem::path expected = golden / c.folder / name;
            if (update) {
                std::filesystem::create_directories(expected.parent_path());
                test::WriteBytes(expected, test::ReadBytes(dir / name));
            }
            ASSERT_TRUE(std::filesystem::exists(expected)) << expected;
            EXPECT_EQ(test::ReadBytes(dir / name), test::ReadBytes(expected)) << c.folder << "/" << name;
        }
    }
}

}  // namespace
}  // namespace kr
