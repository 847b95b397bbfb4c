// SPDX-License-Identifier: MIT
// kr761x-gen simulate refuses a command line it does not understand without
// running anything, and a project it cannot run with one sentence. What it
// prints for a built image is checked with the real tools (tests/sdcc).

#include "cli/SimulateCommand.h"

#include <gtest/gtest.h>

#include "CommandRun.h"
#include "generator/GenerateProject.h"
#include "support/TempDir.h"

namespace kr::cli {
namespace {

struct Refusal {
    const char* name;
    std::vector<std::string> args;  // "@" stands for the generated project
    int code;
    const char* err;
};

constexpr const char kUsage[] = "usage: kr761x-gen simulate [--mode MODE] [--reports N] [--format FORMAT] PROJECT\n";

const Refusal kRefusals[] = {
    {"NoProject", {"--mode", "touch"}, kExitUsage, kUsage},
    {"UnknownMode", {"--mode", "stylus", "@"}, kExitUsage, kUsage},
    {"NoReports", {"--reports", "0", "@"}, kExitUsage, kUsage},
    {"BudgetNotANumber", {"--budget", "1e6", "@"}, kExitUsage, kUsage},
    {"UnknownFormat", {"--format", "xml", "@"}, kExitUsage, kUsage},
    {"ModeTwice", {"--mode", "pen", "--mode", "pen", "@"}, kExitUsage, kUsage},
    {"TwoProjects", {"@", "@"}, kExitUsage, kUsage},
    {"ScriptUnreadable", {"--script", "@/none.test", "@"}, kExitUsage, "@/none.test: the script cannot be read.\n"},
    {"NotBuilt",
     {"--no-vectors", "@"},
     kExitFailure,
     "The project has no readable KR761x_Image.ihx (@/KR761x_Image.ihx): build it first with kr761x-gen build.\n"},
};

class SimulateRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(SimulateRefusal, SaysWhy)
{
    const Refusal& r = GetParam();
    test::TempDir dir;
    ConfigurationSettings settings;
    settings.project.toolchain = 2;
    settings.project.projectPath = dir.folder();
    std::u16string error;
    ASSERT_TRUE(GenerateProject(settings, error));
    const std::string folder = dir.path().string();
    auto withFolder = [&](std::string text) {
        for (std::size_t at; (at = text.find('@')) != std::string::npos;)
            text.replace(at, 1, folder);
        return text;
    };
    std::vector<std::string> args = {"simulate"};
    for (const std::string& arg : r.args)
        args.push_back(withFolder(arg));
    const test::Outcome result = test::RunWith(std::make_unique<CSimulateCommand>(), args);
    EXPECT_EQ(result.code, r.code);
    EXPECT_EQ(result.err, withFolder(r.err));
    EXPECT_EQ(result.out, "");
}

INSTANTIATE_TEST_SUITE_P(Cases, SimulateRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kr::cli
