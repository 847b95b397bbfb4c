// SPDX-License-Identifier: MIT
// show, set and diff: the fields of save files read, changed and compared by
// path, with the exit statuses scripts test.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CommandRun.h"
#include "cli/DiffCommand.h"
#include "cli/SetCommand.h"
#include "cli/ShowCommand.h"
#include "settings/SaveFile.h"
#include "support/TempDir.h"

namespace kr::cli {
namespace {

namespace fs = std::filesystem;
using test::Outcome;
using ::testing::HasSubstr;

class FieldCommands : public ::testing::Test {
protected:
    test::TempDir dir;

    std::string Save(const std::string& name, const ConfigurationSettings& settings)
    {
        std::u16string error;
        EXPECT_TRUE(SaveSettings((dir / name).u16string(), settings, error));
        return (dir / name).string();
    }
    ConfigurationSettings Load(const std::string& path)
    {
        ConfigurationSettings settings;
        std::u16string error;
        EXPECT_TRUE(LoadSettings(fs::path(path).u16string(), settings, error)) << path;
        return settings;
    }
    static Outcome Show(const std::vector<std::string>& args)
    {
        return test::RunWith(std::make_unique<CShowCommand>(), args);
    }
    static Outcome Set(const std::vector<std::string>& args)
    {
        return test::RunWith(std::make_unique<CSetCommand>(), args);
    }
    static Outcome Diff(const std::vector<std::string>& args)
    {
        return test::RunWith(std::make_unique<CDiffCommand>(), args);
    }
};

TEST_F(FieldCommands, ShowPrintsEveryFieldAsThePagesShowIt)
{
    const Outcome shown = Show({"show", Save("a.kcw", {})});
    EXPECT_EQ(shown.code, kExitSuccess);
    for (const char* line :
         {"ProjectData/toolchain = Keil\n", "DeviceData/vid = 0x1F3A\n", "DeviceData/product = KR761x Touch Device\n",
          "ScreenData/width_px = 1024\n", "CommunicationData/smbusAddress = 0x00\n", "PenData/bPen = off\n",
          "GpioData/modes/pin15 = input, open-drain\n"})
        EXPECT_THAT(shown.out, HasSubstr(line));
    EXPECT_TRUE(shown.out.starts_with("ProjectData/toolchain = Keil\nProjectData/projectPath = \n"));
    EXPECT_TRUE(shown.out.ends_with("GpioData/values/pin15 = high\n"));
    EXPECT_EQ(Show({"show", (dir / "none.kcw").string()}).code, kExitFailure);
}

TEST_F(FieldCommands, SetWritesVariantsThatDiffNames)
{
    const std::string base = Save("base.kcw", {});
    const std::string variant = (dir / "variant.kcw").string();
    const Outcome set = Set({"set", base, "DeviceData/pid=0x7C50", "DeviceData/product=Pad 2", "-o", variant,
                             "ProjectData/toolchain=SDCC"});
    ASSERT_EQ(set.code, kExitSuccess) << set.err;
    EXPECT_EQ(Load(variant).device.pid, 0x7C50);
    // Nothing of a later version is set: the file stays one every reader reads.
    EXPECT_THAT(test::ReadBytes(variant), HasSubstr("<SAVE_FILE_VERSION>0100<"));
    EXPECT_EQ(Load(base), ConfigurationSettings{});

    const Outcome diff = Diff({"diff", base, variant});
    EXPECT_EQ(diff.code, kExitFailure);
    EXPECT_EQ(diff.out, "ProjectData/toolchain: Keil -> SDCC\nDeviceData/pid: 0x7C4D -> 0x7C50\n"
                        "DeviceData/product: KR761x Touch Device -> Pad 2\n");
    EXPECT_EQ(Diff({"diff", base, base}).code, kExitSuccess);
    const Outcome unreadable = Diff({"diff", base, (dir / "none.kcw").string()});
    EXPECT_EQ(unreadable.code, kExitUsage);
    EXPECT_THAT(unreadable.err, HasSubstr("Failed to load settings"));

    // Without -o the file itself changes.
    ASSERT_EQ(Set({"set", variant, "PenData/bPen=on"}).code, kExitSuccess);
    EXPECT_EQ(Load(variant).pen.bPen, 1);
}

// A refused assignment writes nothing: its exit status and what it says.
struct FieldRefusal {
    std::string assignment;
    int code;
    const char* says;
};

const FieldRefusal kFieldRefusals[] = {
    {"DeviceData/maxPower=501", kExitFailure,
     "DeviceData/maxPower = 501: The maximum power in mA must be an even number from 0 to 500.\n"},
    {"CommunicationData/smbusAddress=0xFF", kExitFailure, "must be an even number from 0x00 to 0xFE."},
    {"DeviceData/manufacturer=" + std::string(62, 'M'), kExitFailure, "it may have at most 61."},
    {"PenData/xTiltMax=5", kExitFailure, "PenData/xTiltMin = 10: The X tilt minimum is above the X tilt maximum, 5;"},
    {"ScreenData/width_px=wide", kExitFailure, "ScreenData/width_px = wide: Please enter a positive integer.\n"},
    {"PenData/colour=red", kExitUsage, "No field is named PenData/colour"},
    // Bytes that are not UTF-8 are no text a save file holds.
    {"ProjectData/projectPath=/out/caf\xE9/", kExitFailure, "Failed to save settings to:\n"},
    {"DeviceData/product=caf\xE9", kExitFailure, "Failed to save settings to:\n"},
};

TEST_F(FieldCommands, SetRefusesWhatThePagesWouldRefuse)
{
    ConfigurationSettings tilted;
    tilted.pen.bPen = tilted.pen.bXTilt = 1;
    const std::string file = Save("tilted.kcw", tilted);
    const std::string out = (dir / "out.kcw").string();
    for (const FieldRefusal& refusal : kFieldRefusals) {
        const Outcome set = Set({"set", file, refusal.assignment, "-o", out});
        EXPECT_EQ(set.code, refusal.code) << refusal.assignment;
        EXPECT_THAT(set.err, HasSubstr(refusal.says)) << refusal.assignment;
        EXPECT_FALSE(fs::exists(out)) << refusal.assignment;
    }
    EXPECT_EQ(Set({"set", file}).code, kExitUsage);
    EXPECT_EQ(Set({"set", file, "novalue"}).code, kExitUsage);
}

// A problem the file already had does not stop another field's change.
TEST_F(FieldCommands, SetLeavesOldProblemsToTheirOwner)
{
    ConfigurationSettings broken;
    broken.screen.width_mm = 0;
    const std::string file = Save("broken.kcw", broken);
    EXPECT_EQ(Set({"set", file, "ScreenData/width_px=800"}).code, kExitSuccess);
    EXPECT_EQ(Load(file).screen.width_px, 800);
}

}  // namespace
}  // namespace kr::cli
