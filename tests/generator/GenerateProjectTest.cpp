// SPDX-License-Identifier: MIT
// Writing a whole project: which files each toolchain gets and in what
// order, how a failure leaves the folder, and what a second run does.

#include "generator/GenerateProject.h"

#include <functional>
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>

#include "platform/FolderLock.h"
#include "platform/Utf.h"
#include "support/TempDir.h"

namespace kr {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAreArray;

// The files of each toolchain in the order they are written.
const std::map<int, std::vector<std::string>> kFileSets = {
    {0,
     {"compiler_defs.h", "KR761x_API.h", "KR761x_Buffer_Struct.h", "KR761x_Configuration.c", "KR761x_Configuration.h",
      "KR761x_Keil.wsp", "KR761x_Main.c", "KR761x_USB_Descriptor.c", "STARTUP.A51"}},
    {1,
     {"compiler_defs.h", "KR761x_API.h", "KR761x_Buffer_Struct.h", "KR761x_Configuration.c", "KR761x_Configuration.h",
      "KR761x_Main.c", "KR761x_Raisonance.wsp", "KR761x_USB_Descriptor.c", "STARTUP.A51"}},
    {2,
     {"compiler_defs.h", "KR761x_API.h", "KR761x_Buffer_Struct.h", "KR761x_Configuration.c", "KR761x_Configuration.h",
      "KR761x_Main.c", "KR761x_SDCC.wsp", "KR761x_USB_Descriptor.c", "KR761x_Startup.c", "Makefile"}},
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
        EXPECT_THAT(test::FileNames(out.path()), UnorderedElementsAreArray(names)) << "toolchain " << toolchain;
        if (toolchain != 2)
            startup[toolchain] = test::ReadBytes(out / "STARTUP.A51");
    }
    // Keil and Raisonance each have a start-up routine of their own.
    EXPECT_FALSE(startup[0].empty());
    EXPECT_FALSE(startup[1].empty());
    EXPECT_NE(startup[0], startup[1]);
}

TEST_F(Generate, AFailingFileLeavesTheFolderAsItWasAndSaysWhy)
{
    // A folder standing where a file should go makes exactly that file fail,
    // with the system's reason; no file of the run is put in place.
    for (const auto& [toolchain, names] : kFileSets) {
        for (std::size_t failing = 0; failing < names.size(); ++failing) {
            test::TempDir out;
            std::filesystem::create_directory(out / names[failing]);
            settings.project.toolchain = toolchain;
            settings.project.projectPath = out.folder();
            ASSERT_FALSE(Run());
            const std::u16string path = out.folder() + platform::FromUtf8(names[failing]);
            EXPECT_EQ(error, u"Error generating:\n" + path + u"\n" + path + u": Is a directory");
            EXPECT_THAT(test::FileNames(out.path()), ElementsAre(names[failing]));
        }
    }
}

// What is in a generated file's place and is no file of the user's own is
// refused unread and left as it is, and so is a path no workspace line can
// hold; nothing of the run is written.
TEST_F(Generate, RefusedPlacesAndPathsWriteNothing)
{
    test::TempDir outside;
    test::WriteBytes(outside / "code.c", "the user's code elsewhere");
    const struct {
        const char* name;
        std::function<void(const std::filesystem::path& folder)> prepare;
        std::u16string reason;
    } rows[] = {
        {"a link to a file",
         [&](const std::filesystem::path& folder) {
             std::filesystem::create_symlink(outside / "code.c", folder / "KR761x_Main.c");
         },
         u"Is a symbolic link, which is not followed; it is left as it is"},
        {"a named pipe",
         [](const std::filesystem::path& folder) { ASSERT_EQ(::mkfifo((folder / "KR761x_Main.c").c_str(), 0644), 0); },
         u"Not a regular file; it is left as it is"},
        {"a file larger than 16 MiB",
         [](const std::filesystem::path& folder) {
             test::WriteBytes(folder / "KR761x_Main.c", "");
             std::filesystem::resize_file(folder / "KR761x_Main.c", kMaxExistingFileBytes + 1);
         },
         u"Larger than 16 MiB, more than a generated file ever holds; it is left as it is, unread"},
    };
    for (const auto& row : rows) {
        test::TempDir out;
        row.prepare(out.path());
        const auto before = std::filesystem::symlink_status(out / "KR761x_Main.c").type();
        settings.project.projectPath = out.folder();
        EXPECT_FALSE(Run()) << row.name;
        const std::u16string path = out.folder() + u"KR761x_Main.c";
        EXPECT_EQ(error, u"Error generating:\n" + path + u"\n" + path + u": " + row.reason) << row.name;
        EXPECT_THAT(test::FileNames(out.path()), ElementsAre("KR761x_Main.c")) << row.name;
        EXPECT_EQ(std::filesystem::symlink_status(out / "KR761x_Main.c").type(), before) << row.name;
    }
    EXPECT_EQ(test::ReadBytes(outside / "code.c"), "the user's code elsewhere");

    for (const char* control : {"\r\nCompFlag=-DX", "\t", "\x7f"}) {
        const std::filesystem::path folder = dir.path().string() + "/p" + control;
        std::filesystem::create_directory(folder);
        settings.project.projectPath = folder.u16string() + u"/";
        EXPECT_FALSE(Run());
        EXPECT_TRUE(error.ends_with(kMsgControlCharacterInPath));
        EXPECT_TRUE(std::filesystem::is_empty(folder));
    }
}

// A project folder entered inside the output folder and then moved away,
// with a link put in its place, takes no file: neither through the link nor
// into the folder where it went.
TEST_F(Generate, AFolderSwappedForALinkTakesNoFile)
{
    platform::CFolder output;
    platform::CFolder project;
    platform::FileFailure why;
    ASSERT_TRUE(output.Open(dir.path().string() + "/", why));
    ASSERT_EQ(output.Enter("p", project, why), platform::CFolder::Entered::Created);
    std::filesystem::rename(dir / "p", dir / "moved");
    std::filesystem::create_directory_symlink(dir / "moved", dir / "p");
    settings.project.projectPath = dir.folder() + u"p/";
    EXPECT_FALSE(GenerateProject(settings, error, nullptr, nullptr, GenerationMode::Write, &project));
    EXPECT_TRUE(error.ends_with(u"The folder was moved or replaced by another program while the project was "
                                u"generated"));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "moved"));
    EXPECT_EQ(output.Enter("p", project, why), platform::CFolder::Entered::NotAFolder);
}

// A run waits while another holds the folder, and writes once it lets go.
TEST_F(Generate, ARunWaitsForTheFolderAnotherRunHolds)
{
    auto other = std::make_unique<platform::CFolderLock>();
    platform::FileFailure why;
    ASSERT_EQ(other->Lock(dir.path().string(), std::chrono::milliseconds(0), why),
              platform::CFolderLock::Result::Locked);
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other.reset();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(Run()) << platform::ToUtf8(error);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    release.join();
    EXPECT_TRUE(std::filesystem::exists(dir / "KR761x_Main.c"));
}

TEST_F(Generate, MissingFolderFailsAtTheFirstFileAndWritesNothing)
{
    settings.project.projectPath = dir.folder() + u"missing/";
    EXPECT_FALSE(Run());
    EXPECT_EQ(error, u"Error generating:\n" + dir.folder() + u"missing/compiler_defs.h\n" + dir.folder()
                         + u"missing/: No such file or directory");
    EXPECT_TRUE(test::FileNames(dir.path()).empty());
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
    EXPECT_EQ(test::FileNames(dir.path()).size(), 12u);
}

// The prepared templates are shared by every thread: runs of different
// configurations at the same time each get exactly what they get alone.
TEST_F(Generate, RunsOnSeveralThreadsAtOnceEachGetTheirOwnFiles)
{
    auto runs = [](int toolchain, const std::u16string& folder, int times) {
        ConfigurationSettings s;
        s.project.toolchain = toolchain;
        s.device.deviceSel = toolchain % 2;
        s.project.projectPath = folder;
        std::u16string error;
        bool ok = true;
        for (int i = 0; i < times; ++i)
            ok = GenerateProject(s, error) && ok;
        return ok;
    };
    test::TempDir dirs[3];
    std::map<std::string, std::string> alone[3];
    for (int t = 0; t < 3; ++t) {
        ASSERT_TRUE(runs(t, dirs[t].folder(), 1));
        for (const std::string& name : kFileSets.at(t))
            alone[t][name] = test::ReadBytes(dirs[t] / name);
    }
    bool ok[3] = {};
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&, t] { ok[t] = runs(t, dirs[t].folder(), 20); });
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < 3; ++t) {
        ASSERT_TRUE(ok[t]);
        for (const std::string& name : kFileSets.at(t))
            EXPECT_EQ(test::ReadBytes(dirs[t] / name), alone[t][name]) << name;
    }
}

TEST_F(Generate, TemplateThatCannotBeLoadedStopsTheRunBeforeAnyFileIsInPlace)
{
    const TemplateRow rows[] = {TemplateTable[0], {9999, u"absent.h", kEveryToolchain}, TemplateTable[1]};
    GenerationFailure failure;
    EXPECT_FALSE(GenerateFiles(settings, rows, error, nullptr, &failure));
    EXPECT_EQ(error, u"Error loading resource files.");
    EXPECT_EQ(failure.fileName, u"absent.h");
    EXPECT_EQ(failure.error.code, ExpandResult::Ok);
    EXPECT_TRUE(test::FileNames(dir.path()).empty());
}

TEST_F(Generate, AConfigurationWithProblemsWritesNothingAndNamesEachOne)
{
    struct Case {
        const char* name;
        std::function<void(ConfigurationSettings&)> spoil;
        std::u16string lines;  // after the first line of the error text
    };
    const Case cases[] = {
        {"no such toolchain", [](auto& s) { s.project.toolchain = 3; },
         u"ProjectData/toolchain = 3: The toolchain must be 0 (Keil), 1 (Raisonance) or 2 (SDCC)."},
        {"tilt range hosts refuse",
         [](auto& s) {
             s.pen.bPen = s.pen.bXTilt = 1;
             s.pen.xTiltMin = 101;
         },
         u"PenData/xTiltMin = 101: The X tilt minimum is above the X tilt maximum, 100; hosts refuse a report "
         u"descriptor with such a range."},
        {"descriptors past their window",
         [](auto& s) {
             s.touch = {
                 .numTouchPoints = 5, .bConfidence = 1, .bPressure = 1, .bWidth = 1, .bHeight = 1, .bContactCount = 1};
             s.pen = {.bPen = 1, .bPressure = 1, .bXTilt = 1, .bYTilt = 1, .bInverted = 1, .bBarrelButton = 1};
         },
         u"The report descriptor needs 463 bytes, but the descriptor window 0x2683-0x295F has room for 429 after the "
         u"other descriptors; the options that take the most room are Mouse support (70 bytes), Touch contact count "
         u"and scan time (35 bytes) and Touch pressure (11 bytes)."},
        {"several",
         [](auto& s) {
             s.device.powerMode = 2;
             s.pen.bPen = s.pen.bYTilt = 1;
             s.pen.yTiltMin = 0;
             s.gpio.values[3] = 7;
         },
         u"DeviceData/powerMode = 2: The power mode must be 0 (bus powered) or 1 (self powered).\n"
         u"PenData/yTiltMin = 0: The Y tilt minimum must be from 1 to 65535.\n"
         u"GpioData/values/pin3 = 7: The start-up level of GPIO.3 must be 0 (low) or 1 (high)."},
    };
    for (const Case& c : cases) {
        test::TempDir out;
        ConfigurationSettings s;
        s.project.toolchain = 2;
        s.project.projectPath = out.folder();
        c.spoil(s);
        EXPECT_FALSE(GenerateProject(s, error)) << c.name;
        EXPECT_EQ(error, u"Nothing was generated, because the configuration has these problems:\n" + c.lines) << c.name;
        EXPECT_TRUE(test::FileNames(out.path()).empty()) << c.name;
    }
}

TEST_F(Generate, UncheckedOutOfRangeSelectionsFailAtTheFirstTemplateUsingThem)
{
    // No compiler name: the portability header has no keys, the next file does.
    settings.project.toolchain = 3;
    GenerationFailure failure;
    EXPECT_FALSE(GenerateFiles(settings, TemplateTable, error, nullptr, &failure));
    EXPECT_EQ(error, u"Error generating:\n" + dir.folder() + u"KR761x_API.h");
    EXPECT_TRUE(test::FileNames(dir.path()).empty());
    // The reason is kept beside the text: which key, and where it is used first.
    EXPECT_EQ(DescribeTemplateError(failure.fileName, failure.error),
              u"KR761x_API.h:5:16: undefined key \u00A6S_COMPILER\u00A6");
    EXPECT_EQ(failure.error.code, ExpandResult::UndefinedName);

    // An unknown power mode has no regulator word for the main program, so
    // no descriptor without its attributes byte is ever written.
    settings.project.toolchain = 2;
    settings.device.powerMode = 2;
    EXPECT_FALSE(GenerateFiles(settings, TemplateTable, error));
    EXPECT_EQ(error, u"Error generating:\n" + dir.folder() + u"KR761x_Main.c");
    EXPECT_FALSE(std::filesystem::exists(dir / "KR761x_USB_Descriptor.c"));
}

}  // namespace
}  // namespace kr
