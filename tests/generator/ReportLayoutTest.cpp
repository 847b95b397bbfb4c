// SPDX-License-Identifier: MIT
// Reports laid out as a host reads them, beside the firmware's structures:
// three configurations against layouts worked out by hand, the pen and touch
// structures against their descriptors for every option, and the reading of
// a structure from C text.

#include "hid/ReportLayout.h"

#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "generator/ReportDescriptor.h"
#include "platform/Utf.h"

namespace kr {
namespace {

using ::testing::ElementsAreArray;

std::vector<ReportLayout> Layouts(const ConfigurationSettings& settings)
{
    ReportDescriptorView view;
    std::u16string error;
    EXPECT_TRUE(DescribeReportDescriptor(settings, view, error)) << platform::ToUtf8(error);
    return view.layouts;
}

const ReportLayout* Find(const std::vector<ReportLayout>& layouts, HidReportKind kind, int id)
{
    for (const ReportLayout& layout : layouts)
        if (layout.kind == kind && layout.reportId == id)
            return &layout;
    return nullptr;
}

// "bit:bits:name" per host field; "byte:name" per structure member.
std::vector<std::string> HostFields(const ReportLayout& layout)
{
    std::vector<std::string> fields;
    for (const HidReportField& f : layout.fields)
        fields.push_back(std::to_string(f.bitOffset) + ":" + std::to_string(f.bits) + ":" + platform::ToUtf8(f.name));
    return fields;
}

std::vector<std::string> Members(const ReportLayout& layout)
{
    std::vector<std::string> members;
    for (const StructMember& m : layout.members)
        members.push_back(std::to_string(m.offset) + ":" + platform::ToUtf8(m.name));
    return members;
}

struct Expected {
    int id;  // an input report
    int bytes;  // host, SIZE_ macro and structure alike
    std::vector<std::string> host;
    std::vector<std::string> members;
};

struct Case {
    const char* name;
    std::function<void(ConfigurationSettings&)> apply;
    std::vector<Expected> inputs;  // every input report, no others
};

const std::vector<std::string> kTouchBasics = {"0:1:Tip Switch", "1:1:In Range"};

const Case kCases[] = {
    {"Default",
     [](ConfigurationSettings&) {},
     {{0x80, 5, {"0:1:Button 1", "1:7:Padding", "8:16:X", "24:16:Y"}, {"0:Controls", "1:X", "3:Y"}}}},
    {"TouchOnly",
     [](ConfigurationSettings& s) {
         s.device.defaultInputMode = 1;
         s.mouse.bMouse = 0;
         s.touch.numTouchPoints = 2;
     },
     {{0x81,
       6,
       {"0:1:Tip Switch", "1:1:In Range", "2:6:Padding", "8:8:Contact Identifier", "16:16:X", "32:16:Y"},
       {"0:Controls", "1:Contact_Identifier", "2:X", "4:Y"}}}},
    // Hybrid reporting: the frame's scan time and contact count follow the contact.
    {"WindowsReadyTouch",
     [](ConfigurationSettings& s) {
         s.mouse.bMouse = 0;
         s.touch = {.numTouchPoints = 5, .bContactCount = 1};
     },
     {{0x81,
       9,
       {"0:1:Tip Switch", "1:1:In Range", "2:6:Padding", "8:8:Contact Identifier", "16:16:X", "32:16:Y",
        "48:16:Scan Time", "64:8:Contact Count"},
       {"0:Controls", "1:Contact_Identifier", "2:X", "4:Y", "6:Scan_Time", "8:Contact_Count"}}}},
    {"EverythingOn",
     [](ConfigurationSettings& s) {
         s.touch.numTouchPoints = 5;
         s.touch.bConfidence = s.touch.bPressure = s.touch.bWidth = s.touch.bHeight = 1;
         s.pen.bPen = s.pen.bPressure = s.pen.bXTilt = s.pen.bYTilt = s.pen.bInverted = s.pen.bBarrelButton = 1;
         s.mouse.numButtons = 8;
     },
     {{0x80,
       5,
       {"0:1:Button 1", "1:1:Button 2", "2:1:Button 3", "3:1:Button 4", "4:1:Button 5", "5:1:Button 6", "6:1:Button 7",
        "7:1:Button 8", "8:16:X", "24:16:Y"},
       {"0:Controls", "1:X", "3:Y"}},
      {0x81,
       12,
       {"0:1:Tip Switch", "1:1:In Range", "2:1:Confidence", "3:5:Padding", "8:8:Contact Identifier", "16:16:X",
        "32:16:Y", "48:16:Width", "64:16:Height", "80:16:Tip Pressure"},
       {"0:Controls", "1:Contact_Identifier", "2:X", "4:Y", "6:Width", "8:Height", "10:Pressure"}},
      {0x82,
       12,
       {"0:1:Tip Switch", "1:1:In Range", "2:1:Barrel Switch", "3:1:Invert", "4:4:Padding", "8:8:Contact Identifier",
        "16:16:X", "32:16:Y", "48:16:Tip Pressure", "64:16:X Tilt", "80:16:Y Tilt"},
       {"0:Controls", "1:Contact_Identifier", "2:X", "4:Y", "6:Pressure", "8:Tilt_X", "10:Tilt_Y"}}}},
};

class LayoutOf : public ::testing::TestWithParam<Case> {};

TEST_P(LayoutOf, MatchesTheLayoutWorkedOutByHand)
{
    const std::vector<ReportLayout> layouts = Layouts([&] {
        ConfigurationSettings s;
        GetParam().apply(s);
        return s;
    }());
    std::size_t inputs = 0;
    for (const ReportLayout& layout : layouts)
        inputs += layout.kind == HidReportKind::Input;
    EXPECT_EQ(inputs, GetParam().inputs.size());
    for (const Expected& e : GetParam().inputs) {
        const ReportLayout* layout = Find(layouts, HidReportKind::Input, e.id);
        ASSERT_NE(layout, nullptr) << e.id;
        EXPECT_THAT(HostFields(*layout), ElementsAreArray(e.host)) << e.id;
        EXPECT_THAT(Members(*layout), ElementsAreArray(e.members)) << e.id;
        EXPECT_EQ(layout->bits, 8 * e.bytes);
        EXPECT_EQ(layout->declaredBytes, e.bytes);
        EXPECT_EQ(layout->StructBytes(), e.bytes);
        EXPECT_FALSE(layout->SizesDiffer());
    }
}

INSTANTIATE_TEST_SUITE_P(Configurations, LayoutOf, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// What a host calls the field each structure member is filled for.
const std::map<std::u16string, std::u16string> kHostNameOfMember = {
    {u"Contact_Identifier", u"Contact Identifier"},
    {u"X", u"X"},
    {u"Y", u"Y"},
    {u"Width", u"Width"},
    {u"Height", u"Height"},
    {u"Pressure", u"Tip Pressure"},
    {u"Tilt_X", u"X Tilt"},
    {u"Tilt_Y", u"Y Tilt"},
    {u"Scan_Time", u"Scan Time"},
    {u"Contact_Count", u"Contact Count"},
};

TEST(ReportLayout, EveryStructureFieldStandsWhereTheHostReadsItForEveryOption)
{
    for (int options = 0; options < 32; ++options) {
        ConfigurationSettings s;
        s.touch.numTouchPoints = 1;
        s.touch.bConfidence = options & 1;
        s.touch.bWidth = (options >> 1) & 1;
        s.touch.bHeight = (options >> 2) & 1;
        s.touch.bPressure = (options >> 3) & 1;
        s.touch.bContactCount = (options >> 4) & 1;
        s.pen.bPen = 1;
        s.pen.bPressure = options & 1;
        s.pen.bXTilt = (options >> 1) & 1;
        s.pen.bYTilt = (options >> 2) & 1;
        s.pen.bInverted = (options >> 3) & 1;
        s.pen.bBarrelButton = (options >> 4) & 1;
        for (const ReportLayout& layout : Layouts(s)) {
            if (layout.structName.empty())
                continue;
            EXPECT_FALSE(layout.SizesDiffer()) << platform::ToUtf8(layout.structName) << " options " << options;
            for (const StructMember& member : layout.members) {
                if (member.name == u"Controls")
                    continue;
                const auto field =
                    std::find_if(layout.fields.begin(), layout.fields.end(),
                                 [&](const HidReportField& f) { return f.bitOffset == 8 * member.offset; });
                ASSERT_NE(field, layout.fields.end()) << platform::ToUtf8(member.name);
                EXPECT_EQ(field->name, kHostNameOfMember.at(member.name))
                    << platform::ToUtf8(layout.structName) << " options " << options;
                EXPECT_EQ(field->bits, 8 * member.size);
            }
        }
    }
}

TEST(ReportLayout, TextShowsEachReportsFieldsByBitOffset)
{
    const std::string text = platform::ToUtf8(ReportLayoutText(Layouts(ConfigurationSettings{})));
    EXPECT_EQ(text.substr(0, text.find("\n\n") + 2),
              "Input report 0x80 ID_MOUSE_DATA\n"
              "  The host reads 40 bits = 5 bytes; SIZE_MOUSE_DATA = 5 bytes; Mouse_Report has 5 bytes.\n"
              "  Bit    Bits  Host field                  Firmware field\n"
              "  0      1     Button 1                    Controls (U8, 1 byte)\n"
              "  1      7     Padding\n"
              "  8      16    X                           X (UU16, 2 bytes)\n"
              "  24     16    Y                           Y (UU16, 2 bytes)\n\n");
    EXPECT_NE(text.find("Feature report 0x40 ID_GETSET_USB_CONTROL\n"
                        "  The host reads 504 bits = 63 bytes; SIZE_GETSET_USB_CONTROL = 63 bytes.\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Feature report 0x84 ID_GET_TOUCH_MAX_COUNT"), std::string::npos) << "no touch by default";
}

TEST(ReadStructMembers, PlainMembersOfTheNamedTypedefOnly)
{
    const std::u16string source =
        u"typedef struct { U8 a; } Other;\r\n"
        u"typedef struct\r\n{\r\n   U8 Controls; // bits\r\n   /* x */ UU16 X;\r\n   U32 Big;\r\n} Named;\r\n"
        u"typedef struct { U8 a[2]; } Arrayed;\r\n";
    EXPECT_EQ(ReadStructMembers(source, u"Named"),
              (std::vector<StructMember>{{u"U8", u"Controls", 0, 1}, {u"UU16", u"X", 1, 2}, {u"U32", u"Big", 3, 4}}));
    EXPECT_EQ(ReadStructMembers(source, u"Other")->size(), 1u);
    EXPECT_EQ(ReadStructMembers(source, u"Arrayed"), std::nullopt);
    EXPECT_EQ(ReadStructMembers(source, u"Missing"), std::nullopt);
}

}  // namespace
}  // namespace kr
