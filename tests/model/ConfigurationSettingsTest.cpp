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
    s.project = {.toolchain = 2, .projectPath = u"/tmp/out/"};
    s.device = {.deviceSel = 0,
                .oscillator = 1,
                .defaultInputMode = 1,
                .bEnableRegulator = 0,
                .vid = 1,
                .pid = 2,
                .maxPower = 500,
                .powerMode = 1,
                .bEnableRemoteWakeup = 1,
                .releaseVersion = 0x0200,
                .manufacturer = u"M",
                .product = u"P"};
    s.communication = {.protocol = 2,
                       .spiClk = 1,
                       .spiPha = 1,
                       .spiPol = 1,
                       .smbusClk = 2,
                       .smbusAddress = 0xFE,
                       .uartBaudRate = 9600,
                       .uartDataBits = 0,
                       .uartParity = 4,
                       .uartStopBits = 1};
    s.screen = {.width_mm = 1, .width_px = 2, .height_mm = 3, .height_px = 4};
    s.touch = {.numTouchPoints = 5,
               .bConfidence = 1,
               .bPressure = 1,
               .pressure = 7,
               .bWidth = 1,
               .width = 8,
               .bHeight = 1,
               .height = 9};
    s.pen = {.bPen = 1,
             .bPressure = 1,
             .pressure = 2,
             .bXTilt = 1,
             .xTiltMin = 3,
             .xTiltMax = 4,
             .bYTilt = 1,
             .yTiltMin = 5,
             .yTiltMax = 6,
             .bInverted = 1,
             .bBarrelButton = 1};
    s.mouse = {.bMouse = 0, .numButtons = 8};
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
