// SPDX-License-Identifier: MIT
#include "generator/Switches.h"

#include <functional>
#include <gtest/gtest.h>

namespace kr {
namespace {

SwitchSet BuildSwitches(const ConfigurationSettings& settings)
{
    SwitchSet switches{{u"STALE", 1}};
    return BuildSwitchSet(settings, switches);
}

// The tags that are active, in map order.
std::vector<std::u16string> Active(const SwitchSet& switches)
{
    std::vector<std::u16string> on;
    for (const auto& [tag, flag] : switches)
        if (flag)
            on.push_back(tag);
    return on;
}

TEST(Switches, DefineExactlyTheTemplateTagsWhateverTheConfiguration)
{
    const std::vector<std::u16string> all = {u"BUS_POWER_NO_REMOTE_WAKE",
                                             u"BUS_POWER_YES_REMOTE_WAKE",
                                             u"KEIL",
                                             u"KR7610",
                                             u"KR7611",
                                             u"MOUSE",
                                             u"MOUSE_BUTTON_1",
                                             u"MOUSE_BUTTON_2",
                                             u"MOUSE_BUTTON_3",
                                             u"MOUSE_BUTTON_4",
                                             u"MOUSE_BUTTON_5",
                                             u"MOUSE_BUTTON_6",
                                             u"MOUSE_BUTTON_7",
                                             u"MOUSE_BUTTON_8",
                                             u"MULTIPEN",
                                             u"PEN",
                                             u"PEN_BARREL",
                                             u"PEN_INVERT",
                                             u"PEN_PRESSURE",
                                             u"PEN_TILT",
                                             u"PEN_TILT_X",
                                             u"PEN_TILT_Y",
                                             u"RAIS",
                                             u"SDCC",
                                             u"SELF_POWER_NO_REMOTE_WAKE",
                                             u"SELF_POWER_YES_REMOTE_WAKE",
                                             u"SMBUS",
                                             u"SPI",
                                             u"TOUCH",
                                             u"TOUCH_CONFIDENCE",
                                             u"TOUCH_CONTACT_COUNT",
                                             u"TOUCH_HEIGHT",
                                             u"TOUCH_NO_CONFIDENCE",
                                             u"TOUCH_PRESSURE",
                                             u"TOUCH_WIDTH",
                                             u"UART"};
    ConfigurationSettings odd;
    odd.project.toolchain = 7;
    odd.device.deviceSel = -1;
    odd.device.powerMode = 2;
    odd.mouse.numButtons = -3;
    for (const ConfigurationSettings& s : {ConfigurationSettings{}, odd}) {
        std::vector<std::u16string> tags;
        for (const auto& [tag, flag] : BuildSwitches(s))
            tags.push_back(tag);
        EXPECT_EQ(tags, all);
    }
}

TEST(Switches, DefaultConfiguration)
{
    EXPECT_EQ(Active(BuildSwitches({})),
              (std::vector<std::u16string>{u"BUS_POWER_NO_REMOTE_WAKE", u"KEIL", u"KR7611", u"MOUSE", u"MOUSE_BUTTON_1",
                                           u"SPI", u"TOUCH_NO_CONFIDENCE"}));
}

TEST(Switches, SelectionsActivateOneTagOrNoneOutsideTheirList)
{
    struct Case {
        std::function<void(ConfigurationSettings&)> set;
        std::vector<std::u16string> group;
        std::u16string active;  // empty: none of the group
    };
    const std::vector<std::u16string> tools = {u"KEIL", u"RAIS", u"SDCC"};
    const std::vector<std::u16string> chips = {u"KR7610", u"KR7611"};
    const std::vector<std::u16string> buses = {u"SPI", u"SMBUS", u"UART"};
    const std::vector<std::u16string> power = {u"BUS_POWER_NO_REMOTE_WAKE", u"SELF_POWER_NO_REMOTE_WAKE",
                                               u"BUS_POWER_YES_REMOTE_WAKE", u"SELF_POWER_YES_REMOTE_WAKE"};
    const Case cases[] = {
        {[](auto& s) { s.project.toolchain = 1; }, tools, u"RAIS"},
        {[](auto& s) { s.project.toolchain = 2; }, tools, u"SDCC"},
        {[](auto& s) { s.project.toolchain = 3; }, tools, u""},
        {[](auto& s) { s.device.deviceSel = 0; }, chips, u"KR7610"},
        {[](auto& s) { s.device.deviceSel = 2; }, chips, u""},
        {[](auto& s) { s.communication.protocol = 1; }, buses, u"SMBUS"},
        {[](auto& s) { s.communication.protocol = 2; }, buses, u"UART"},
        {[](auto& s) { s.communication.protocol = -1; }, buses, u""},
        {[](auto& s) { s.device.powerMode = 1; }, power, u"SELF_POWER_NO_REMOTE_WAKE"},
        {[](auto& s) { s.device.bEnableRemoteWakeup = 1; }, power, u"BUS_POWER_YES_REMOTE_WAKE"},
        {[](auto& s) { s.device.powerMode = 1, s.device.bEnableRemoteWakeup = 1; }, power,
         u"SELF_POWER_YES_REMOTE_WAKE"},
        {[](auto& s) { s.device.powerMode = 1, s.device.bEnableRemoteWakeup = 9; }, power,
         u"SELF_POWER_YES_REMOTE_WAKE"},
        {[](auto& s) { s.device.powerMode = 2, s.device.bEnableRemoteWakeup = 1; }, power, u""},
    };
    for (const Case& c : cases) {
        ConfigurationSettings s;
        c.set(s);
        const SwitchSet switches = BuildSwitches(s);
        for (const auto& tag : c.group)
            EXPECT_EQ(switches.at(tag), tag == c.active ? 1 : 0) << std::string(tag.begin(), tag.end());
    }
}

TEST(Switches, MouseButtonsFollowTheCountWithSignedComparison)
{
    for (int count : {-1, 0, 1, 3, 8, 9}) {
        ConfigurationSettings s;
        s.mouse.bMouse = 0;  // the button tags do not look at the mouse tag
        s.mouse.numButtons = count;
        const SwitchSet switches = BuildSwitches(s);
        for (int n = 1; n <= 8; ++n)
            EXPECT_EQ(switches.at(u"MOUSE_BUTTON_" + std::u16string(1, char16_t(u'0' + n))), count >= n ? 1 : 0)
                << count << " buttons, tag " << n;
    }
}

TEST(Switches, CopiedTagsKeepTheFieldsValueAndDetailTagsIgnoreTheirGroup)
{
    ConfigurationSettings s;
    s.mouse.bMouse = 3;
    s.touch.numTouchPoints = 0;
    s.touch.bWidth = 4;
    s.touch.bConfidence = 2;
    s.pen.bPen = 5;
    s.pen.bXTilt = 0;
    s.pen.bYTilt = 6;
    const SwitchSet switches = BuildSwitches(s);
    EXPECT_EQ(switches.at(u"MOUSE"), 3);
    EXPECT_EQ(switches.at(u"TOUCH"), 0);
    EXPECT_EQ(switches.at(u"TOUCH_WIDTH"), 4);
    EXPECT_EQ(switches.at(u"TOUCH_CONFIDENCE"), 2);
    EXPECT_EQ(switches.at(u"TOUCH_NO_CONFIDENCE"), 0);
    EXPECT_EQ(switches.at(u"PEN"), 5);
    EXPECT_EQ(switches.at(u"PEN_TILT"), 1);
    EXPECT_EQ(switches.at(u"PEN_TILT_X"), 0);
    EXPECT_EQ(switches.at(u"PEN_TILT_Y"), 6);

    s.touch.numTouchPoints = -2;  // a count below one is no touch
    EXPECT_EQ(BuildSwitches(s).at(u"TOUCH"), 0);
    s.touch.numTouchPoints = 1;
    EXPECT_EQ(BuildSwitches(s).at(u"TOUCH"), 1);
}

}  // namespace
}  // namespace kr
