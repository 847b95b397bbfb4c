// SPDX-License-Identifier: MIT
// kr761x-gen build on projects it must refuse: each ends with status 1 and
// one sentence saying why, before anything is compiled; a command line it
// does not understand ends with status 2.

#include "cli/BuildCommand.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "CommandRun.h"
#include "generator/GenerateProject.h"
#include "support/TempDir.h"

namespace kr::cli {
namespace {

namespace fs = std::filesystem;

struct ProjectRefusal {
    const char* name;
    int toolchain;
    int chip;
    const char* target;  // appended to the project folder
    const char* path;  // PATH while the command runs
    int code;
    std::string err;  // each "@" stands for the project folder
};

const ProjectRefusal kProjectRefusals[] = {
    {.name = "Keil",
     .toolchain = 0,
     .chip = 1,
     .target = "",
     .path = nullptr,
     .code = 1,
     .err = "KR761x_Keil.wsp is a Keil workspace: only SDCC projects can be built on Linux.\n"},
    {.name = "Raisonance",
     .toolchain = 1,
     .chip = 1,
     .target = "/KR761x_Raisonance.wsp",
     .path = nullptr,
     .code = 1,
     .err = "KR761x_Raisonance.wsp is a Raisonance workspace: only SDCC projects can be built on Linux.\n"},
    {.name = "Kr7610",
     .toolchain = 2,
     .chip = 0,
     .target = "",
     .path = nullptr,
     .code = 1,
     .err = "KR7610 projects cannot be built: the memory layout of KR7610 user firmware is not known.\n"},
    {.name = "NoSdcc",
     .toolchain = 2,
     .chip = 1,
     .target = "/KR761x_SDCC.wsp",
     .path = "/nonexistent",
     .code = 1,
     .err = "sdcc was not found on PATH: install SDCC (the Debian package sdcc) to build SDCC projects.\n"},
    {.name = "NoWorkspace",
     .toolchain = 2,
     .chip = 1,
     .target = "/sub",
     .path = nullptr,
     .code = 1,
     .err = "There is no workspace (.wsp) in @/sub: name the workspace to build.\n"},
    {.name = "Missing",
     .toolchain = 2,
     .chip = 1,
     .target = "/none.wsp",
     .path = nullptr,
     .code = 1,
     .err = "There is no project folder or workspace @/none.wsp.\n@/none.wsp: No such file or directory\n"},
    {.name = "TwoArguments",
     .toolchain = 2,
     .chip = 1,
     .target = "\n",
     .path = nullptr,
     .code = 2,
     .err = "usage: kr761x-gen build [--min-stack BYTES] PROJECT\n"},
};

class BuildRefusal : public ::testing::TestWithParam<ProjectRefusal> {};

TEST_P(BuildRefusal, SaysWhyInOneSentence)
{
    const ProjectRefusal& r = GetParam();
    test::TempDir dir;
    fs::create_directory(dir / "sub");
    ConfigurationSettings settings;
    settings.project.toolchain = r.toolchain;
    settings.device.deviceSel = r.chip;
    settings.project.projectPath = dir.folder();
    std::u16string error;
    ASSERT_TRUE(GenerateProject(settings, error));

    const std::string folder = dir.path().string();
    std::vector<std::string> args = {"build", folder + r.target};
    if (std::string(r.target) == "\n")
        args = {"build", folder, folder};
    const std::string savedPath = std::getenv("PATH");
    if (r.path)
        ::setenv("PATH", r.path, 1);
    const test::Outcome result = test::RunWith(std::make_unique<CBuildCommand>(), args);
    ::setenv("PATH", savedPath.c_str(), 1);

    std::string expected = r.err;
    for (std::size_t at = expected.find('@'); at != std::string::npos; at = expected.find('@', at + folder.size()))
        expected.replace(at, 1, folder);
    EXPECT_EQ(result.code, r.code);
    EXPECT_EQ(result.err, expected);
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(fs::exists(dir / "KR761x_Main.rel"));
}

INSTANTIATE_TEST_SUITE_P(Projects, BuildRefusal, ::testing::ValuesIn(kProjectRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kr::cli
