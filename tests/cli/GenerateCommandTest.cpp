// SPDX-License-Identifier: MIT
#include "cli/GenerateCommand.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

#include "cli/CommandLine.h"
#include "CommandRun.h"
#include "generator/UserCodeRegions.h"
#include "settings/SaveFile.h"
#include "support/TempDir.h"

namespace kr::cli {
namespace {

namespace fs = std::filesystem;

using test::Outcome;

Outcome RunGenerate(const std::vector<std::string>& args)
{
    return test::RunWith(std::make_unique<CGenerateCommand>(), args);
}

class Generate : public ::testing::Test {
protected:
    test::TempDir dir;
    const std::string saveFile = (dir / "panel.kcw").string();
    const std::string outDir = (dir / "out").string();

    void Save(const ConfigurationSettings& settings)
    {
        std::u16string error;
        ASSERT_TRUE(SaveSettings(fs::path(saveFile).u16string(), settings, error));
    }
};

TEST_F(Generate, WritesTheProjectIntoANewFolderSilently)
{
    ConfigurationSettings settings;
    settings.project.toolchain = 2;
    settings.project.projectPath = u"/elsewhere/";  // ignored: OUTDIR wins
    settings.pen.bYTilt = 1;
    settings.pen.yTiltMin = 500;  // the pen is off: no range of it is generated
    Save(settings);

    const Outcome result = RunGenerate({"generate", saveFile, outDir});

    EXPECT_EQ(result.code, kExitSuccess);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(test::FileNames(outDir),
              (std::vector<std::string>{"KR761x_API.h", "KR761x_Buffer_Struct.h", "KR761x_Configuration.c",
                                        "KR761x_Configuration.h", "KR761x_Main.c", "KR761x_SDCC.wsp",
                                        "KR761x_Startup.c", "KR761x_USB_Descriptor.c", "Makefile", "compiler_defs.h"}));
    // The project path is OUTDIR with one separator added.
    EXPECT_NE(
        test::ReadBytes(fs::path(outDir) / "KR761x_SDCC.wsp").find("WorkSpaceName=" + outDir + "/KR761x_SDCC.wsp\r\n"),
        std::string::npos);
}

TEST_F(Generate, ReusesAnExistingFolderAndAddsNoSecondSeparator)
{
    Save(ConfigurationSettings{});  // Keil
    fs::create_directory(outDir);
    test::WriteBytes(fs::path(outDir) / "KR761x_Main.c", "stale");
    test::WriteBytes(fs::path(outDir) / "notes.txt", "mine");

    const Outcome result = RunGenerate({"generate", saveFile, outDir + "/"});

    ASSERT_EQ(result.code, kExitSuccess) << result.err;
    EXPECT_NE(test::ReadBytes(fs::path(outDir) / "KR761x_Main.c"), "stale");
    EXPECT_EQ(test::ReadBytes(fs::path(outDir) / "notes.txt"), "mine");
    EXPECT_TRUE(fs::exists(fs::path(outDir) / "STARTUP.A51"));
    EXPECT_NE(
        test::ReadBytes(fs::path(outDir) / "KR761x_Keil.wsp").find("WorkSpaceName=" + outDir + "/KR761x_Keil.wsp\r\n"),
        std::string::npos);
}

TEST_F(Generate, UserCodeSurvivesAndAFileKeptForItIsNamedOnStandardError)
{
    ConfigurationSettings settings;
    settings.project.toolchain = 2;
    Save(settings);
    ASSERT_EQ(RunGenerate({"generate", saveFile, outDir}).code, kExitSuccess);

    // Every region gets its name and every byte value; one region is the user's own.
    const fs::path main = fs::path(outDir) / "KR761x_Main.c";
    auto userText = [](const std::string& name) {
        std::string text = "   " + name + ";\r\n";
        for (int b = 0; b < 256; ++b)
            text += static_cast<char>(b);
        return text + "\r\n";
    };
    std::string edited = test::ReadBytes(main);
    const auto regions = FindUserCodeRegions(edited).value();
    ASSERT_EQ(regions.size(), 16u);
    for (auto region = regions.rbegin(); region != regions.rend(); ++region)
        edited.replace(region->textBegin, region->textEnd - region->textBegin, userText(region->name));
    edited += "//! BEGIN user code: extra\r\n//! END user code: extra\r\n";
    // One region loses its END line: the others are carried all the same.
    const std::string endLine = "//! END user code: main loop\r\n";
    edited.erase(edited.find(endLine), endLine.size());
    test::WriteBytes(main, edited);

    settings.device.vid = 0xBEEF;
    settings.communication.protocol = 2;
    Save(settings);
    const Outcome result = RunGenerate({"generate", saveFile, outDir});

    EXPECT_EQ(result.code, kExitSuccess);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "The previous KR761x_Main.c is kept as " + main.string()
                              + ".previous: the markers of user code region \"main loop\" do not pair up, so its code "
                                "was not carried over; the new file has no user code region \"extra\".\n");
    EXPECT_EQ(test::ReadBytes(main.string() + ".previous"), edited);
    const std::string regenerated = test::ReadBytes(main);
    const auto carried = FindUserCodeRegions(regenerated).value();
    EXPECT_EQ(carried.size(), 16u);
    for (const UserCodeRegion& region : carried)
        EXPECT_EQ(regenerated.substr(region.textBegin, region.textEnd - region.textBegin),
                  region.name == "main loop" ? "" : userText(region.name))
            << region.name;
    EXPECT_NE(regenerated.find("UART_BAUD"), std::string::npos);
}

TEST_F(Generate, CheckWritesNothingAndNamesWhatAGenerationWouldCreateOrChange)
{
    ConfigurationSettings settings;
    settings.project.toolchain = 2;
    Save(settings);
    Outcome result = RunGenerate({"generate", "--check", saveFile, outDir});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.out.rfind("Would create: " + outDir + "/compiler_defs.h\n", 0), 0u) << result.out;
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 10);
    EXPECT_FALSE(fs::exists(outDir));

    ASSERT_EQ(RunGenerate({"generate", saveFile, outDir}).code, kExitSuccess);
    result = RunGenerate({"generate", "--check", saveFile, outDir});
    EXPECT_EQ(result.code, kExitSuccess);
    EXPECT_EQ(result.out + result.err, "");

    // Code in a region is carried, so it changes nothing; an edit elsewhere does.
    const fs::path main = fs::path(outDir) / "KR761x_Main.c";
    std::string text = test::ReadBytes(main);
    const std::string begin = std::string(kUserCodeBegin) + "start-up\r\n";
    text.insert(text.find(begin) + begin.size(), "mine();\r\n");
    test::WriteBytes(main, text);
    EXPECT_EQ(RunGenerate({"generate", "--check", saveFile, outDir}).code, kExitSuccess);
    test::WriteBytes(main, text + "edited\r\n");
    const auto before = fs::last_write_time(main);
    result = RunGenerate({"generate", "--check", saveFile, outDir});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.out, "Would change: " + main.string() + "\n");
    EXPECT_EQ(test::ReadBytes(main), text + "edited\r\n");
    EXPECT_EQ(fs::last_write_time(main), before);
}

TEST_F(Generate, AFileThatCannotBeLoadedFailsWithItsTextAndCreatesNothing)
{
    const std::string notFound = (dir / "missing.kcw").string();
    Outcome result = RunGenerate({"generate", notFound, outDir});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Failed to load settings from:\n" + notFound
                              + "\n\nThe file does not exist, or the file format is invalid.\n" + notFound
                              + ": No such file or directory\n");

    test::WriteBytes(saveFile, "<Touch_Config_Wizard_Save><Settings>");
    result = RunGenerate({"generate", saveFile, outDir});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_NE(result.err.find("The file does not exist, or the file format is invalid."), std::string::npos);

    test::WriteBytes(saveFile, "<Touch_Config_Wizard_Save><Settings><SAVE_FILE_VERSION>0200</SAVE_FILE_VERSION>"
                               "</Settings></Touch_Config_Wizard_Save>");
    result = RunGenerate({"generate", saveFile, outDir});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_NE(result.err.find("The file version is unsupported."), std::string::npos);

    test::WriteBytes(saveFile, "<Touch_Config_Wizard_Save><Settings><SAVE_FILE_VERSION>0100</SAVE_FILE_VERSION>"
                               "</Settings></Touch_Config_Wizard_Save>");
    result = RunGenerate({"generate", saveFile, outDir});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_NE(result.err.find("The file is missing configuration settings."), std::string::npos);

    EXPECT_FALSE(fs::exists(outDir));
}

TEST_F(Generate, AConfigurationWithProblemsListsThemAllAndCreatesNothing)
{
    ConfigurationSettings settings;
    settings.project.toolchain = 3;
    settings.device.powerMode = 5;
    settings.pen.bPen = settings.pen.bXTilt = 1;
    settings.pen.xTiltMin = 200;
    Save(settings);

    Outcome result = RunGenerate({"generate", saveFile, outDir});

    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Nothing was generated, because the configuration has these problems:\n"
                          "ProjectData/toolchain = 3: The toolchain must be 0 (Keil), 1 (Raisonance) or 2 (SDCC).\n"
                          "DeviceData/powerMode = 5: The power mode must be 0 (bus powered) or 1 (self powered).\n"
                          "PenData/xTiltMin = 200: The X tilt minimum is above the X tilt maximum, 100; hosts refuse a "
                          "report descriptor with such a range.\n");
    EXPECT_FALSE(fs::exists(outDir));

    // Into an existing folder, nothing is written either.
    fs::create_directory(outDir);
    result = RunGenerate({"generate", saveFile, outDir});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_TRUE(fs::is_empty(outDir));
}

// Paths are the arguments' bytes: a save file or an output folder whose name
// is not UTF-8 is read and written as it is named, and shown with U+FFFD.
struct BytePaths {
    const char* name;
    std::string saveName;
    std::string outName;
    std::string shownOut;  // the output folder's name in what the command prints
    std::string inFile;  // the same in the files' text (Windows-1252)
    std::string shownSave;  // the save file's name in what the command prints
};

class GenerateBytePaths : public ::testing::TestWithParam<BytePaths> {
protected:
    test::TempDir dir;
};

TEST_P(GenerateBytePaths, AreTakenAsTheyAre)
{
    const BytePaths& row = GetParam();
    const std::string saveFile = (dir / row.saveName).native();
    const std::string outDir = (dir / row.outName).native();
    const std::string shownDir = dir.path().native() + "/" + row.shownOut;
    ConfigurationSettings settings;
    settings.project.toolchain = 2;
    std::u16string error;
    ASSERT_TRUE(SaveSettings(saveFile, settings, error));

    Outcome result = RunGenerate({"generate", "--check", saveFile, outDir});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.out.rfind("Would create: " + shownDir + "/compiler_defs.h\n", 0), 0u) << result.out;

    result = RunGenerate({"generate", saveFile, outDir});
    ASSERT_EQ(result.code, kExitSuccess) << result.err;
    EXPECT_EQ(result.out + result.err, "");
    EXPECT_EQ(test::FileNames(outDir).size(), 10u);
    EXPECT_NE(test::ReadBytes(fs::path(outDir) / "KR761x_SDCC.wsp")
                  .find("WorkSpaceName=" + dir.path().native() + "/" + row.inFile + "/KR761x_SDCC.wsp\r\n"),
              std::string::npos);

    // Regenerating finds the files it wrote, by the same bytes.
    result = RunGenerate({"generate", "--check", saveFile, outDir});
    EXPECT_EQ(result.code, kExitSuccess) << result.out;

    // A save file that is not there is named as the user sees it.
    const std::string missing = saveFile + "\xFF";
    result = RunGenerate({"generate", missing, outDir});
    EXPECT_EQ(result.code, kExitFailure);
    const std::string shownMissing = dir.path().native() + "/" + row.shownSave + "\xEF\xBF\xBD";
    EXPECT_EQ(result.err, "Failed to load settings from:\n" + shownMissing
                              + "\n\nThe file does not exist, or the file format is invalid.\n" + shownMissing
                              + ": No such file or directory\n");
}

INSTANTIATE_TEST_SUITE_P(
    Names, GenerateBytePaths,
    ::testing::Values(BytePaths{"latin1SaveFile", "caf\xE9.kcw", "out", "out", "out", "caf\xEF\xBF\xBD.kcw"},
                      BytePaths{"latin1Folder", "panel.kcw", "caf\xE9", "caf\xEF\xBF\xBD", "caf?", "panel.kcw"},
                      BytePaths{"both", "\xFF\xFE.kcw", "o\xE9\x80", "o\xEF\xBF\xBD", "o?",
                                "\xEF\xBF\xBD\xEF\xBF\xBD.kcw"},
                      BytePaths{"utf8", "caf\xC3\xA9.kcw", "caf\xC3\xA9", "caf\xC3\xA9", "caf\xE9", "caf\xC3\xA9.kcw"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Generate, AFolderThatCannotBeCreatedFails)
{
    Save(ConfigurationSettings{});
    const std::string twoLevels = (dir / "a" / "b").string();
    Outcome result = RunGenerate({"generate", saveFile, twoLevels});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.err, "Error: Could not create directory\n" + twoLevels + "/: No such file or directory\n");
    EXPECT_FALSE(fs::exists(dir / "a"));

    test::WriteBytes(outDir, "a file, not a folder");
    result = RunGenerate({"generate", saveFile, outDir});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.err, "Error: Could not create directory\n" + outDir + "/: Not a directory\n");

    const std::string dangling = (dir / "dangling").string();
    fs::create_symlink(dir / "nowhere", dangling);
    result = RunGenerate({"generate", saveFile, dangling});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.err, "Error: Could not create directory\n" + dangling + "/: No such file or directory\n");
    EXPECT_FALSE(fs::exists(dir / "nowhere"));

    // A control character in the path is refused before the folder is made.
    const std::string control = (dir / "o\r\nCompFlag=-DX").string();
    result = RunGenerate({"generate", saveFile, control});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.err.rfind("Error: The output folder's path holds a control character", 0), 0u) << result.err;
    EXPECT_FALSE(fs::exists(control));
}

TEST(CommandLine, RefusesWhatItDoesNotUnderstandWithUsageOnStandardError)
{
    const std::vector<std::vector<std::string>> wrong = {
        {},
        {"generate"},
        {"generate", "a.kcw"},
        {"generate", "a.kcw", "out", "extra"},
        {"generate", "", "out"},
        {"generate", "a.kcw", ""},
        {"generate", "--check", "a.kcw"},
        {"generate", "--check", "a.kcw", "out", "--check"},
        {"build", "a.kcw", "out"},
        {"--verbose"},
    };
    for (const auto& args : wrong) {
        const Outcome result = RunGenerate(args);
        EXPECT_EQ(result.code, kExitUsage) << ::testing::PrintToString(args);
        EXPECT_EQ(result.out, "");
        EXPECT_TRUE(result.err.find("usage: kr761x-gen") != std::string::npos) << result.err;
    }
    EXPECT_NE(RunGenerate({"build"}).err.find("unknown command 'build'"), std::string::npos);
    EXPECT_NE(RunGenerate({"--verbose"}).err.find("unknown option '--verbose'"), std::string::npos);
    EXPECT_EQ(RunGenerate({"generate", "a.kcw"}).err, "usage: kr761x-gen generate [--check] SAVEFILE OUTDIR\n");
}

TEST(CommandLine, HelpAndVersionGoToStandardOutput)
{
    Outcome result = RunGenerate({"--help"});
    EXPECT_EQ(result.code, kExitSuccess);
    EXPECT_EQ(result.err, "");
    EXPECT_NE(result.out.find("generate [--check] SAVEFILE OUTDIR"), std::string::npos);
    EXPECT_NE(result.out.find("--version"), std::string::npos);

    result = RunGenerate({"generate", "--help"});
    EXPECT_EQ(result.code, kExitSuccess);
    EXPECT_EQ(result.out.rfind("usage: kr761x-gen generate [--check] SAVEFILE OUTDIR\n", 0), 0u);

    result = RunGenerate({"--version"});
    EXPECT_EQ(result.code, kExitSuccess);
    EXPECT_EQ(result.out, "kr761x-gen 1.2.3\n");
}

}  // namespace
}  // namespace kr::cli
