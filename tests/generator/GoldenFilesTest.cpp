// SPDX-License-Identifier: MIT
// Whole generated files for a few configurations, compared byte for byte with
// reviewed copies in tests/fixtures/golden/. After a deliberate change to a
// template, `cmake --build build --target update-golden` rewrites the copies;
// review the difference before committing it.

#include <gtest/gtest.h>

#include "generator/GenerateProject.h"
#include "platform/Utf.h"
#include "support/Configurations.h"
#include "support/Golden.h"
#include "support/TempDir.h"
#include "tests/TestPaths.h"

namespace kr {
namespace {

TEST(GoldenFiles, DescriptorAndReportFilesMatchTheReviewedCopies)
{
    const std::filesystem::path golden = std::filesystem::path(KR_SOURCE_DIR) / "tests/fixtures/golden";
    const TemplateRow rows[] = {TemplateTable[2], TemplateTable[3], TemplateTable[4], TemplateTable[9]};
    for (test::NamedConfiguration& c : test::GoldenConfigurations()) {
        test::TempDir dir;
        c.settings.project.projectPath = dir.folder();
        std::u16string error;
        ASSERT_TRUE(GenerateFiles(c.settings, rows, error)) << platform::ToUtf8(error);
        for (const TemplateRow& row : rows) {
            const std::string name = platform::ToUtf8(row.fileName);
            const std::filesystem::path expected = golden / c.name / name;
            const std::string text = test::ReadBytes(dir / name);
            EXPECT_EQ(text, test::Golden(expected, text)) << c.name << "/" << name;
        }
    }
}

}  // namespace
}  // namespace kr
