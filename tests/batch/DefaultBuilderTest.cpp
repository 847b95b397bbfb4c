// SPDX-License-Identifier: MIT
#include "batch/DefaultBuilder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/ProgramSearch.h"
#include "support/TempDir.h"

namespace kr {
namespace {

// Programs in a tree: bin/ (an installed program's folder), build/ui/ and
// build/cli/ (a build tree), p1/ and p2/ (search path folders). A file name
// ending in "-x" is made without the right to run it, one ending in '/' is a
// folder.
struct Where {
    const char* name;
    const char* program;  // the running program's folder
    std::vector<std::string> files;
    std::vector<std::string> path;  // search path folders; "" an empty entry
    std::string expected;  // empty: none found
};

class DefaultBuilder : public ::testing::TestWithParam<Where> {
protected:
    test::TempDir tree;

    void Make(std::string file)
    {
        const bool plain = file.ends_with("-x");
        if (plain)
            file.resize(file.size() - 2);
        std::filesystem::create_directories((tree / file).parent_path());
        if (file.ends_with("/"))
            return;
        test::WriteBytes(tree / file, "#!/bin/sh\n");
        ::chmod((tree / file).c_str(), plain ? 0644 : 0755);
    }
};

TEST_P(DefaultBuilder, IsTheFirstRunnableOneWhereItIsLookedFor)
{
    const Where& where = GetParam();
    for (const std::string& file : where.files)
        Make(file);
    std::string searchPath;
    for (std::size_t i = 0; i < where.path.size(); ++i)
        searchPath += (i ? ":" : "") + (where.path[i].empty() ? "" : (tree / where.path[i]).string());
    EXPECT_EQ(FindDefaultBuilder(tree / where.program, searchPath),
              where.expected.empty() ? std::filesystem::path() : tree / where.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Places, DefaultBuilder,
    ::testing::Values(
        Where{"installed", "bin", {"bin/kr761x-build", "p1/kr761x-build"}, {"p1"}, "bin/kr761x-build"},
        Where{"buildTree", "build/ui", {"build/cli/kr761x-build", "p1/kr761x-build"}, {"p1"}, "build/cli/kr761x-build"},
        Where{"onPath", "build/ui", {"p2/kr761x-build"}, {"p1", "p2"}, "p2/kr761x-build"},
        Where{
            "firstOnPath", "bin", {"p1/kr761x-build", "p2/kr761x-build"}, {"", "p1", "", "p2", ""}, "p1/kr761x-build"},
        Where{"notRunnable",
              "build/ui",
              {"build/cli/kr761x-build-x", "p1/kr761x-build-x", "p2/kr761x-build"},
              {"p1", "p2"},
              "p2/kr761x-build"},
        Where{"folders",
              "build/ui",
              {"build/ui/kr761x-build/", "build/cli/kr761x-build/", "p1/kr761x-build/"},
              {"p1"},
              ""},
        Where{"none", "bin", {"bin/"}, {"p1"}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramSearch, OnlyABareNameIsSearchedFor)
{
    test::TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    test::WriteBytes(dir / "sub/tool", "#!/bin/sh\n");
    ::chmod((dir / "sub/tool").c_str(), 0755);
    EXPECT_EQ(platform::FindProgramOnPath("tool", dir.path().string() + "/sub/"), dir / "sub/tool");
    EXPECT_EQ(platform::FindProgramOnPath("sub/tool", dir.path().string()), "");
    EXPECT_EQ(platform::FindProgramOnPath("", dir.path().string() + "/sub"), "");
}

}  // namespace
}  // namespace kr
