#include "cli/BatchCommand.h"

#include <atomic>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>

#include "cli/CommandLine.h"
#include "settings/SaveFile.h"
#include "support/TempDir.h"

namespace kr::cli {
namespace {

struct Outcome {
    int code;
    std::string out;
    std::string err;
};

class BatchCli : public ::testing::Test {
protected:
    test::TempDir in;
    test::TempDir out;
    test::TempDir tools;
    std::function<bool()> interrupt;

    Outcome Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), "batch");
        CCommandLine commandLine("1.0");
        commandLine.Add(std::make_unique<CBatchCommand>(interrupt));
        std::ostringstream o;
        std::ostringstream e;
        const int code = commandLine.Run(args, o, e);
        return {code, o.str(), e.str()};
    }

    void Save(const std::string& name, int toolchain = 0)
    {
        ConfigurationSettings settings;
        settings.project.toolchain = toolchain;
        std::u16string error;
        ASSERT_TRUE(SaveSettings((in / name).u16string(), settings, error));
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

TEST_F(BatchCli, PrintsTheLogWithPlainLineEndsAndSucceeds)
{
    Save("panel.kcw");
    const Outcome r = Run({in.path().string(), out.path().string(), "--build", Builder("exit 0")});
    EXPECT_EQ(r.code, kExitSuccess) << r.err;
    EXPECT_EQ(r.out, "Generating Project: panel.kcw\nOutput Folder: " + Project("panel") + "\nSucceeded\n\n"
                     "Building Project: " + Project("panel") + "\nWorkspace: " + Project("panel")
                     + "KR761x_Keil.wsp\nSucceeded\n\n");
    EXPECT_EQ(r.err, "");
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
    r = Run({in.path().string(), out.path().string(), "--build", Builder("exit 4")});
    EXPECT_EQ(r.code, kExitFailure);
    EXPECT_NE(r.out.find("Error: Build failed with exit status 4\nFailed\n\n"), std::string::npos);
}

TEST_F(BatchCli, RefusesPathsThatDoNotExist)
{
    const std::string invalid = "Invalid batch configuration.\n\nPlease verify all path names before continuing.\n";
    for (const auto& args : std::vector<std::vector<std::string>>{
             {(in / "missing").string(), out.path().string()},
             {in.path().string(), (out / "missing").string()},
             {in.path().string(), out.path().string(), "--build", (tools / "missing").string()},
             {in.path().string(), out.path().string(), "--build", tools.path().string()},
         }) {
        const Outcome r = Run(args);
        EXPECT_EQ(r.code, kExitFailure);
        EXPECT_EQ(r.err, invalid);
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(BatchCli, UsageErrors)
{
    for (const auto& args : std::vector<std::vector<std::string>>{
             {}, {in.path().string()}, {in.path().string(), out.path().string(), "extra"},
             {in.path().string(), out.path().string(), "--build"}, {"--fast", in.path().string(), out.path().string()},
             {in.path().string(), out.path().string(), "--build", "a", "--build", "b"}}) {
        const Outcome r = Run(args);
        EXPECT_EQ(r.code, kExitUsage);
        EXPECT_EQ(r.err, "usage: kr761x-gen batch INDIR OUTDIR [--build BUILDER]\n");
    }
}

TEST_F(BatchCli, AnInterruptStopsBetweenFiles)
{
    Save("a.kcw");
    Save("b.kcw");
    const auto started = tools / "started";
    const auto gate = tools / "gate";
    const std::string builder =
        Builder("touch '" + started.string() + "'; while [ ! -e '" + gate.string() + "' ]; do sleep 0.01; done");
    // Interrupt once the first build runs, then let that build finish.
    interrupt = [&] {
        if (!std::filesystem::exists(started))
            return false;
        test::WriteBytes(gate, "");
        return true;
    };
    const Outcome r = Run({in.path().string(), out.path().string(), "--build", builder});
    EXPECT_EQ(r.code, kExitFailure);
    EXPECT_NE(r.out.find("Workspace: " + Project("a") + "KR761x_Keil.wsp\nSucceeded\n\n"), std::string::npos);
    EXPECT_EQ(r.out.find("b.kcw"), std::string::npos);
    EXPECT_EQ(r.err, "Stopped on request before every save file was processed.\n");
}

}  // namespace
}  // namespace kr::cli
