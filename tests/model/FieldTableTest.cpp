// SPDX-License-Identifier: MIT
// The field table: every row reaches a field of its own, and values written
// as the wizard shows them read back into the field they name.

#include "model/FieldTable.h"

#include <set>

#include <gtest/gtest.h>

#include "platform/Utf.h"

namespace kr {
namespace {

TEST(FieldTable, EachRowReachesItsOwnField)
{
    ConfigurationSettings s;
    std::set<const void*> fields;
    std::set<std::u16string> paths;
    for (const FieldRow& row : FieldTable()) {
        fields.insert(std::visit([](auto* field) -> const void* { return field; }, FieldIn(row, s)));
        paths.insert(row.path);
        EXPECT_EQ(FindField(row.path), &row);
        // What show prints, set reads back unchanged.
        ConfigurationSettings copy = s;
        std::u16string error;
        EXPECT_TRUE(ReadShownValue(row, ShownValue(row, s), copy, error)) << platform::ToUtf8(row.path);
        EXPECT_EQ(copy, s) << platform::ToUtf8(row.path);
    }
    EXPECT_EQ(fields.size(), FieldTable().size());
    EXPECT_EQ(paths.size(), FieldTable().size());
    EXPECT_EQ(FindField(u"PenData/nothing"), nullptr);
}

// A text typed for a field: what it then shows, or "!" and the reason it is
// not a value of the field's kind.
struct Typed {
    const char16_t* path;
    const char16_t* text;
    const char16_t* shows;
};

const Typed kTyped[] = {
    {u"DeviceData/vid", u"0x12ab", u"0x12AB"},
    {u"DeviceData/vid", u"BEEF", u"0xBEEF"},
    {u"DeviceData/vid", u"0x1FFFF", u"!Value overflow"},
    {u"DeviceData/pid", u"0xG1", u"!Please enter a hexadecimal value."},
    {u"CommunicationData/smbusAddress", u"0xfe", u"0xFE"},
    {u"ProjectData/toolchain", u"sdcc", u"SDCC"},
    {u"ProjectData/toolchain", u"1", u"Raisonance"},
    {u"ProjectData/toolchain", u"3", u"!Please enter one of: Keil, Raisonance, SDCC."},
    // Labels that are numbers are read as labels, never as positions.
    {u"CommunicationData/uartDataBits", u"7", u"7"},
    {u"CommunicationData/uartDataBits", u"2", u"!Please enter one of: 5, 6, 7, 8."},
    {u"TouchData/numTouchPoints", u"5", u"5"},
    {u"CommunicationData/uartParity", u"2", u"E"},
    {u"PenData/bPen", u"ON", u"on"},
    {u"PenData/bPen", u"0", u"off"},
    {u"GpioData/modes/pin7", u"output, push-pull", u"output, push-pull"},
    {u"ScreenData/width_px", u"0", u"0"},  // the rules refuse it, not the reading
    {u"ScreenData/width_px", u"-5", u"!Please enter a positive integer."},
    {u"ScreenData/width_px", u"", u"!Please enter a positive integer."},
    {u"ScreenData/width_px", u"65536", u"!Value overflow"},
    {u"DeviceData/product", u"Pad = 2", u"Pad = 2"},
};

TEST(FieldTable, ReadsValuesAsTheyAreShown)
{
    for (const Typed& typed : kTyped) {
        const FieldRow& row = Field(typed.path);
        ConfigurationSettings s;
        std::u16string error;
        const bool read = ReadShownValue(row, typed.text, s, error);
        EXPECT_EQ(read ? ShownValue(row, s) : u"!" + error, typed.shows)
            << platform::ToUtf8(typed.path) << " = " << platform::ToUtf8(typed.text);
    }
}

}  // namespace
}  // namespace kr
