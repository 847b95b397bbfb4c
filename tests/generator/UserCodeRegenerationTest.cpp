// SPDX-License-Identifier: MIT
// Generating a project again into a folder where the user has written code:
// the code in the named regions survives, everything else is what a fresh
// generation writes, and an old file whose code has no place in the new one
// is kept beside it.

#include "generator/GenerateProject.h"

#include <sys/stat.h>

#include <chrono>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "generator/UserCodeRegions.h"
#include "platform/Utf.h"
#include "support/TempDir.h"

namespace kr {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

// Text for the region of this name: the name, then every byte value a
// Windows-1252 file can hold, the line end bytes included.
std::string UserText(const std::string& name)
{
    std::string text = "   user_" + name + "();\r\n";
    for (int b = 0; b < 256; ++b)
        text += static_cast<char>(b);
    return text + "\r\n";
}

// The file with the text of every region replaced by make(name).
template <class Make> std::string FillRegions(const std::string& bytes, Make make)
{
    const auto regions = FindUserCodeRegions(bytes);
    EXPECT_TRUE(regions.has_value());
    std::string out;
    std::size_t copied = 0;
    for (const UserCodeRegion& r : regions.value_or(std::vector<UserCodeRegion>{})) {
        out += bytes.substr(copied, r.textBegin - copied) + make(r.name);
        copied = r.textEnd;
    }
    return out + bytes.substr(copied);
}

std::map<std::string, std::string> RegionTexts(const std::string& bytes)
{
    std::map<std::string, std::string> texts;
    for (const UserCodeRegion& r : FindUserCodeRegions(bytes).value_or(std::vector<UserCodeRegion>{}))
        texts[r.name] = bytes.substr(r.textBegin, r.textEnd - r.textBegin);
    return texts;
}

class Regenerate : public ::testing::TestWithParam<int> {
protected:
    test::TempDir dir;
    std::u16string error;
    GenerationReport report;

    bool Run(ConfigurationSettings s, const test::TempDir& into)
    {
        s.project.projectPath = into.folder();
        return GenerateProject(s, error, &report);
    }
};

TEST_P(Regenerate, UserCodeSurvivesOtherSettingsAndTheRestIsAFreshGeneration)
{
    ConfigurationSettings first;
    first.project.toolchain = GetParam();
    ConfigurationSettings second = first;
    second.device.deviceSel = 0;
    second.device.powerMode = 1;
    second.communication.protocol = 1;
    second.touch.numTouchPoints = 5;
    second.pen.bPen = 1;
    second.mouse.bMouse = 0;

    ASSERT_TRUE(Run(first, dir)) << platform::ToUtf8(error);
    std::size_t filled = 0;
    for (const std::string& name : test::FileNames(dir.path())) {
        const std::string bytes = test::ReadBytes(dir / name);
        filled += RegionTexts(bytes).size();
        test::WriteBytes(dir / name, FillRegions(bytes, UserText));
    }
    EXPECT_EQ(filled, 16u);
    EXPECT_THAT(test::FileNames(dir.path()), ::testing::Contains("KR761x_Main.c"));

    ASSERT_TRUE(Run(second, dir)) << platform::ToUtf8(error);
    EXPECT_TRUE(report.kept.empty());
    test::TempDir fresh;
    ASSERT_TRUE(Run(second, fresh));
    EXPECT_EQ(test::FileNames(dir.path()), test::FileNames(fresh.path()));

    for (const std::string& name : test::FileNames(fresh.path())) {
        const std::string regenerated = test::ReadBytes(dir / name);
        for (const auto& [region, text] : RegionTexts(regenerated))
            EXPECT_EQ(text, UserText(region)) << name << ": " << region;
        const auto blank = [](const std::string&) { return std::string(); };
        // The workspaces name their own folder.
        std::string expected = FillRegions(test::ReadBytes(fresh / name), blank);
        for (std::size_t at; (at = expected.find(fresh.path().string())) != std::string::npos;)
            expected.replace(at, fresh.path().string().size(), dir.path().string());
        EXPECT_EQ(FillRegions(regenerated, blank), expected) << name;
    }
    EXPECT_THAT(RegionTexts(test::ReadBytes(fresh / "KR761x_Main.c")),
                ::testing::Contains(::testing::Key("main loop")));
}

TEST_P(Regenerate, CodeWithNoPlaceInTheNewFileIsKeptBesideIt)
{
    ConfigurationSettings settings;
    settings.project.toolchain = GetParam();
    ASSERT_TRUE(Run(settings, dir));
    const std::size_t fileCount = report.written.size();
    EXPECT_EQ(fileCount, test::FileNames(dir.path()).size());
    const std::string generated = test::ReadBytes(dir / "KR761x_Main.c");

    // The same configuration again touches no file, its time included.
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
    for (const auto& entry : fs::directory_iterator(dir.path()))
        fs::last_write_time(entry.path(), old);
    ASSERT_TRUE(Run(settings, dir));
    EXPECT_TRUE(report.written.empty());
    EXPECT_EQ(report.unchanged.size(), fileCount);
    for (const auto& entry : fs::directory_iterator(dir.path()))
        EXPECT_EQ(fs::last_write_time(entry.path()), old) << entry.path();

    // Regions the templates do not have, added by hand, twice over.
    const std::string own =
        "//! BEGIN user code: my helpers\r\nvoid helper(void) {}\r\n//! END user code: my helpers\r\n";
    const std::string firstEdit = generated + own;
    test::WriteBytes(dir / "KR761x_Main.c", firstEdit);
    ASSERT_TRUE(Run(settings, dir));
    EXPECT_EQ(test::ReadBytes(dir / "KR761x_Main.c"), generated);
    EXPECT_EQ(test::ReadBytes(dir / "KR761x_Main.c.previous"), firstEdit);
    const std::u16string main = dir.folder() + u"KR761x_Main.c";
    ASSERT_EQ(report.kept.size(), 1u);
    EXPECT_EQ(report.kept[0].path, main);
    EXPECT_EQ(KeptFileNotice(report.kept[0]), u"The previous KR761x_Main.c is kept as " + main
                                                  + u".previous: the new file has no user code region \"my helpers\".");

    const std::string secondEdit = own + "//! BEGIN user code: x\r\n//! END user code: x\r\n" + generated;
    test::WriteBytes(dir / "KR761x_Main.c", secondEdit);
    ASSERT_TRUE(Run(settings, dir));
    EXPECT_EQ(test::ReadBytes(dir / "KR761x_Main.c.previous"), firstEdit);
    EXPECT_EQ(test::ReadBytes(dir / "KR761x_Main.c.previous-2"), secondEdit);
    ASSERT_EQ(report.kept.size(), 1u);
    EXPECT_EQ(KeptFileNotice(report.kept[0]),
              u"The previous KR761x_Main.c is kept as " + main
                  + u".previous-2: the new file has no user code regions \"my helpers\", \"x\".");

    // One region's END line deleted: that region alone is not carried, and
    // the old file is kept for it.
    std::string broken = FillRegions(generated, UserText);
    const std::string endLine = "//! END user code: main loop\r\n";
    broken.erase(broken.find(endLine), endLine.size());
    test::WriteBytes(dir / "KR761x_Main.c", broken);
    ASSERT_TRUE(Run(settings, dir));
    const auto regions = RegionTexts(test::ReadBytes(dir / "KR761x_Main.c"));
    EXPECT_EQ(regions.size(), 16u);
    for (const auto& [name, text] : regions)
        EXPECT_EQ(text, name == "main loop" ? RegionTexts(generated).at(name) : UserText(name)) << name;
    EXPECT_EQ(test::ReadBytes(dir / "KR761x_Main.c.previous-3"), broken);
    ASSERT_EQ(report.kept.size(), 1u);
    EXPECT_EQ(KeptFileNotice(report.kept[0]),
              u"The previous KR761x_Main.c is kept as " + main
                  + u".previous-3: the markers of user code region \"main loop\" do not pair up, so its code was not "
                    u"carried over.");
    // Only the file that changed is written.
    EXPECT_THAT(report.written, ElementsAre(main));
    EXPECT_EQ(report.unchanged.size(), fileCount - 1);
}

std::string ToolchainName(const ::testing::TestParamInfo<int>& info)
{
    static const char* const names[] = {"Keil", "Raisonance", "SDCC"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Toolchains, Regenerate, ::testing::Values(0, 1, 2), ToolchainName);

TEST(RegenerateFailure, AFileThatCannotBeReplacedLeavesNoCopyAndIsUntouched)
{
    test::TempDir dir;
    ConfigurationSettings settings;
    settings.project.projectPath = dir.folder();
    std::u16string error;
    ASSERT_TRUE(GenerateProject(settings, error));
    const std::string edited = "//! BEGIN user code: gone\r\nmine\r\n//! END user code: gone\r\n";
    test::WriteBytes(dir / "KR761x_Main.c", edited);
    ::chmod((dir / "KR761x_Main.c").c_str(), 0444);

    GenerationReport report;
    EXPECT_FALSE(GenerateProject(settings, error, &report));
    EXPECT_EQ(error, u"Error generating:\n" + dir.folder() + u"KR761x_Main.c\n" + dir.folder()
                         + u"KR761x_Main.c: Permission denied");
    EXPECT_EQ(test::ReadBytes(dir / "KR761x_Main.c"), edited);
    EXPECT_FALSE(fs::exists(dir / "KR761x_Main.c.previous"));
    EXPECT_TRUE(report.kept.empty());
}

}  // namespace
}  // namespace kr
