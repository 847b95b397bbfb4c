// SPDX-License-Identifier: MIT
// The built kr761x-gen as a build script sees it: exit status and streams.

#include <chrono>
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <thread>

#include "generator/GenerateProject.h"
#include "settings/SaveFile.h"
#include "support/RunProgram.h"
#include "support/Sanitizer.h"
#include "support/TempDir.h"
#include "tests/TestPaths.h"

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
    // Output that cannot be written is a failure; diff calls it trouble (2),
    // never "the files differ" (1).
    const std::string keil = (dir / "keil.kcw").string();
    ASSERT_TRUE(SaveSettings(fs::path(keil).u16string(), ConfigurationSettings{}, error));
    for (const auto& [call, code] : {std::pair{"describe \"$1\"", 1}, {"diff \"$1\" \"$2\"", 2}}) {
        result = test::RunProgram(
            {"/bin/sh", "-c", "exec \"$0\" " + std::string(call) + " > /dev/full", KR_GEN_PROGRAM, saveFile, keil});
        EXPECT_EQ(result.exitCode, code) << call;
        EXPECT_EQ(result.err, "Error: Could not write standard output\nstandard output: No space left on device\n");
    }
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
#if KR_UNDER_SANITIZER
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
    const test::ProgramResult result =
        test::RunProgram({"/bin/sh", "-c", "ulimit -v 262144 && exec \"$0\" batch \"$1\" \"$2\" --build \"$3\"",
                          KR_GEN_PROGRAM, (dir / "in").string(), (dir / "out").string(), builder.string()});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_LT(result.out.size(), 5u << 20);
    const std::string leftOut = " bytes of builder output left out]\n";
    const std::size_t first = result.out.find(leftOut);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(result.out.find(leftOut, first + 1), std::string::npos);
    EXPECT_NE(result.out.find("\nSummary: 2 save files: 2 generated, 2 built, 0 failed, 0 not started.\n"),
              std::string::npos);
}

// However a batch ends, nothing its builders started outlives it: a
// builder's background child is ended when the builder exits, and SIGTERM or
// SIGHUP end the running builders before the program ends by that signal.
TEST(Program, NoBuilderOutlivesTheBatch)
{
    const struct {
        const char* name;
        const char* signal;  // sent once both builders run, or none
        int code;  // the shell's view of the program's end
    } rows[] = {{"normal end", "", 0}, {"SIGTERM", "TERM", 128 + 15}, {"SIGHUP", "HUP", 128 + 1}};
    for (const auto& row : rows) {
        test::TempDir dir;
        fs::create_directories(dir / "in");
        fs::create_directories(dir / "out");
        std::u16string error;
        for (const char* name : {"a.kcw", "b.kcw"})
            ASSERT_TRUE(SaveSettings((dir / "in" / name).u16string(), ConfigurationSettings{}, error));
        const fs::path builder = dir / "builder.sh";
        test::WriteBytes(builder, "#!/bin/sh\nsleep 300 &\necho $! >> \"$0.pids\"\n"
                                      + std::string(*row.signal ? "echo $$ >> \"$0.pids\"\nexec sleep 300\n" : ""));
        fs::permissions(builder, fs::perms::owner_all);
        const test::ProgramResult result = test::RunProgram(
            {"/bin/sh", "-c",
             "\"$0\" batch \"$1\" \"$2\" --build \"$3\" -j 2 >/dev/null & p=$!; [ -z \"$4\" ] || { i=0; "
             "until [ $(cat \"$3.pids\" 2>/dev/null | wc -l) -ge 4 ] || [ $i -ge 400 ]; do sleep 0.05; i=$((i+1)); "
             "done; kill -$4 $p; }; wait $p; echo $?",
             KR_GEN_PROGRAM, (dir / "in").string(), (dir / "out").string(), builder.string(), row.signal});
        EXPECT_EQ(result.out, std::to_string(row.code) + "\n") << row.name;
        std::istringstream pids(test::ReadBytes(fs::path(builder.string() + ".pids")));
        int count = 0;
        for (std::string pid; pids >> pid; ++count) {
            // Gone within 3 s: no process, or one dead and not yet reaped.
            bool gone = false;
            for (int i = 0; i < 300 && !gone; ++i) {
                const std::string stat = fs::exists("/proc/" + pid) ? test::ReadBytes("/proc/" + pid + "/stat") : "";
                gone = stat.empty() || stat.find(") Z ") != std::string::npos;
                if (!gone)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            EXPECT_TRUE(gone) << row.name << ": " << pid;
        }
        EXPECT_EQ(count, *row.signal ? 4 : 2) << row.name;
    }
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
    ASSERT_TRUE(GenerateProject(settings, error));  // a Keil project

    const std::string workspace = (dir / "KR761x_Keil.wsp").string();
    test::ProgramResult result = test::RunProgram({KR_BUILD_PROGRAM, workspace});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "KR761x_Keil.wsp is a Keil workspace: only SDCC projects can be built on Linux.\n");

    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {workspace, workspace},
                                                 {"-x"},
                                                 {"--min-stack", "257", workspace},
                                                 {"--min-stack", "-1", workspace},
                                                 {workspace, "--min-stack"}}) {
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

// Every command of both programs read by the one command line: a call it
// does not understand ends with status 2 and that command's usage line alone
// on standard error, whatever the fault; "--help" answers on standard output.
struct Call {
    const char* name;
    const char* program;
    std::vector<std::string> words;  // after the program's name
    int code;
    std::string usage;  // the command's usage line
};

const std::string kGenerate = "usage: kr761x-gen generate [--check] SAVEFILE OUTDIR";
const std::string kBatch = "usage: kr761x-gen batch INDIR OUTDIR [--build BUILDER] [--jobs N]";
const std::string kDescribe = "usage: kr761x-gen describe [--layout] SAVEFILE";
const std::string kBuild = "usage: kr761x-gen build [--min-stack BYTES] PROJECT";
const std::string kCheck = "usage: kr761x-gen check SAVEFILE...";
const std::string kHosts = "usage: kr761x-gen hosts [--host NAME]... [--format text|json] SAVEFILE...";
const std::string kSimulate = "usage: kr761x-gen simulate [--mode MODE] [--reports N] [--format FORMAT] PROJECT";
const std::string kShow = "usage: kr761x-gen show SAVEFILE";
const std::string kSet = "usage: kr761x-gen set SAVEFILE PATH=VALUE... [-o OUT]";
const std::string kDiff = "usage: kr761x-gen diff SAVEFILE SAVEFILE";
const std::string kBuilder = "usage: kr761x-build [--min-stack BYTES] WORKSPACE";

const Call kCalls[] = {
    {"GenerateUnknownOption", KR_GEN_PROGRAM, {"generate", "-x", "out"}, 2, kGenerate},
    {"GenerateUnknownOptionLast", KR_GEN_PROGRAM, {"generate", "a.kcw", "out", "-x"}, 2, kGenerate},
    {"GenerateMissingArgument", KR_GEN_PROGRAM, {"generate", "a.kcw"}, 2, kGenerate},
    {"GenerateExtraArgument", KR_GEN_PROGRAM, {"generate", "a.kcw", "out", "more"}, 2, kGenerate},
    {"GenerateOptionTwice", KR_GEN_PROGRAM, {"generate", "--check", "--check", "a.kcw", "out"}, 2, kGenerate},
    {"GenerateHelp", KR_GEN_PROGRAM, {"generate", "--help"}, 0, kGenerate},
    {"BatchUnknownOption", KR_GEN_PROGRAM, {"batch", "-x", "in/", "out/"}, 2, kBatch},
    {"BatchMissingArgument", KR_GEN_PROGRAM, {"batch", "in/"}, 2, kBatch},
    {"BatchExtraArgument", KR_GEN_PROGRAM, {"batch", "in/", "out/", "more/"}, 2, kBatch},
    {"BatchOptionWithoutValue", KR_GEN_PROGRAM, {"batch", "in/", "out/", "--build"}, 2, kBatch},
    {"BatchAliasWithoutValue", KR_GEN_PROGRAM, {"batch", "in/", "out/", "-j"}, 2, kBatch},
    {"BatchHelp", KR_GEN_PROGRAM, {"batch", "--help"}, 0, kBatch},
    {"DescribeUnknownOption", KR_GEN_PROGRAM, {"describe", "-x"}, 2, kDescribe},
    {"DescribeMissingArgument", KR_GEN_PROGRAM, {"describe", "--layout"}, 2, kDescribe},
    {"DescribeExtraArgument", KR_GEN_PROGRAM, {"describe", "a.kcw", "b.kcw"}, 2, kDescribe},
    {"DescribeHelp", KR_GEN_PROGRAM, {"describe", "--help"}, 0, kDescribe},
    {"BuildUnknownOption", KR_GEN_PROGRAM, {"build", "-x"}, 2, kBuild},
    {"BuildMissingArgument", KR_GEN_PROGRAM, {"build"}, 2, kBuild},
    {"BuildExtraArgument", KR_GEN_PROGRAM, {"build", "a", "b"}, 2, kBuild},
    {"BuildOptionWithoutValue", KR_GEN_PROGRAM, {"build", "a", "--min-stack"}, 2, kBuild},
    {"BuildHelp", KR_GEN_PROGRAM, {"build", "--help"}, 0, kBuild},
    {"CheckUnknownOption", KR_GEN_PROGRAM, {"check", "-x"}, 2, kCheck},
    {"CheckUnknownOptionAfterFile", KR_GEN_PROGRAM, {"check", "a.kcw", "--all"}, 2, kCheck},
    {"CheckMissingArgument", KR_GEN_PROGRAM, {"check"}, 2, kCheck},
    {"CheckEmptyArgument", KR_GEN_PROGRAM, {"check", ""}, 2, kCheck},
    {"CheckHelp", KR_GEN_PROGRAM, {"check", "--help"}, 0, kCheck},
    {"HostsUnknownHost", KR_GEN_PROGRAM, {"hosts", "--host", "Linux", "--host", "linux", "a.kcw"}, 2, kHosts},
    {"HostsUnknownFormat", KR_GEN_PROGRAM, {"hosts", "--format", "csv", "a.kcw"}, 2, kHosts},
    {"HostsMissingArgument", KR_GEN_PROGRAM, {"hosts", "--host", "Linux"}, 2, kHosts},
    {"HostsHelp", KR_GEN_PROGRAM, {"hosts", "--help"}, 0, kHosts},
    {"SimulateUnknownOption", KR_GEN_PROGRAM, {"simulate", "-x", "p"}, 2, kSimulate},
    {"SimulateMissingArgument", KR_GEN_PROGRAM, {"simulate", "--no-vectors"}, 2, kSimulate},
    {"SimulateExtraArgument", KR_GEN_PROGRAM, {"simulate", "p", "q"}, 2, kSimulate},
    {"SimulateOptionWithoutValue", KR_GEN_PROGRAM, {"simulate", "p", "--budget"}, 2, kSimulate},
    {"SimulateHelp", KR_GEN_PROGRAM, {"simulate", "--help"}, 0, kSimulate},
    {"ShowUnknownOption", KR_GEN_PROGRAM, {"show", "-x"}, 2, kShow},
    {"ShowMissingArgument", KR_GEN_PROGRAM, {"show"}, 2, kShow},
    {"ShowExtraArgument", KR_GEN_PROGRAM, {"show", "a.kcw", "b.kcw"}, 2, kShow},
    {"ShowHelp", KR_GEN_PROGRAM, {"show", "--help"}, 0, kShow},
    {"SetUnknownOption", KR_GEN_PROGRAM, {"set", "a.kcw", "-x", "DeviceData/vid=1"}, 2, kSet},
    {"SetMissingArgument", KR_GEN_PROGRAM, {"set", "a.kcw"}, 2, kSet},
    {"SetOptionWithoutValue", KR_GEN_PROGRAM, {"set", "a.kcw", "DeviceData/vid=1", "-o"}, 2, kSet},
    {"SetOptionWithEmptyValue", KR_GEN_PROGRAM, {"set", "a.kcw", "DeviceData/vid=1", "-o", ""}, 2, kSet},
    {"SetHelp", KR_GEN_PROGRAM, {"set", "--help"}, 0, kSet},
    {"DiffUnknownOption", KR_GEN_PROGRAM, {"diff", "-x", "a.kcw", "b.kcw"}, 2, kDiff},
    {"DiffMissingArgument", KR_GEN_PROGRAM, {"diff", "a.kcw"}, 2, kDiff},
    {"DiffExtraArgument", KR_GEN_PROGRAM, {"diff", "a.kcw", "b.kcw", "c.kcw"}, 2, kDiff},
    {"DiffHelp", KR_GEN_PROGRAM, {"diff", "--help"}, 0, kDiff},
    {"BuilderUnknownOption", KR_BUILD_PROGRAM, {"-x"}, 2, kBuilder},
    {"BuilderUnknownOptionAfterWorkspace", KR_BUILD_PROGRAM, {"a.wsp", "--verbose"}, 2, kBuilder},
    {"BuilderMissingArgument", KR_BUILD_PROGRAM, {}, 2, kBuilder},
    {"BuilderExtraArgument", KR_BUILD_PROGRAM, {"a.wsp", "b.wsp"}, 2, kBuilder},
    {"BuilderOptionWithoutValue", KR_BUILD_PROGRAM, {"a.wsp", "--min-stack"}, 2, kBuilder},
    {"BuilderHelp", KR_BUILD_PROGRAM, {"--help"}, 0, kBuilder},
};

class CommandLineFault : public ::testing::TestWithParam<Call> {};

TEST_P(CommandLineFault, EndsWithTheCommandsUsageLine)
{
    const Call& call = GetParam();
    std::vector<std::string> command = {call.program};
    command.insert(command.end(), call.words.begin(), call.words.end());
    const test::ProgramResult result = test::RunProgram(command);
    EXPECT_EQ(result.exitCode, call.code) << result.err;
    if (call.code == 0) {
        // The help starts with the usage line and lists every option the
        // usage line shows, with "--help" itself.
        EXPECT_EQ(result.out.rfind(call.usage + "\n", 0), 0u) << result.out;
        EXPECT_EQ(result.err, "");
        const std::size_t options = result.out.find("\nOptions:\n");
        ASSERT_NE(options, std::string::npos) << result.out;
        EXPECT_NE(result.out.find("\n  --help ", options), std::string::npos) << result.out;
        for (std::size_t at = call.usage.find("[-"); at != std::string::npos; at = call.usage.find("[-", at + 1)) {
            const std::string option = call.usage.substr(at + 1, call.usage.find_first_of(" ]", at) - at - 1);
            EXPECT_NE(result.out.find(option + " ", options), std::string::npos) << option;
        }
    } else {
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, call.usage + "\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Calls, CommandLineFault, ::testing::ValuesIn(kCalls),
                         [](const auto& info) { return std::string(info.param.name); });

// "--" ends the options, so a file whose name starts with '-' can be named;
// a lone "-" is a file name too. Each reaches the command, which fails to
// load the file it names.
TEST(Program, WordsAfterDoubleDashAreArguments)
{
    struct Row {
        std::vector<std::string> words;
        std::string file;
    };
    test::TempDir dir;
    for (const Row& row : {Row{{"generate", "--", "-x", (dir / "out").string()}, "-x"}, Row{{"check", "-"}, "-"},
                           Row{{"show", "--", "-x"}, "-x"}, Row{{"describe", "--layout", "--", "--help"}, "--help"}}) {
        std::vector<std::string> command = {KR_GEN_PROGRAM};
        command.insert(command.end(), row.words.begin(), row.words.end());
        const test::ProgramResult result = test::RunProgram(command);
        EXPECT_EQ(result.exitCode, 1) << ::testing::PrintToString(row.words);
        EXPECT_EQ(result.err.rfind("Failed to load settings from:\n" + row.file + "\n", 0), 0u) << result.err;
        EXPECT_FALSE(fs::exists(dir / "out"));
    }
}

}  // namespace
}  // namespace kr
