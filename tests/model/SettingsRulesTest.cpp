// SPDX-License-Identifier: MIT
// The rules of a valid record: each field at the edges of what its page lets
// through, the tilt relation hosts need, and a record with several problems.

#include "model/SettingsRules.h"

#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/Utf.h"

namespace kr {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Setter = std::function<void(ConfigurationSettings&, std::int64_t)>;

// One field: values just inside its rule and just outside. A refused value
// must give exactly one problem, at path, showing the value as saved.
struct Edge {
    const char* path;
    Setter set;
    std::vector<std::int64_t> ok;
    std::vector<std::int64_t> bad;
};

template <class Field> Setter To(Field& (*field)(ConfigurationSettings&))
{
    return [field](ConfigurationSettings& s, std::int64_t v) { field(s) = static_cast<Field>(v); };
}

#define FIELD(member) To(+[](ConfigurationSettings & s) -> auto& { return s.member; })

const std::vector<Edge> kEdges = {
    {"ProjectData/toolchain", FIELD(project.toolchain), {0, 2}, {-1, 3}},
    {"DeviceData/deviceSel", FIELD(device.deviceSel), {0, 1}, {-1, 2}},
    {"DeviceData/oscillator", FIELD(device.oscillator), {0, 1}, {-1, 2}},
    {"DeviceData/defaultInputMode", FIELD(device.defaultInputMode), {0, 1}, {2}},
    {"DeviceData/bEnableRegulator", FIELD(device.bEnableRegulator), {0, 1}, {2, -1}},
    {"DeviceData/maxPower", FIELD(device.maxPower), {0, 2, 500}, {1, 499, 501, 502, 65535}},
    {"DeviceData/powerMode", FIELD(device.powerMode), {0, 1}, {-1, 2, 5}},
    {"DeviceData/bEnableRemoteWakeup", FIELD(device.bEnableRemoteWakeup), {0, 1}, {7}},
    {"CommunicationData/protocol", FIELD(communication.protocol), {0, 2}, {-1, 3}},
    {"CommunicationData/spiClk", FIELD(communication.spiClk), {100000, 4000000}, {99999, 4000001, 0}},
    {"CommunicationData/spiPha", FIELD(communication.spiPha), {0, 1}, {2}},
    {"CommunicationData/spiPol", FIELD(communication.spiPol), {0, 1}, {-1}},
    {"CommunicationData/smbusClk", FIELD(communication.smbusClk), {10000, 400000}, {9999, 400001}},
    {"CommunicationData/smbusAddress", FIELD(communication.smbusAddress), {0x00, 0x10, 0xFE}, {0x0F, 0xFF}},
    {"CommunicationData/uartBaudRate", FIELD(communication.uartBaudRate), {9600, 500000}, {9599, 500001}},
    {"CommunicationData/uartDataBits", FIELD(communication.uartDataBits), {0, 3}, {-1, 4, 7}},
    {"CommunicationData/uartParity", FIELD(communication.uartParity), {0, 4}, {5}},
    {"CommunicationData/uartStopBits", FIELD(communication.uartStopBits), {0, 1}, {2}},
    {"ScreenData/width_mm", FIELD(screen.width_mm), {1, 65535}, {0}},
    {"ScreenData/width_px", FIELD(screen.width_px), {1, 65535}, {0}},
    {"ScreenData/height_mm", FIELD(screen.height_mm), {1}, {0}},
    {"ScreenData/height_px", FIELD(screen.height_px), {1}, {0}},
    {"TouchData/numTouchPoints", FIELD(touch.numTouchPoints), {0, 5}, {-1, 6, 9}},
    {"TouchData/bConfidence", FIELD(touch.bConfidence), {0, 1}, {2}},
    {"TouchData/bPressure", FIELD(touch.bPressure), {1}, {2}},
    {"TouchData/pressure", FIELD(touch.pressure), {1, 65535}, {0}},
    {"TouchData/bWidth", FIELD(touch.bWidth), {1}, {3}},
    {"TouchData/width", FIELD(touch.width), {1}, {0}},
    {"TouchData/bHeight", FIELD(touch.bHeight), {1}, {-1}},
    {"TouchData/height", FIELD(touch.height), {65535}, {0}},
    {"PenData/bPen", FIELD(pen.bPen), {0, 1}, {2}},
    {"PenData/bPressure", FIELD(pen.bPressure), {1}, {2}},
    {"PenData/pressure", FIELD(pen.pressure), {1, 65535}, {0}},
    {"PenData/bXTilt", FIELD(pen.bXTilt), {1}, {2}},
    // The pen is off: a minimum above the maximum of 100 breaks no rule.
    {"PenData/xTiltMin", FIELD(pen.xTiltMin), {1, 100, 65535}, {0}},
    {"PenData/xTiltMax", FIELD(pen.xTiltMax), {10, 65535}, {0}},
    {"PenData/bYTilt", FIELD(pen.bYTilt), {1}, {2}},
    {"PenData/yTiltMin", FIELD(pen.yTiltMin), {1, 101}, {0}},
    {"PenData/yTiltMax", FIELD(pen.yTiltMax), {10, 65535}, {0}},
    {"PenData/bInverted", FIELD(pen.bInverted), {1}, {2}},
    {"PenData/bBarrelButton", FIELD(pen.bBarrelButton), {1}, {2}},
    {"MouseData/bMouse", FIELD(mouse.bMouse), {0, 1}, {2}},
    {"MouseData/numButtons", FIELD(mouse.numButtons), {0, 8}, {-1, 9}},
    {"GpioData/modes/pin0", FIELD(gpio.modes[0]), {0, 2}, {-1, 3}},
    {"GpioData/modes/pin15", FIELD(gpio.modes[15]), {0, 2}, {3}},
    {"GpioData/values/pin9", FIELD(gpio.values[9]), {0, 1}, {2}},
};

#undef FIELD

// Every field of the table is written in decimal, but the SMBus address in hex.
std::string ValueAsSaved(const std::string& path, std::int64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, path == "CommunicationData/smbusAddress" ? "%02llX" : "%lld",
                  static_cast<long long>(value));
    return text;
}

TEST(CheckSettings, TheDefaultsBreakNoRule)
{
    EXPECT_THAT(CheckSettings(ConfigurationSettings{}), IsEmpty());
}

TEST(CheckSettings, EachFieldAtTheEdgesOfItsRule)
{
    for (const Edge& edge : kEdges) {
        for (std::int64_t value : edge.ok) {
            ConfigurationSettings s;
            edge.set(s, value);
            EXPECT_THAT(CheckSettings(s), IsEmpty()) << edge.path << " = " << value;
        }
        for (std::int64_t value : edge.bad) {
            ConfigurationSettings s;
            edge.set(s, value);
            const std::vector<SettingsProblem> problems = CheckSettings(s);
            ASSERT_EQ(problems.size(), 1u) << edge.path << " = " << value;
            EXPECT_EQ(platform::ToUtf8(problems[0].path), edge.path);
            EXPECT_EQ(platform::ToUtf8(problems[0].value), ValueAsSaved(edge.path, value)) << edge.path;
            EXPECT_EQ(problems[0].sentence.back(), u'.') << edge.path;
        }
    }
}

TEST(CheckSettings, UsbTextsUpToSixtyOneCharacters)
{
    ConfigurationSettings s;
    s.device.manufacturer = std::u16string(61, u'M');
    s.device.product = u"";
    EXPECT_THAT(CheckSettings(s), IsEmpty());
    s.device.product = std::u16string(62, u'\u00E9');
    EXPECT_THAT(CheckSettings(s),
                ElementsAre(SettingsProblem{u"DeviceData/product", u'"' + s.device.product + u'"',
                                            u"The product has 62 characters; it may have at most 61."}));
}

TEST(CheckSettings, PinsBeyondTheChipAreNotChecked)
{
    ConfigurationSettings s;
    s.device.deviceSel = 0;
    s.gpio.modes[7] = 9;
    s.gpio.values[15] = -4;
    EXPECT_THAT(CheckSettings(s), IsEmpty());
    s.gpio.modes[6] = 9;
    EXPECT_THAT(CheckSettings(s), ElementsAre(testing::Field(&SettingsProblem::path, u"GpioData/modes/pin6")));
}

TEST(CheckSettings, ListsEveryProblemInSaveFileOrderWithPlainSentences)
{
    ConfigurationSettings s;
    s.device.powerMode = 5;
    s.touch.numTouchPoints = 9;
    s.device.maxPower = 600;
    s.pen.xTiltMin = 0;
    s.communication.uartDataBits = 7;
    s.communication.smbusAddress = 0x0F;
    s.pen.bPen = s.pen.bYTilt = 1;
    s.pen.yTiltMin = 300;
    s.pen.yTiltMax = 299;

    EXPECT_THAT(CheckSettings(s),
                ElementsAre(SettingsProblem{u"DeviceData/maxPower", u"600",
                                            u"The maximum power in mA must be an even number from 0 to 500."},
                            SettingsProblem{u"DeviceData/powerMode", u"5",
                                            u"The power mode must be 0 (bus powered) or 1 (self powered)."},
                            SettingsProblem{u"CommunicationData/smbusAddress", u"0F",
                                            u"The SMBus slave address must be an even number from 0x00 to 0xFE."},
                            SettingsProblem{u"CommunicationData/uartDataBits", u"7",
                                            u"The UART data bits must be 0 (5), 1 (6), 2 (7) or 3 (8)."},
                            SettingsProblem{u"TouchData/numTouchPoints", u"9",
                                            u"The number of touch points must be from 0 to 5."},
                            SettingsProblem{u"PenData/xTiltMin", u"0", u"The X tilt minimum must be from 1 to 65535."},
                            SettingsProblem{u"PenData/yTiltMin", u"300",
                                            u"The Y tilt minimum is above the Y tilt maximum, 299; "
                                            u"hosts refuse a report descriptor with such a range."}));
    EXPECT_EQ(ProblemLine(CheckSettings(s)[1]),
              u"DeviceData/powerMode = 5: The power mode must be 0 (bus powered) or 1 (self powered).");
    EXPECT_EQ(ProblemLine({u"", u"", u"Alone."}), u"Alone.");
}

TEST(CheckSettings, ATiltRelationCountsOnlyForATiltThePenReports)
{
    struct Row {
        std::int32_t pen, xTilt, yTilt;
        std::vector<std::u16string> refused;
    };
    const Row rows[] = {
        {1, 1, 1, {u"PenData/xTiltMin", u"PenData/yTiltMin"}},
        {1, 1, 0, {u"PenData/xTiltMin"}},
        {1, 0, 1, {u"PenData/yTiltMin"}},
        {0, 1, 1, {}},
    };
    for (const Row& row : rows) {
        ConfigurationSettings s;
        s.pen.bPen = row.pen;
        s.pen.bXTilt = row.xTilt;
        s.pen.bYTilt = row.yTilt;
        s.pen.xTiltMin = s.pen.yTiltMin = 101;
        std::vector<std::u16string> refused;
        for (const SettingsProblem& problem : CheckSettings(s))
            refused.push_back(problem.path);
        EXPECT_EQ(refused, row.refused) << row.pen << row.xTilt << row.yTilt;
    }
}

TEST(CheckMinimumNotAbove, RefusesOnlyAMinimumAboveTheMaximum)
{
    EXPECT_EQ(CheckMinimumNotAbove(100, 100), std::nullopt);
    EXPECT_EQ(CheckMinimumNotAbove(1, 65535), std::nullopt);
    EXPECT_EQ(CheckMinimumNotAbove(101, 100), u"Please enter a minimum no greater than the maximum (100).");
}

}  // namespace
}  // namespace kr
