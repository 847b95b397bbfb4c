// SPDX-License-Identifier: MIT
#include "model/ConfigurationSettings.h"

#include <gtest/gtest.h>

#include "settings/SaveFile.h"
#include "support/DefaultSaveFile.h"

namespace kr {
namespace {

// A record whose every field differs from the defaults.
ConfigurationSettings EveryFieldChanged()
{
    ConfigurationSettings s;
    s.project = {2, u"/tmp/out/"};
    s.device = {0, 1, 1, 0, 1, 2, 500, 1, 1, 0x0200, u"M", u"P"};
    s.communication = {2, 1, 1, 1, 2, 0xFE, 9600, 0, 4, 1};
    s.screen = {1, 2, 3, 4};
    s.touch = {5, 1, 1, 7, 1, 8, 1, 9};
    s.pen = {1, 1, 2, 1, 3, 4, 1, 5, 6, 1, 1};
    s.mouse = {0, 8};
    s.gpio.modes.fill(2);
    s.gpio.values.fill(0);
    return s;
}

// The documented defaults are those of the default save file, which holds
// every field: read over a record with every field changed, it gives back
// the constructed record.
TEST(ConfigurationSettings, ConstructsWithTheDocumentedDefaults)
{
    ConfigurationSettings loaded = EveryFieldChanged();
    std::u16string error;
    ASSERT_TRUE(LoadSettings(test::DefaultSaveFile().u16string(), loaded, error));
    EXPECT_EQ(loaded, ConfigurationSettings{});
}

// Every group's reset must bring back exactly its construction defaults, also
// after every field of the group has been changed.
TEST(ConfigurationSettings, EachGroupResetRestoresItsConstructionDefaults)
{
    const ConfigurationSettings defaults;
    ConfigurationSettings s = EveryFieldChanged();

    EXPECT_NE(s.project, defaults.project);
    EXPECT_NE(s.device, defaults.device);
    EXPECT_NE(s.communication, defaults.communication);
    EXPECT_NE(s.screen, defaults.screen);
    EXPECT_NE(s.touch, defaults.touch);
    EXPECT_NE(s.pen, defaults.pen);
    EXPECT_NE(s.mouse, defaults.mouse);
    EXPECT_NE(s.gpio, defaults.gpio);

    s.project.Reset();
    s.device.Reset();
    s.communication.Reset();
    s.screen.Reset();
    s.touch.Reset();
    s.pen.Reset();
    s.mouse.Reset();
    s.gpio.Reset();
    EXPECT_EQ(s, defaults);
}

TEST(ConfigurationSettings, ResettingOneGroupLeavesTheOthers)
{
    ConfigurationSettings s;
    s.device.vid = 0x1234;
    s.touch.numTouchPoints = 3;
    s.touch.Reset();
    EXPECT_EQ(s.touch.numTouchPoints, 0);
    EXPECT_EQ(s.device.vid, 0x1234);
}

TEST(ConfigurationSettings, ACopyOwnsItsTexts)
{
    ConfigurationSettings source;
    source.project.projectPath = u"/home/user/project/";
    ConfigurationSettings copy = source;
    copy.device.manufacturer += u" GmbH";
    copy.device.product.clear();
    copy.project.projectPath[1] = u'X';
    copy.gpio.modes[3] = 2;

    EXPECT_EQ(source.device.manufacturer, u"Vellmark Instruments");
    EXPECT_EQ(source.device.product, u"KR761x Touch Device");
    EXPECT_EQ(source.project.projectPath, u"/home/user/project/");
    EXPECT_EQ(source.gpio.modes[3], 0);
}

TEST(ConfigurationSettings, PinCountFollowsTheChipVariant)
{
    EXPECT_EQ(PinCountFor(0), 7);
    EXPECT_EQ(PinCountFor(1), 16);
    EXPECT_EQ(PinCountFor(2), 0);
    EXPECT_EQ(PinCountFor(-1), 0);
}

}  // namespace
}  // namespace kr
