// SPDX-License-Identifier: MIT
#include "model/ConfigurationSettings.h"

#include <gtest/gtest.h>

namespace kr {
namespace {

TEST(ConfigurationSettings, ConstructsWithTheDocumentedDefaults)
{
    const ConfigurationSettings s;
    EXPECT_EQ(s.project.toolchain, 0);
    EXPECT_TRUE(s.project.projectPath.empty());

    EXPECT_EQ(s.device.deviceSel, 1);
    EXPECT_EQ(s.device.oscillator, 0);
    EXPECT_EQ(s.device.defaultInputMode, 0);
    EXPECT_EQ(s.device.bEnableRegulator, 1);
    EXPECT_EQ(s.device.vid, 0x1F3A);
    EXPECT_EQ(s.device.pid, 0x7C4D);
    EXPECT_EQ(s.device.maxPower, 100);
    EXPECT_EQ(s.device.powerMode, 0);
    EXPECT_EQ(s.device.bEnableRemoteWakeup, 0);
    EXPECT_EQ(s.device.releaseVersion, 0x0100);
    EXPECT_EQ(s.device.manufacturer, u"Vellmark Instruments");
    EXPECT_EQ(s.device.product, u"KR761x Touch Device");

    EXPECT_EQ(s.communication.protocol, 0);
    EXPECT_EQ(s.communication.spiClk, 100000u);
    EXPECT_EQ(s.communication.spiPha, 0);
    EXPECT_EQ(s.communication.spiPol, 0);
    EXPECT_EQ(s.communication.smbusClk, 100000u);
    EXPECT_EQ(s.communication.smbusAddress, 0x00);
    EXPECT_EQ(s.communication.uartBaudRate, 115200u);
    EXPECT_EQ(s.communication.uartDataBits, 3);
    EXPECT_EQ(s.communication.uartParity, 0);
    EXPECT_EQ(s.communication.uartStopBits, 0);

    EXPECT_EQ(s.screen.width_mm, 102);
    EXPECT_EQ(s.screen.width_px, 1024);
    EXPECT_EQ(s.screen.height_mm, 77);
    EXPECT_EQ(s.screen.height_px, 768);

    EXPECT_EQ(s.touch.numTouchPoints, 0);
    EXPECT_EQ(s.touch.bConfidence, 0);
    EXPECT_EQ(s.touch.bPressure, 0);
    EXPECT_EQ(s.touch.pressure, 100);
    EXPECT_EQ(s.touch.bWidth, 0);
    EXPECT_EQ(s.touch.width, 50);
    EXPECT_EQ(s.touch.bHeight, 0);
    EXPECT_EQ(s.touch.height, 50);

    EXPECT_EQ(s.pen.bPen, 0);
    EXPECT_EQ(s.pen.bPressure, 0);
    EXPECT_EQ(s.pen.pressure, 100);
    EXPECT_EQ(s.pen.bXTilt, 0);
    EXPECT_EQ(s.pen.xTiltMin, 10);
    EXPECT_EQ(s.pen.xTiltMax, 100);
    EXPECT_EQ(s.pen.bYTilt, 0);
    EXPECT_EQ(s.pen.yTiltMin, 10);
    EXPECT_EQ(s.pen.yTiltMax, 100);
    EXPECT_EQ(s.pen.bInverted, 0);
    EXPECT_EQ(s.pen.bBarrelButton, 0);

    EXPECT_EQ(s.mouse.bMouse, 1);
    EXPECT_EQ(s.mouse.numButtons, 1);

    for (int pin = 0; pin < kPinCount; ++pin) {
        EXPECT_EQ(s.gpio.modes[pin], 0) << "pin " << pin;
        EXPECT_EQ(s.gpio.values[pin], 1) << "pin " << pin;
    }
}

// Every group's reset must bring back exactly its construction defaults, also
// after every field of the group has been changed.
TEST(ConfigurationSettings, EachGroupResetRestoresItsConstructionDefaults)
{
    const ConfigurationSettings defaults;
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
