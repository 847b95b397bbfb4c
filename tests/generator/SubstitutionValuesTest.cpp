// SPDX-License-Identifier: MIT
#include "generator/SubstitutionValues.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>

#include "platform/Utf.h"
#include "settings/SaveFile.h"
#include "support/Configurations.h"
#include "support/DefaultSaveFile.h"
#include "support/Golden.h"
#include "support/TempDir.h"

namespace kr {
namespace {

SubstitutionMap BuildKeys(const ConfigurationSettings& settings)
{
    SubstitutionMap keys{{u"STALE", u"x"}};
    return BuildSubstitutionMap(settings, keys);
}

std::string Narrow(const std::u16string& s)
{
    return std::string(s.begin(), s.end());
}

std::vector<std::u16string> KeyNames(const SubstitutionMap& keys)
{
    std::vector<std::u16string> names;
    for (const auto& [key, text] : keys)
        names.push_back(key);
    return names;
}

// Mouse; touch with every option; pen with every option.
ConfigurationSettings EverythingOn()
{
    ConfigurationSettings s;
    test::AllTouchOptions(s.touch);
    test::AllPenOptions(s.pen);
    return s;
}

void ExpectKeys(const SubstitutionMap& keys, const std::vector<std::pair<std::u16string, std::u16string>>& expected)
{
    for (const auto& [key, text] : expected) {
        ASSERT_TRUE(keys.count(key)) << Narrow(key);
        EXPECT_EQ(Narrow(keys.at(key)), Narrow(text)) << Narrow(key);
    }
}

// The keys of the default save file, one "KEY=text" a line (line ends in a
// text written as \r and \n), against the reviewed listing beside it.
// `cmake --build build --target update-golden` rewrites the listing; review
// its diff.
TEST(SubstitutionValues, DefaultConfiguration)
{
    ConfigurationSettings defaults;
    std::u16string error;
    ASSERT_TRUE(LoadSettings(test::DefaultSaveFile().u16string(), defaults, error));
    std::string listing;
    for (const auto& [key, text] : BuildKeys(defaults)) {
        listing += platform::ToUtf8(key) + '=';
        for (const char c : platform::ToUtf8(text))
            listing += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
        listing += '\n';
    }
    const auto golden = test::DefaultSaveFile().replace_extension(".keys");
    EXPECT_EQ(listing, test::Golden(golden, listing));
    EXPECT_FALSE(BuildKeys({}).count(u"STALE"));
}

TEST(SubstitutionValues, EveryKeyIsDefinedWhateverTheFunctionsAndBus)
{
    const auto expected = KeyNames(BuildKeys({}));
    ConfigurationSettings s = EverythingOn();
    s.mouse.bMouse = 0;
    s.communication.protocol = 2;
    s.device.powerMode = 1;
    EXPECT_EQ(KeyNames(BuildKeys(s)), expected);
}

TEST(SubstitutionValues, SelectionOutsideItsListLeavesExactlyItsKeysUndefined)
{
    const std::pair<std::function<void(ConfigurationSettings&)>, std::vector<std::u16string>> cases[] = {
        {[](auto& s) { s.project.toolchain = 3; }, {u"S_COMPILER"}},
        {[](auto& s) { s.device.deviceSel = 2; }, {u"S_TARGET_DEVICE", u"S_SDCC_LINK_FLAGS"}},
        {[](auto& s) { s.device.oscillator = -1; }, {u"S_OSC"}},
        {[](auto& s) { s.device.defaultInputMode = 2; }, {u"S_DEFAULT_MODE"}},
        {[](auto& s) { s.device.powerMode = 2; }, {u"S_REG"}},
        {[](auto& s) { s.communication.spiPha = 2; }, {u"S_SPI_CONFIG"}},
        {[](auto& s) { s.communication.uartDataBits = 4; }, {u"S_UART_BITS"}},
        {[](auto& s) { s.communication.uartParity = 5; }, {u"S_UART_PARITY"}},
        {[](auto& s) { s.communication.uartStopBits = -1; }, {u"S_UART_STOP"}},
    };
    for (const auto& [set, undefined] : cases) {
        ConfigurationSettings s;
        set(s);
        auto expected = KeyNames(BuildKeys({}));
        for (const std::u16string& key : undefined)
            ASSERT_EQ(std::erase(expected, key), 1u) << Narrow(key);
        EXPECT_EQ(KeyNames(BuildKeys(s)), expected) << Narrow(undefined.front());
    }
}

TEST(SubstitutionValues, WordsChosenByTwoFields)
{
    struct Case {
        std::int32_t a, b;
        const char16_t* reg;
        const char16_t* spi;
    };
    // a: powerMode and spiPha; b: bEnableRegulator and spiPol.
    const Case cases[] = {
        {0, 0, u"BUSPOW", u"PH1_POLLO"},          {0, 1, u"BUSPOW", u"PH1_POLHI"},
        {1, 0, u"SELFPOW_VREGOFF", u"PH2_POLLO"}, {1, 1, u"SELFPOW_VREGON", u"PH2_POLHI"},
        {1, 5, u"SELFPOW_VREGON", u"PH2_POLHI"},
    };
    for (const Case& c : cases) {
        ConfigurationSettings s;
        s.device.powerMode = s.communication.spiPha = c.a;
        s.device.bEnableRegulator = s.communication.spiPol = c.b;
        ExpectKeys(BuildKeys(s), {{u"S_REG", c.reg}, {u"S_SPI_CONFIG", c.spi}});
    }
}

TEST(SubstitutionValues, PinMasksCoverOnlyThePinsOfTheChip)
{
    ConfigurationSettings s;
    s.gpio.modes[0] = 1;
    s.gpio.modes[8] = 2;
    s.gpio.modes[6] = 2;
    s.gpio.values[3] = 0;
    ExpectKeys(
        BuildKeys(s),
        {{u"X2_MODE70", u"0x40"}, {u"X2_MODE158", u"0x01"}, {u"X2_LATCH70", u"0xF7"}, {u"X2_LATCH158", u"0xFF"}});
    s.device.deviceSel = 0;
    ExpectKeys(
        BuildKeys(s),
        {{u"X2_MODE70", u"0x40"}, {u"X2_MODE158", u"0x00"}, {u"X2_LATCH70", u"0x77"}, {u"X2_LATCH158", u"0x00"}});
    s.device.deviceSel = 5;
    ExpectKeys(BuildKeys(s), {{u"X2_MODE70", u"0x00"}, {u"X2_LATCH70", u"0x00"}, {u"X2_LATCH158", u"0x00"}});
}

TEST(SubstitutionValues, HidCountsAndLimits)
{
    ConfigurationSettings s = EverythingOn();
    s.pen.xTiltMin = 65535;
    s.mouse.numButtons = 8;
    ExpectKeys(BuildKeys(s), {
                                 {u"D_TILT_X_MIN", u"65535"},
                                 {u"X2_TILT_X_MIN_LSB", u"0xFF"},
                                 {u"X2_TILT_X_MIN_MSB", u"0xFF"},
                                 {u"HID_TILT_X_MIN", u"0x17, 0xFF, 0xFF, 0x00, 0x00"},
                                 {u"HID_TILT_X_MAX", u"0x26, 0x64, 0x00"},
                                 {u"HID_X_LOG_MAX", u"0x26, X_RES_LSB, X_RES_MSB"},
                                 {u"D_PEN_CONTROL_COUNT", u"4"},
                                 {u"X2_PEN_CONTROL_PAD", u"0x04"},
                                 {u"D_NUM_TOUCH", u"5"},
                                 {u"X2_SIZE_SINGLE_TOUCH_DATA", u"0x0C"},
                                 {u"X2_SIZE_PEN_DATA", u"0x0C"},
                                 {u"D_MOUSE_PAD_BUTTONS", u"0"},
                                 {u"X2_MOUSE_PAD_BUTTONS", u"0x00"},
                                 {u"X2_HID_REPORT_DESC_LEN_LSB", u"0xAE"},  // 428 + 2 for the 4-byte tilt minimum
                                 {u"X2_HID_REPORT_DESC_LEN_MSB", u"0x01"},
                             });
    s.mouse.numButtons = 0;
    ExpectKeys(BuildKeys(s), {{u"D_MOUSE_PAD_BUTTONS", u"8"}, {u"X2_MOUSE_PAD_BUTTONS", u"0x08"}});
    s.mouse.numButtons = 10;  // only from a save file; the decimal goes negative as written
    ExpectKeys(BuildKeys(s), {{u"D_MOUSE_PAD_BUTTONS", u"-2"}, {u"X2_MOUSE_PAD_BUTTONS", u"0xFE"}});
}

TEST(SubstitutionValues, TouchPhysicalMaximaAreComputedWideAndNeverDivideByZero)
{
    ConfigurationSettings s;
    s.touch.width = s.touch.height = 65535;
    s.screen.width_px = s.screen.height_px = 65535;
    s.screen.width_mm = 1;
    s.screen.height_mm = 0;
    // 65535 * 65535 = 4294836225 = 0xFFFE0001: bytes keep bits 0-15.
    ExpectKeys(BuildKeys(s), {{u"D_TOUCH_WIDTH_PHYS_MAX", u"4294836225"},
                              {u"X2_TOUCH_WIDTH_PHYS_MAX_LSB", u"0x01"},
                              {u"X2_TOUCH_WIDTH_PHYS_MAX_MSB", u"0x00"},
                              {u"D_TOUCH_HEIGHT_PHYS_MAX", u"0"},
                              {u"X2_TOUCH_HEIGHT_PHYS_MAX_LSB", u"0x00"}});
    // Halves round up: 1 * 3 px over 2 mm is 1.5.
    EXPECT_EQ(TouchPhysicalMaximum(1, 3, 2), 2);
    EXPECT_EQ(TouchPhysicalMaximum(1, 5, 4), 1);
}

}  // namespace
}  // namespace kr
