// SPDX-License-Identifier: MIT
// The report descriptor decoder on descriptors written for the purpose: the
// listing a reader sees, the report sizes, and each rule a host refuses a
// descriptor for. The generated descriptors themselves are decoded for every
// combination of options in UsbDescriptorTest.

#include "hid/HidDecoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "hid/HidNames.h"
#include "platform/Utf.h"

namespace kr {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

HidDecoding Decode(std::vector<std::uint8_t> bytes, const std::map<int, std::u16string>& names = {})
{
    return DecodeHidReportDescriptor(bytes, names);
}

// Every descriptor whose failures are checked here, refused or accepted, also
// shows that the verdict found without the listing agrees.
std::vector<std::string> Failures(std::vector<std::uint8_t> bytes)
{
    const HidDecoding decoded = Decode(bytes);
    EXPECT_EQ(HidDescriptorPassesHostRules(bytes), decoded.failures.empty());
    std::vector<std::string> failures;
    for (const std::u16string& failure : decoded.failures)
        failures.push_back(platform::ToUtf8(failure));
    return failures;
}

// "offset:bits:name" for each field of the decoding's first report.
std::vector<std::string> FieldsOfFirstReport(const HidDecoding& decoded)
{
    std::vector<std::string> fields;
    for (const HidReportField& f : decoded.reports.at(0).fields)
        fields.push_back(std::to_string(f.bitOffset) + ":" + std::to_string(f.bits) + ":" + platform::ToUtf8(f.name)
                         + (f.padding ? "*" : ""));
    return fields;
}

TEST(HidDecoder, LaysOutFieldsAsAHostNamesThem)
{
    const HidDecoding decoded = Decode({
        0x05, 0x09, 0x19, 0x02, 0x29, 0x04, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02,  // Button 2 to 4
        0x95, 0x05, 0x81, 0x03,  // 5 filler bits
        0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x75, 0x08, 0x95, 0x03, 0x81, 0x06,  // X, Y and Y again
        0x95, 0x00, 0x81, 0x02,  // no field
        0x95, 0x02, 0x81, 0x00,  // an array
        0x09, 0x30, 0x75, 0x01, 0x96, 0x00, 0x01, 0x81, 0x02,  // 256 fields
    });
    EXPECT_THAT(FieldsOfFirstReport(decoded),
                ElementsAre("0:1:Button 2", "1:1:Button 3", "2:1:Button 4", "3:5:Padding*", "8:8:X",
                            "16:16:Y (2 x 8 bits)", "32:16:Array of 2 x 8 bits", "48:256:256 x X ..."));
    EXPECT_EQ(decoded.reports[0].bits, 304);
}

TEST(HidDecoder, ListsItemsWithNamesIndentedByCollection)
{
    const HidDecoding decoded =
        Decode({0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x07,  // Generic Desktop, Mouse, report 7
                0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x75,
                0x01, 0x95, 0x03, 0x81, 0x02, 0x95, 0x05, 0x81, 0x03,  // filler
                0xA4, 0x05, 0x0D, 0x0B, 0x30, 0x00, 0x01, 0x00,  // Push, a usage with its own page
                0xA1, 0x00, 0x65, 0x11, 0x55, 0x0F, 0x16, 0x00, 0x80, 0x26, 0xFF,
                0x7F, 0x75, 0x10, 0x95, 0x01, 0xB1, 0xA6, 0xC0, 0xB4, 0xC0},
               {{7, u"ID_POINTER"}});

    EXPECT_EQ(platform::ToUtf8(decoded.listing), "Offset Bytes            Item\n"
                                                 "0      05 01            Usage Page (Generic Desktop)\n"
                                                 "2      09 02            Usage (Mouse)\n"
                                                 "4      A1 01            Collection (Application)\n"
                                                 "6      85 07              Report ID (0x07 ID_POINTER)\n"
                                                 "8      05 09              Usage Page (Button)\n"
                                                 "10     19 01              Usage Minimum (Button 1)\n"
                                                 "12     29 03              Usage Maximum (Button 3)\n"
                                                 "14     15 00              Logical Minimum (0)\n"
                                                 "16     25 01              Logical Maximum (1)\n"
                                                 "18     75 01              Report Size (1)\n"
                                                 "20     95 03              Report Count (3)\n"
                                                 "22     81 02              Input (Data,Var,Abs)\n"
                                                 "24     95 05              Report Count (5)\n"
                                                 "26     81 03              Input (Cnst,Var,Abs)\n"
                                                 "28     A4                 Push\n"
                                                 "29     05 0D              Usage Page (Digitizers)\n"
                                                 "31     0B 30 00 01 00     Usage (Generic Desktop: X)\n"
                                                 "36     A1 00              Collection (Physical)\n"
                                                 "38     65 11                Unit (SI Linear: cm)\n"
                                                 "40     55 0F                Unit Exponent (-1)\n"
                                                 "42     16 00 80             Logical Minimum (-32768)\n"
                                                 "45     26 FF 7F             Logical Maximum (32767)\n"
                                                 "48     75 10                Report Size (16)\n"
                                                 "50     95 01                Report Count (1)\n"
                                                 "52     B1 A6                Feature (Data,Var,Rel,NoPref,Vol)\n"
                                                 "54     C0                 End Collection\n"
                                                 "55     B4                 Pop\n"
                                                 "56     C0               End Collection\n");
    EXPECT_THAT(decoded.failures, IsEmpty());
}

TEST(HidDecoder, SizesEachReportByIdAndKindThroughPushAndPop)
{
    const HidDecoding decoded =
        Decode({0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02,  // input 1: 16 bits
                0xA4, 0x75, 0x10, 0x95, 0x03, 0x85, 0x02, 0x81, 0x02, 0xB4,  // input 2: 48 bits, then back to 1
                0x81, 0x02,  // input 1: 16 more
                0x91, 0x02,  // output 1, apart from input 1
                0x75, 0x01, 0x95, 0x0C, 0xB1, 0x02, 0xC0},  // feature 1: 12 bits
               {{1, u"ID_ONE"}});

    EXPECT_EQ(decoded.ReportBits(HidReportKind::Input, 1), 32);
    EXPECT_EQ(decoded.ReportBits(HidReportKind::Input, 2), 48);
    EXPECT_EQ(decoded.ReportBits(HidReportKind::Output, 1), 16);
    EXPECT_EQ(decoded.ReportBits(HidReportKind::Feature, 1), 12);
    EXPECT_EQ(decoded.ReportBits(HidReportKind::Feature, 2), -1);
    EXPECT_EQ(platform::ToUtf8(decoded.reportSizes),
              "  Input   0x01 ID_ONE                           32 bits = 4 bytes\n"
              "  Input   0x02                                  48 bits = 6 bytes\n"
              "  Output  0x01 ID_ONE                           16 bits = 2 bytes\n"
              "  Feature 0x01 ID_ONE                           12 bits, not a whole number of bytes\n");

    // Sizes far beyond the limits are refused without overflowing the sum.
    const HidDecoding huge =
        Decode({0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02, 0x81, 0x02});
    EXPECT_EQ(huge.failures.size(), 2u);
    EXPECT_EQ(huge.ReportBits(HidReportKind::Input, 0), std::numeric_limits<std::int64_t>::max());
    EXPECT_THAT(huge.reports.at(0).fields, IsEmpty());  // and laid out without overflowing either

    // Without report ids every report is number 0.
    const HidDecoding plain = Decode({0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x81, 0x02});
    EXPECT_EQ(plain.ReportBits(HidReportKind::Input, 0), 16);
    EXPECT_THAT(plain.failures, IsEmpty());
}

TEST(HidDecoder, LogicalRangesAreReadAndComparedAsTheHostDoes)
{
    struct Case {
        const char* what;
        std::vector<std::uint8_t> range;
        bool refused;
    };
    const Case cases[] = {
        {"0 to 1", {0x15, 0x00, 0x25, 0x01}, false},
        {"a minimum left above the next maximum", {0x15, 0x05, 0x25, 0x01}, true},
        {"maximum written before the minimum", {0x26, 0x64, 0x00, 0x16, 0xC8, 0x00}, true},
        {"0xFFFF as a 2-byte minimum is -1", {0x26, 0x01, 0x00, 0x16, 0xFF, 0xFF}, false},
        {"0x80 is 128 while the minimum is not negative", {0x15, 0x00, 0x25, 0x80}, false},
        {"0x80 is -128 while the minimum is negative", {0x15, 0xFF, 0x25, 0x80}, true},
        {"32-bit maxima compare unsigned", {0x15, 0x01, 0x27, 0x00, 0x00, 0x00, 0x80}, false},
        {"a maximum read under a negative minimum keeps its sign", {0x15, 0xFF, 0x26, 0x40, 0x9C, 0x15, 0x0A}, false},
        {"a later minimum applies to an earlier maximum", {0x25, 0x64, 0x15, 0x65}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> bytes = {0x75, 0x08, 0x95, 0x01};
        bytes.insert(bytes.end(), c.range.begin(), c.range.end());
        bytes.insert(bytes.end(), {0x09, 0x3D, 0x81, 0x02});
        EXPECT_EQ(Failures(bytes).size(), c.refused ? 1u : 0u);
    }

    // The failure names the item and the values as the host holds them;
    // padding fields without a usage are checked too.
    EXPECT_THAT(Failures({0x05, 0x0D, 0x75, 0x10, 0x95, 0x01, 0x09, 0x3D, 0x26, 0x64, 0x00, 0x16, 0xC8, 0x00, 0x81,
                          0x02, 0xB1, 0x03}),
                ElementsAre("Input (X Tilt) at offset 14: Logical Minimum 200 is above Logical Maximum 100",
                            "Feature at offset 16: Logical Minimum 200 is above Logical Maximum 100"));
}

TEST(HidDecoder, StructureAndValueRulesHostsEnforce)
{
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* failure;
    };
    const Case cases[] = {
        {{0xC0}, "End Collection at offset 0 closes no open collection"},
        {{0xA1, 0x01, 0xA1, 0x00, 0xC0}, "1 collection(s) still open at the end of the descriptor"},
        {{0xB4}, "Pop at offset 0 has no Push to restore"},
        {{0xA4, 0xA4, 0xB4}, "1 Push item(s) without a Pop at the end of the descriptor"},
        {{0xA4, 0xA4, 0xA4, 0xA4, 0xA4, 0xB4, 0xB4, 0xB4, 0xB4, 0xB4},
         "Push at offset 4 goes deeper than the 4 levels"},
        {{0x75, 0x08, 0x26, 0xFF}, "The item at offset 2 needs 3 bytes, but only 2 remain in the descriptor"},
        {{0xFE, 0x01, 0x10, 0x00}, "Long item at offset 0: hosts accept short items only"},
        {{0xA1, 0x00, 0xC1, 0x00}, "End Collection at offset 2 carries 1 data byte(s); it takes none"},
        {{0xA5, 0x00, 0xB4}, "Push at offset 0 carries 1 data byte(s)"},
        {{0x76, 0x01, 0x01}, "Report Size at offset 0 is 257 bits; hosts accept at most 256"},
        {{0x96, 0x01, 0x30}, "Report Count at offset 0 is 12289; hosts accept at most 12288"},
        {{0x85, 0x00}, "Report ID at offset 0 is 0; report ids run from 1 to 255"},
        {{0x86, 0x00, 0x01}, "Report ID at offset 0 is 256"},
        {{0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02},
         "Input at offset 4 comes before any Report ID, though the descriptor uses report ids"},
        {{0xC5, 0x00}, "Global item 0xC at offset 0 is not a global item hosts know"},
        {{0x0D, 0x00}, "Reserved item 0x0 at offset 0: the item type is reserved"},
        {{0xA9, 0x01, 0xA9, 0x01, 0xA9, 0x00}, "Delimiter at offset 2 opens a set inside another"},
        {{0xA9, 0x00}, "Delimiter at offset 0 closes no open set"},
        {{0xA9, 0x01}, "A delimiter set still open at the end of the descriptor"},
    };
    for (const Case& c : cases)
        EXPECT_THAT(Failures(c.bytes), ElementsAre(HasSubstr(c.failure))) << c.failure;

    // The same items in their proper places break nothing.
    EXPECT_THAT(Failures({0x85, 0x01, 0xA1, 0x01, 0xA4, 0xA9, 0x01, 0x09, 0x30, 0xA9, 0x00, 0x75, 0x00, 0x95,
                          0x00, 0x81, 0x03, 0xB4, 0xC0, 0x76, 0x00, 0x01, 0x96, 0x00, 0x30, 0x85, 0xFF}),
                IsEmpty());

    // A long item is refused but read whole, its own tag kept.
    const HidDecoding longItem = Decode({0xFE, 0x02, 0x10, 0xAA, 0xBB, 0xC0});
    ASSERT_EQ(longItem.items.size(), 2u);
    EXPECT_EQ(longItem.items[0].tag, 0x10);
    EXPECT_THAT(longItem.items[0].data, ElementsAre(0xAA, 0xBB));
    EXPECT_EQ(longItem.items[1].offset, 5u);
}

TEST(HidNames, UnitsFlagsAndUsagesOutsideTheGeneratedDescriptors)
{
    EXPECT_EQ(platform::ToUtf8(UnitName(0x00)), "None");
    EXPECT_EQ(platform::ToUtf8(UnitName(0x33)), "English Linear: in^3");
    EXPECT_EQ(platform::ToUtf8(UnitName(0xE121)), "SI Linear: cm^2 g s^-2");
    EXPECT_EQ(platform::ToUtf8(UnitName(0x14)), "English Rotation: deg");
    EXPECT_EQ(platform::ToUtf8(UnitName(0x0F)), "0x0F");

    EXPECT_EQ(platform::ToUtf8(MainItemFlags(0xB, 0x1FF)), "Cnst,Var,Rel,Wrap,NonLin,NoPref,Null,Vol,Buf");
    EXPECT_EQ(platform::ToUtf8(MainItemFlags(0x8, 0x80)), "Data,Ary,Abs");  // no volatile bit on inputs

    EXPECT_EQ(platform::ToUtf8(UsagePageName(0xFF42)), "Vendor Defined 0xFF42");
    EXPECT_EQ(platform::ToUtf8(UsagePageName(0x07)), "0x0007");
    EXPECT_EQ(platform::ToUtf8(UsageName(0x09, 0)), "No Button Pressed");
    EXPECT_EQ(platform::ToUtf8(UsageName(0x0D, 0x99)), "0x99");
    EXPECT_EQ(platform::ToUtf8(CollectionTypeName(0x80)), "Vendor Defined 0x80");
    EXPECT_EQ(platform::ToUtf8(CollectionTypeName(0x07)), "Reserved 0x07");
}

}  // namespace
}  // namespace kr
