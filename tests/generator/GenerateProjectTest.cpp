// Writing a whole project: which files each toolchain gets and in what
// order, how a failure leaves the folder, and what a second run does.

#include "generator/GenerateProject.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/Utf.h"
#include "support/TempDir.h"

namespace kr {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAreArray;

std::vector<std::string> FilesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// The files of each toolchain in the order they are written.
const std::map<int, std::vector<std::string>> kFileSets = {
    {0, {"compiler_defs.h", "KR761x_API.h", "KR761x_Buffer_Struct.h", "KR761x_Configuration.c",
         "KR761x_Configuration.h", "KR761x_Keil.wsp", "KR761x_Main.c", "KR761x_USB_Descriptor.c", "STARTUP.A51"}},
    {1, {"compiler_defs.h", "KR761x_API.h", "KR761x_Buffer_Struct.h", "KR761x_Configuration.c",
         "KR761x_Configuration.h", "KR761x_Main.c", "KR761x_Raisonance.wsp", "KR761x_USB_Descriptor.c",
         "STARTUP.A51"}},
    {2, {"compiler_defs.h", "KR761x_API.h", "KR761x_Buffer_Struct.h", "KR761x_Configuration.c",
         "KR761x_Configuration.h", "KR761x_Main.c", "KR761x_SDCC.wsp", "KR761x_USB_Descriptor.c",
         "KR761x_Startup.c", "Makefile"}},
};

class Generate : public ::testing::Test {
protected:
    test::TempDir dir;
    ConfigurationSettings settings;
    std::u16string error = u"stale";

    Generate() { settings.project.projectPath = dir.folder(); }

    bool Run() { return GenerateProject(settings, error); }
};

TEST_F(Generate, EachToolchainGetsItsOwnFileSet)
{
    std::map<int, std::string> startup;
    for (const auto& [toolchain, names] : kFileSets) {
        test::TempDir out;
        settings.project.toolchain = toolchain;
        settings.project.projectPath = out.folder();
        ASSERT_TRUE(Run());
        EXPECT_EQ(error, u"");
        EXPECT_THAT(FilesIn(out.path()), UnorderedElementsAreArray(names)) << "toolchain " << toolchain;
        if (toolchain != 2)
            startup[toolchain] = test::ReadBytes(out / "STARTUP.A51");
    }
    // Keil and Raisonance each have a start-up routine of their own.
    EXPECT_FALSE(startup[0].empty());
    EXPECT_FALSE(startup[1].empty());
    EXPECT_NE(startup[0], startup[1]);
}

TEST_F(Generate, FilesAreWrittenInTableOrderAndAFailureStopsTheRun)
{
    // A folder standing where a file should go makes exactly that file fail:
    // the files before it are complete, none after it is attempted.
    for (const auto& [toolchain, names] : kFileSets) {
        for (std::size_t failing = 0; failing < names.size(); ++failing) {
            test::TempDir out;
            std::filesystem::create_directory(out / names[failing]);
            settings.project.toolchain = toolchain;
            settings.project.projectPath = out.folder();
            ASSERT_FALSE(Run());
            EXPECT_EQ(error, u"Error generating:\r\n" + out.folder() + platform::FromUtf8(names[failing]));

            std::vector<std::string> expected(names.begin(), names.begin() + failing + 1);
            EXPECT_THAT(FilesIn(out.path()), UnorderedElementsAreArray(expected)) << names[failing];
        }
    }
}

TEST_F(Generate, MissingFolderFailsAtTheFirstFileAndWritesNothing)
{
    settings.project.projectPath = dir.folder() + u"missing/";
    EXPECT_FALSE(Run());
    EXPECT_EQ(error, u"Error generating:\r\n" + dir.folder() + u"missing/compiler_defs.h");
    EXPECT_TRUE(FilesIn(dir.path()).empty());
}

TEST_F(Generate, SecondRunOverwritesItsFilesAndLeavesOthers)
{
    settings.project.toolchain = 0;
    ASSERT_TRUE(Run());
    const std::string keilDescriptor = test::ReadBytes(dir / "KR761x_USB_Descriptor.c");

    // Change the configuration and tamper with a file: everything is rewritten.
    test::WriteBytes(dir / "KR761x_Main.c", "edited by hand");
    settings.project.toolchain = 2;
    settings.device.vid = 0xBEEF;
    ASSERT_TRUE(Run());
    EXPECT_NE(test::ReadBytes(dir / "KR761x_Main.c"), "edited by hand");
    const std::string sdccDescriptor = test::ReadBytes(dir / "KR761x_USB_Descriptor.c");
    EXPECT_NE(sdccDescriptor, keilDescriptor);
    EXPECT_NE(sdccDescriptor.find("0xEF, 0xBE,"), std::string::npos);

    // The Keil run's own files stay where they were.
    EXPECT_TRUE(std::filesystem::exists(dir / "KR761x_Keil.wsp"));
    EXPECT_TRUE(std::filesystem::exists(dir / "STARTUP.A51"));
    EXPECT_EQ(FilesIn(dir.path()).size(), 12u);
}

TEST_F(Generate, TemplateThatCannotBeLoadedStopsTheRun)
{
    const TemplateRow rows[] = {TemplateTable[0], {9999, u"absent.h", kEveryToolchain}, TemplateTable[1]};
    EXPECT_FALSE(GenerateFiles(settings, rows, error));
    EXPECT_EQ(error, u"Error loading resource files.");
    EXPECT_THAT(FilesIn(dir.path()), ElementsAre("compiler_defs.h"));
}

TEST_F(Generate, OutOfRangeSelectionsFailAtTheFirstTemplateUsingThem)
{
    // No compiler name: the portability header has no keys, the next file does.
    settings.project.toolchain = 3;
    EXPECT_FALSE(Run());
    EXPECT_EQ(error, u"Error generating:\r\n" + dir.folder() + u"KR761x_API.h");
    EXPECT_THAT(FilesIn(dir.path()), ElementsAre("compiler_defs.h"));

    // An unknown power mode has no regulator word for the main program, so
    // no descriptor without its attributes byte is ever written.
    settings.project.toolchain = 2;
    settings.device.powerMode = 2;
    EXPECT_FALSE(Run());
    EXPECT_EQ(error, u"Error generating:\r\n" + dir.folder() + u"KR761x_Main.c");
    EXPECT_FALSE(std::filesystem::exists(dir / "KR761x_USB_Descriptor.c"));
}

}  // namespace
}  // namespace kr
