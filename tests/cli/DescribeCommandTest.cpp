// SPDX-License-Identifier: MIT
#include "cli/DescribeCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

#include "cli/CommandLine.h"
#include "CommandRun.h"
#include "cli/TerminalText.h"
#include "generator/ReportDescriptor.h"
#include "settings/SaveFile.h"
#include "support/TempDir.h"

namespace kr::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

using test::Outcome;

Outcome RunDescribe(const std::vector<std::string>& args)
{
    return test::RunWith(std::make_unique<CDescribeCommand>(), args);
}

class Describe : public ::testing::Test {
protected:
    test::TempDir dir;
    const std::string saveFile = (dir / "panel.kcw").string();

    void Save(const ConfigurationSettings& settings)
    {
        std::u16string error;
        ASSERT_TRUE(SaveSettings(saveFile, settings, error));
    }

    // What the wizard's view shows for the same settings.
    static ReportDescriptorView View(const ConfigurationSettings& settings)
    {
        ReportDescriptorView view;
        std::u16string error;
        EXPECT_TRUE(DescribeReportDescriptor(settings, view, error));
        return view;
    }
};

TEST_F(Describe, PrintsTheDecodedDescriptorTheWizardShows)
{
    ConfigurationSettings settings;
    settings.touch.numTouchPoints = 2;
    settings.pen.bPen = settings.pen.bBarrelButton = settings.pen.bPressure = 1;
    settings.screen.width_px = 1920;
    Save(settings);

    const Outcome result = RunDescribe({"describe", saveFile});

    EXPECT_EQ(result.code, kExitSuccess);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, ForTerminal(View(settings).text));
    EXPECT_THAT(result.out, HasSubstr("Logical Maximum (1920)"));
    EXPECT_THAT(result.out, HasSubstr("  Input   0x82 ID_PEN_DATA                      64 bits = 8 bytes\n"));
}

TEST_F(Describe, LayoutPrintsEveryReportBitByBit)
{
    Save(ConfigurationSettings{});
    const Outcome result = RunDescribe({"describe", "--layout", saveFile});
    EXPECT_EQ(result.code, kExitSuccess);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, ForTerminal(View(ConfigurationSettings{}).layoutText));
    EXPECT_THAT(result.out, HasSubstr("  8      16    X                           X (UU16, 2 bytes)\n"
                                      "  24     16    Y                           Y (UU16, 2 bytes)\n"));
}

TEST_F(Describe, ARangeHostsRefuseFailsWithTheReasonAfterTheListing)
{
    ConfigurationSettings settings;
    settings.pen.bPen = settings.pen.bYTilt = 1;
    settings.pen.yTiltMin = 300;
    settings.pen.yTiltMax = 299;
    Save(settings);

    const Outcome result = RunDescribe({"describe", saveFile});

    EXPECT_EQ(result.code, kExitFailure);
    const ReportDescriptorView view = View(settings);
    EXPECT_EQ(result.out, ForTerminal(view.text));
    EXPECT_EQ(result.err, ForTerminal(HostRuleFailureText(view.failures)));
    EXPECT_THAT(result.err, HasSubstr("Hosts refuse this report descriptor"));
    EXPECT_THAT(result.err, HasSubstr("Input (Y Tilt) at offset "));
    EXPECT_THAT(result.err, HasSubstr("Logical Minimum 300 is above Logical Maximum 299"));
}

TEST_F(Describe, FilesThatCannotBeLoadedOrExpandedFailWithTheirText)
{
    const std::string missing = (dir / "missing.kcw").string();
    Outcome result = RunDescribe({"describe", missing});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Failed to load settings from:\n" + missing
                              + "\n\nThe file does not exist, or the file format is invalid.\n" + missing
                              + ": No such file or directory\n");

    ConfigurationSettings settings;
    settings.project.toolchain = 3;
    Save(settings);
    result = RunDescribe({"describe", saveFile});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "Error generating:\nKR761x_Configuration.h\n");
}

TEST_F(Describe, ASaveFileNamedByAnyBytesIsRead)
{
    ConfigurationSettings settings;
    settings.screen.width_px = 1234;
    std::u16string error;
    const std::string latin1 = (dir / "caf\xE9.kcw").string();
    ASSERT_TRUE(SaveSettings(latin1, settings, error));

    const Outcome result = RunDescribe({"describe", latin1});

    EXPECT_EQ(result.code, kExitSuccess) << result.err;
    EXPECT_EQ(result.out, ForTerminal(View(settings).text));
    EXPECT_THAT(result.out, HasSubstr("Logical Maximum (1234)"));
}

TEST(DescribeCommandLine, UsageAndHelp)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{"describe"},
                                                 {"describe", ""},
                                                 {"describe", "a.kcw", "out"},
                                                 {"describe", "--layout"},
                                                 {"describe", "--wide", "a.kcw"},
                                                 {"describe", "--layout", "a.kcw", "--layout"}}) {
        const Outcome result = RunDescribe(args);
        EXPECT_EQ(result.code, kExitUsage);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "usage: kr761x-gen describe [--layout] SAVEFILE\n");
    }
    Outcome result = RunDescribe({"describe", "--help"});
    EXPECT_EQ(result.code, kExitSuccess);
    EXPECT_EQ(result.out.rfind("usage: kr761x-gen describe [--layout] SAVEFILE\n", 0), 0u);
    result = RunDescribe({"--help"});
    EXPECT_THAT(result.out, HasSubstr("describe [--layout] SAVEFILE"));
}

}  // namespace
}  // namespace kr::cli
