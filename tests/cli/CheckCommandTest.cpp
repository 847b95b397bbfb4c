// SPDX-License-Identifier: MIT
#include "cli/CheckCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>

#include "cli/CommandLine.h"
#include "CommandRun.h"
#include "SavedFilesTest.h"
#include "settings/SaveFile.h"
#include "support/TempDir.h"

namespace kr::cli {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

using test::Outcome;

Outcome RunCheck(const std::vector<std::string>& args)
{
    return test::RunWith(std::make_unique<CCheckCommand>(), args);
}

class Check : public test::SavedFilesTest {};

TEST_F(Check, CleanFilesPassSilently)
{
    ConfigurationSettings everything;
    everything.touch.numTouchPoints = 5;
    everything.pen.bPen = everything.pen.bXTilt = everything.pen.bYTilt = 1;
    everything.pen.xTiltMin = everything.pen.xTiltMax = 65535;
    // Every option on: 428 bytes, one short of the descriptor window's room.
    ConfigurationSettings full;
    full.touch = {.numTouchPoints = 5, .bConfidence = 1, .bPressure = 1, .bWidth = 1, .bHeight = 1};
    full.pen = {.bPen = 1, .bPressure = 1, .bXTilt = 1, .bYTilt = 1, .bInverted = 1, .bBarrelButton = 1};
    ConfigurationSettings penOff;  // its tilt ranges reach no report descriptor
    penOff.pen.bXTilt = 1;
    penOff.pen.xTiltMin = 200;
    const Outcome result =
        RunCheck({"check", Save("a.kcw", {}), Save("b.kcw", everything), Save("c.kcw", penOff), Save("d.kcw", full)});
    EXPECT_EQ(result.code, kExitSuccess);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
}

TEST_F(Check, EveryProblemOfEveryFileOnALineOfItsOwn)
{
    ConfigurationSettings tilt;
    tilt.pen.bPen = tilt.pen.bYTilt = 1;
    tilt.pen.yTiltMin = 300;
    tilt.pen.yTiltMax = 299;
    ConfigurationSettings several;
    several.touch.numTouchPoints = 9;
    several.device.maxPower = 600;
    const std::string a = Save("a.kcw", tilt);
    const std::string good = Save("good.kcw", {});
    const std::string b = Save("b.kcw", several);
    const std::string missing = (dir / "missing.kcw").string();

    const Outcome result = RunCheck({"check", a, good, missing, b});

    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.out,
              a
                  + ": PenData/yTiltMin = 300: The Y tilt minimum is above the Y tilt maximum, 299; hosts "
                    "refuse a report descriptor with such a range.\n"
                  + b + ": DeviceData/maxPower = 600: The maximum power in mA must be an even number from 0 to 500.\n"
                  + b + ": TouchData/numTouchPoints = 9: The number of touch points must be from 0 to 5.\n");
    EXPECT_THAT(result.err, HasSubstr("Failed to load settings from:\n" + missing + "\n"));
}

TEST_F(Check, AFileThatCannotBeLoadedFailsAlone)
{
    const Outcome result = RunCheck({"check", (dir / "missing.kcw").string()});
    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.out, "");
}

// A file is read by the bytes it is named by. Its problems are headed by the
// name as given, as a compiler names the file; a message shows U+FFFD for
// bytes that are not UTF-8.
TEST_F(Check, NamesThatAreNotUtf8AreReadAndNamed)
{
    ConfigurationSettings several;
    several.device.maxPower = 600;
    const std::string latin1 = Save("caf\xE9.kcw", several);
    const std::string clean = Save("\xFF.kcw", {});
    const std::string missing = (dir / "m\xE9.kcw").string();
    const std::string shownMissing = (dir / "m\xEF\xBF\xBD.kcw").string();

    const Outcome result = RunCheck({"check", latin1, clean, missing});

    EXPECT_EQ(result.code, kExitFailure);
    EXPECT_EQ(result.out, latin1
                              + ": DeviceData/maxPower = 600: The maximum power in mA must be an even number from 0 "
                                "to 500.\n");
    EXPECT_EQ(result.err, "Failed to load settings from:\n" + shownMissing
                              + "\n\nThe file does not exist, or the file format is invalid.\n" + shownMissing
                              + ": No such file or directory\n");
}

TEST(CheckCommandLine, UsageAndHelp)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"check"}, {"check", ""}, {"check", "a.kcw", "--all"}}) {
        const Outcome result = RunCheck(args);
        EXPECT_EQ(result.code, kExitUsage);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "usage: kr761x-gen check SAVEFILE...\n");
    }
    EXPECT_EQ(RunCheck({"check", "--help"}).out.rfind("usage: kr761x-gen check SAVEFILE...\n", 0), 0u);
    EXPECT_THAT(RunCheck({"--help"}).out, HasSubstr("check SAVEFILE..."));
}

}  // namespace
}  // namespace kr::cli
