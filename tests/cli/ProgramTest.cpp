// SPDX-License-Identifier: MIT
// The built kr761x-gen as a build script sees it: exit status and streams.

#include <gtest/gtest.h>
#include <set>
#include <sstream>

#include "generator/GenerateProject.h"
#include "settings/SaveFile.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

namespace kr {
namespace {

namespace fs = std::filesystem;

TEST(Program, ExitStatusTellsSuccessFailureAndUsageApart)
{
    test::TempDir dir;
    const std::string saveFile = (dir / "panel.kcw").string();
    const std::string outDir = (dir / "out").string();
    ConfigurationSettings settings;
    settings.project.toolchain = 1;
    std::u16string error;
    ASSERT_TRUE(SaveSettings(fs::path(saveFile).u16string(), settings, error));

    test::ProgramResult result = test::RunProgram({KR_GEN_PROGRAM, "generate", saveFile, outDir});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out + result.err, "");
    EXPECT_TRUE(fs::exists(fs::path(outDir) / "KR761x_Raisonance.wsp"));

    result = test::RunProgram({KR_GEN_PROGRAM, "generate", (dir / "none.kcw").string(), outDir});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("Failed to load settings from:\n", 0), 0u) << result.err;

    // describe: the listing on standard output, a host rule broken on standard error.
    result = test::RunProgram({KR_GEN_PROGRAM, "describe", saveFile});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out.rfind("HID report descriptor: 125 bytes\n", 0), 0u) << result.out;
    EXPECT_EQ(result.err, "");
    // Output that cannot be written is a failure.
    result = test::RunProgram({"/bin/sh", "-c", "exec \"$0\" describe \"$1\" > /dev/full", KR_GEN_PROGRAM, saveFile});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Error: Could not write standard output\nstandard output: No space left on device\n");
    settings.pen.bPen = settings.pen.bXTilt = 1;
    settings.pen.xTiltMin = 101;
    ASSERT_TRUE(SaveSettings(fs::path(saveFile).u16string(), settings, error));
    result = test::RunProgram({KR_GEN_PROGRAM, "describe", saveFile});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("Usage (X Tilt)"), std::string::npos);
    EXPECT_NE(result.err.find("Logical Minimum 101 is above Logical Maximum 100"), std::string::npos) << result.err;

    // check: the same file names its problem; generate refuses it.
    result = test::RunProgram({KR_GEN_PROGRAM, "check", saveFile});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out.rfind(saveFile + ": PenData/xTiltMin = 101: ", 0), 0u) << result.out;
    result = test::RunProgram({KR_GEN_PROGRAM, "generate", saveFile, (dir / "refused").string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("PenData/xTiltMin = 101: "), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(dir / "refused"));
    EXPECT_EQ(test::RunProgram({KR_GEN_PROGRAM, "check"}).exitCode, 2);

    // Arguments reach the files as the bytes they are: a save file and an
    // output folder named in Latin-1.
    const std::string latin1 = (dir / "caf\xE9.kcw").string();
    settings.pen = {};
    ASSERT_TRUE(SaveSettings(latin1, settings, error));
    result = test::RunProgram({KR_GEN_PROGRAM, "generate", latin1, (dir / "\xE9t\xE9").string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(fs::exists(dir / "\xE9t\xE9" / "KR761x_Raisonance.wsp"));
    EXPECT_EQ(test::RunProgram({KR_GEN_PROGRAM, "check", latin1}).exitCode, 0);
    EXPECT_EQ(test::RunProgram({KR_GEN_PROGRAM, "describe", latin1}).exitCode, 0);

    result = test::RunProgram({KR_GEN_PROGRAM});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("usage:"), std::string::npos);

    result = test::RunProgram({KR_GEN_PROGRAM, "--version"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.rfind("kr761x-gen ", 0), 0u);
    EXPECT_EQ(result.err, "");
}

// A builder printing 64 MB, in lines or in one line without end, under an
// address-space limit: the batch finishes, its log keeps a bounded share.
TEST(Program, ABuilderPrintingMuchRunsInBoundedMemory)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer reserves more address space than the limit";
#endif
    test::TempDir dir;
    fs::create_directories(dir / "in");
    fs::create_directories(dir / "out");
    std::u16string error;
    for (const char* name : {"a.kcw", "b.kcw"})
        ASSERT_TRUE(SaveSettings((dir / "in" / name).u16string(), ConfigurationSettings{}, error));
    const fs::path builder = dir / "builder.sh";
    test::WriteBytes(builder, "#!/bin/sh\ncase \"$1\" in\n"
                              "*/a/*) yes 'a line of builder output' | head -c 67108864 ;;\n"
                              "*) head -c 67108864 /dev/zero | tr '\\0' x ;;\nesac\n");
    fs::permissions(builder, fs::perms::owner_all);
    const test::ProgramResult result = test::RunProgram(
        {"/bin/sh", "-c", "ulimit -v 262144 && exec \"$0\" batch \"$1\" \"$2\" --build \"$3\"", KR_GEN_PROGRAM,
         (dir / "in").string(), (dir / "out").string(), builder.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_LT(result.out.size(), 5u << 20);
    const std::string leftOut = " bytes of builder output left out]\n";
    const std::size_t first = result.out.find(leftOut);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(result.out.find(leftOut, first + 1), std::string::npos);
    EXPECT_NE(result.out.find("\nSummary: 2 save files: 2 generated, 2 built, 0 failed, 0 not started.\n"),
              std::string::npos);
}

// Every row of the command and option tables starts its description in the
// same column, however long a command's arguments are.
TEST(Program, HelpTableLinesUp)
{
    const test::ProgramResult result = test::RunProgram({KR_GEN_PROGRAM, "--help"});
    ASSERT_EQ(result.exitCode, 0);
    std::istringstream lines(result.out);
    std::set<std::size_t> columns;
    int rows = 0;
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("  "))
            continue;
        const std::size_t gap = line.find("  ", 2);
        ASSERT_NE(gap, std::string::npos) << line;
        columns.insert(line.find_first_not_of(' ', gap));
        ++rows;
    }
    EXPECT_GE(rows, 5);
    EXPECT_EQ(columns.size(), 1u) << result.out;
}

TEST(Program, BuilderTakesOneWorkspaceAndSaysWhyItRefusesOne)
{
    test::TempDir dir;
    ConfigurationSettings settings;
    settings.project.projectPath = dir.folder();
    std::u16string error;
    ASSERT_TRUE(GenerateProject(settings, error));   // a Keil project

    const std::string workspace = (dir / "KR761x_Keil.wsp").string();
    test::ProgramResult result = test::RunProgram({KR_BUILD_PROGRAM, workspace});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "KR761x_Keil.wsp is a Keil workspace: only SDCC projects can be built on Linux.\n");

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {workspace, workspace}, {"-x"}, {"--min-stack", "257", workspace},
          {"--min-stack", "-1", workspace}, {workspace, "--min-stack"}}) {
        std::vector<std::string> command = {KR_BUILD_PROGRAM};
        command.insert(command.end(), args.begin(), args.end());
        result = test::RunProgram(command);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.err, "usage: kr761x-build [--min-stack BYTES] WORKSPACE\n");
    }
    result = test::RunProgram({KR_BUILD_PROGRAM, "--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out.rfind("usage: kr761x-build [--min-stack BYTES] WORKSPACE\n", 0), 0u);
}

}  // namespace
}  // namespace kr
