// SPDX-License-Identifier: MIT
#include "cli/BatchCommand.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

#include "cli/CommandLine.h"
#include "CommandRun.h"
#include "settings/SaveFile.h"
#include "support/TempDir.h"

namespace kr::cli {
namespace {

using test::Outcome;

class BatchCli : public ::testing::Test {
protected:
    test::TempDir in;
    test::TempDir out;
    test::TempDir tools;
    std::function<int()> interrupt;

    Outcome Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), "batch");
        return test::RunWith(std::make_unique<CBatchCommand>(interrupt), args);
    }

    void Save(const std::string& name, int toolchain = 0)
    {
        ConfigurationSettings settings;
        settings.project.toolchain = toolchain;
        std::u16string error;
        ASSERT_TRUE(SaveSettings(in / name, settings, error));
    }

    std::string Builder(const std::string& body)
    {
        const auto path = tools / "builder.sh";
        test::WriteBytes(path, "#!/bin/sh\n" + body + "\n");
        ::chmod(path.c_str(), 0755);
        return path.string();
    }

    std::string Project(const std::string& title) { return (out / title).string() + "/"; }
};

TEST_F(BatchCli, PrintsTheLogWithTheBuildersOutputAndPlainLineEnds)
{
    Save("panel.kcw");
    // The builder is named as a program on PATH.
    // A CR the builder prints inside a line reaches the terminal as it was
    // printed; only its line end becomes a plain newline.
    Builder("echo \"building $1\"; echo 'note' >&2; printf 'step 1\\rstep 2\\r\\r\\n'");
    const std::string path = std::getenv("PATH");
    ::setenv("PATH", (tools.path().string() + ":" + path).c_str(), 1);
    const Outcome r = Run({in.path().string(), out.path().string(), "--build", "builder.sh"});
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(r.code, kExitSuccess) << r.err;
    EXPECT_EQ(r.out, "Generating Project: panel.kcw\nOutput Folder: " + Project("panel")
                         + "\nSucceeded\n\n"
                           "Building Project: "
                         + Project("panel") + "\nWorkspace: " + Project("panel")
                         + "KR761x_Keil.wsp\n"
                           "building "
                         + Project("panel")
                         + "KR761x_Keil.wsp\nnote\nstep 1\rstep 2\r\nSucceeded\n\n"
                           "Summary: 1 save files: 1 generated, 1 built, 0 failed, 0 not started.\n");
    EXPECT_EQ(r.err, "");
}

// Folders, save files and the builder are taken by their bytes, UTF-8 or not;
// the log shows U+FFFD for bytes that are not.
TEST_F(BatchCli, PathsThatAreNotUtf8AreTakenAsGiven)
{
    namespace fs = std::filesystem;
    const fs::path input = in / "s\xE9";
    const fs::path output = out / "\xFF";
    fs::create_directory(input);
    fs::create_directory(output);
    std::u16string error;
    ASSERT_TRUE(SaveSettings(input / "caf\xE9.kcw", ConfigurationSettings{}, error));
    const fs::path builder = tools / "b\xE9.sh";
    test::WriteBytes(builder, "#!/bin/sh\ntest -f \"$1\" && echo built\n");
    ::chmod(builder.c_str(), 0755);

    const Outcome r = Run({input.native(), output.native(), "--build", builder.native()});

    EXPECT_EQ(r.code, kExitSuccess) << r.out << r.err;
    const std::string project = (out / "\xEF\xBF\xBD/caf\xEF\xBF\xBD/").native();
    EXPECT_EQ(r.out, "Generating Project: caf\xEF\xBF\xBD.kcw\nOutput Folder: " + project
                         + "\nSucceeded\n\n"
                           "Building Project: "
                         + project + "\nWorkspace: " + project
                         + "KR761x_Keil.wsp\nbuilt\nSucceeded\n\n"
                           "Summary: 1 save files: 1 generated, 1 built, 0 failed, 0 not started.\n");
    EXPECT_TRUE(fs::exists(output / "caf\xE9/KR761x_Keil.wsp"));
}

TEST_F(BatchCli, AnyFailedFileOrBuildFailsTheRunButAllFilesAreProcessed)
{
    test::WriteBytes(in / "a.kcw", "broken");
    Save("b.kcw");
    Outcome r = Run({in.path().string() + "/", out.path().string()});
    EXPECT_EQ(r.code, kExitFailure);
    EXPECT_NE(r.out.find("The file does not exist, or the file format is invalid.\nFailed\n\n"), std::string::npos);
    EXPECT_NE(r.out.find("Generating Project: b.kcw"), std::string::npos);

    std::filesystem::remove(in / "a.kcw");
    r = Run({in.path().string(), "-j", "3", out.path().string(), "--build", Builder("exit 4")});
    EXPECT_EQ(r.code, kExitFailure);
    EXPECT_NE(r.out.find("Error: Build failed with exit status 4\nFailed\n\n"), std::string::npos);
}

TEST_F(BatchCli, RefusesPathsThatDoNotExistNamingTheFirst)
{
    const std::string invalid = "Invalid batch configuration.\n\nPlease verify all path names before continuing.\n";
    const std::string noSuch = ": No such file or directory\n";
    const struct {
        std::vector<std::string> args;
        std::string reason;  // the line below the message
    } rows[] = {
        {{(in / "missing").string(), out.path().string()}, "Input folder: " + (in / "missing").string() + "/" + noSuch},
        {{in.path().string(), (out / "missing").string()},
         "Output folder: " + (out / "missing").string() + "/" + noSuch},
        {{in.path().string(), out.path().string(), "--build", (tools / "missing").string()},
         "Builder: " + (tools / "missing").string() + noSuch},
        {{in.path().string(), out.path().string(), "--build", tools.path().string()},
         "Builder: " + tools.path().string() + ": Is a directory\n"},
        {{in.path().string(), out.path().string(), "--build", "kr761x-no-such-builder"},
         "Builder: kr761x-no-such-builder" + noSuch},
    };
    for (const auto& row : rows) {
        const Outcome r = Run(row.args);
        EXPECT_EQ(r.code, kExitFailure);
        EXPECT_EQ(r.err, invalid + row.reason);
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(BatchCli, UsageErrors)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {},
             {in.path().string()},
             {in.path().string(), out.path().string(), "extra"},
             {in.path().string(), out.path().string(), "--build"},
             {"--fast", in.path().string(), out.path().string()},
             {in.path().string(), out.path().string(), "--build", "a", "--build", "b"},
             {in.path().string(), out.path().string(), "--jobs"},
             {in.path().string(), out.path().string(), "-j", "0"},
             {in.path().string(), out.path().string(), "--jobs", "2x"},
             {in.path().string(), out.path().string(), "-j", "1", "--jobs", "1"}}) {
        const Outcome r = Run(args);
        EXPECT_EQ(r.code, kExitUsage);
        EXPECT_EQ(r.err, "usage: kr761x-gen batch INDIR OUTDIR [--build BUILDER] [--jobs N]\n");
    }
}

TEST_F(BatchCli, OneInterruptStopsAfterTheBuildTwoEndTheBuildAtOnce)
{
    Save("a.kcw");
    Save("b.kcw");
    const auto started = tools / "started";
    const auto gate = tools / "gate";
    const std::string builder = Builder("echo started; touch '" + started.string() + "'; while [ ! -e '" + gate.string()
                                        + "' ]; do sleep 0.01; done; echo finished");
    const std::string head = "Workspace: " + Project("a") + "KR761x_Keil.wsp\nstarted\n";
    const std::string stopping = "Stopping after the current build; press Ctrl+C again to stop it now.\n";
    const std::string stopped = "Stopped on request before every save file was processed.\n";
    for (const int presses : {1, 2}) {
        std::filesystem::remove(started);
        std::filesystem::remove(gate);
        // Press once the first build runs, one press a poll.
        int count = 0;
        interrupt = [&] {
            if (count < presses && std::filesystem::exists(started)) {
                ++count;
                if (presses == 1)
                    test::WriteBytes(gate, "");  // that build may finish
            }
            return count;
        };
        const Outcome r = Run({in.path().string(), out.path().string(), "--build", builder, "--jobs", "1"});
        EXPECT_EQ(r.code, kExitFailure);
        EXPECT_NE(
            r.out.find(head + (presses == 1 ? "finished\nSucceeded\n\n" : "Build stopped on request\nFailed\n\n")),
            std::string::npos)
            << r.out;
        EXPECT_EQ(r.out.find("b.kcw"), std::string::npos);
        EXPECT_EQ(r.err, stopping + stopped);
    }
}

}  // namespace
}  // namespace kr::cli
