// SPDX-License-Identifier: MIT
// The descriptor view the wizard and kr761x-gen describe show: taken from the
// templates as Generate expands them, with the host rules a save file can
// break. Every option combination is described in UsbDescriptorTest.

#include "generator/ReportDescriptor.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "GeneratedSource.h"
#include "generator/GenerateProject.h"
#include "generator/SubstitutionValues.h"
#include "generator/Switches.h"
#include "platform/Utf.h"
#include "support/TempDir.h"

namespace kr {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::vector<std::string> Utf8(const std::vector<std::u16string>& texts)
{
    std::vector<std::string> result;
    for (const std::u16string& text : texts)
        result.push_back(platform::ToUtf8(text));
    return result;
}

// The verdict GenerateProject takes, from the tables it builds for settings.
bool PassesHostRules(const ConfigurationSettings& settings)
{
    SwitchSet switches;
    SubstitutionMap keys;
    BuildSwitchSet(settings, switches);
    BuildSubstitutionMap(settings, keys);
    return ReportDescriptorPassesHostRules(switches, keys);
}

// Also shows that the verdict alone agrees with the full description.
ReportDescriptorView Describe(const ConfigurationSettings& settings)
{
    ReportDescriptorView view;
    std::u16string error;
    EXPECT_TRUE(DescribeReportDescriptor(settings, view, error)) << platform::ToUtf8(error);
    EXPECT_THAT(error, IsEmpty());
    EXPECT_EQ(PassesHostRules(settings), view.failures.empty());
    return view;
}

TEST(DescribeReportDescriptor, ListsTheBytesOfTheGeneratedFileWithTheHeaderNames)
{
    ConfigurationSettings s;
    s.project.toolchain = 2;
    s.touch.numTouchPoints = 3;
    s.touch.bPressure = 1;
    s.pen.bPen = s.pen.bXTilt = 1;
    const ReportDescriptorView view = Describe(s);

    test::TempDir dir;
    s.project.projectPath = dir.folder();
    std::u16string error;
    ASSERT_TRUE(GenerateProject(s, error));
    const std::vector<int> written =
        test::ArrayBytes(test::ReadBytes(dir / "KR761x_USB_Descriptor.c"), "HidReportDesc",
                         test::ReadDefines(test::ReadBytes(dir / "KR761x_Configuration.h")));
    EXPECT_EQ(std::vector<int>(view.bytes.begin(), view.bytes.end()), written);
    EXPECT_EQ(view.declaredLength, static_cast<int>(written.size()));
    EXPECT_THAT(view.failures, IsEmpty());

    const std::string text = platform::ToUtf8(view.text);
    EXPECT_EQ(text.rfind("HID report descriptor: " + std::to_string(written.size()) + " bytes\n\n", 0), 0u);
    EXPECT_THAT(text, HasSubstr(platform::ToUtf8(view.decoding.listing)));
    EXPECT_THAT(text, HasSubstr("Report ID (0x82 ID_PEN_DATA)"));
    EXPECT_THAT(text, HasSubstr("  Input   0x81 ID_TOUCH_DATA                    64 bits = 8 bytes\n"));
    EXPECT_THAT(text, HasSubstr("  Input   0x82 ID_PEN_DATA                      64 bits = 8 bytes\n"));
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(DescribeReportDescriptor, TiltRangesAPageAcceptsButHostsRefuse)
{
    ConfigurationSettings s;
    s.pen.bPen = s.pen.bXTilt = s.pen.bYTilt = 1;
    s.pen.xTiltMin = 200;
    s.pen.xTiltMax = 100;
    s.pen.yTiltMin = 7;
    s.pen.yTiltMax = 6;
    const ReportDescriptorView view = Describe(s);
    ASSERT_THAT(Utf8(view.failures),
                ElementsAre(HasSubstr("Input (X Tilt) at offset "), HasSubstr("Input (Y Tilt) at offset ")));
    EXPECT_THAT(platform::ToUtf8(view.failures[0]), HasSubstr(": Logical Minimum 200 is above Logical Maximum 100"));
    EXPECT_THAT(platform::ToUtf8(view.failures[1]), HasSubstr(": Logical Minimum 7 is above Logical Maximum 6"));
    // Still described in full, so the reader can find the items.
    EXPECT_THAT(platform::ToUtf8(view.text), HasSubstr("Logical Minimum (200)"));

    EXPECT_EQ(platform::ToUtf8(HostRuleFailureText(view.failures)),
              "Hosts refuse this report descriptor, so the device would not work as a HID device:\n- "
                  + platform::ToUtf8(view.failures[0]) + ".\n- " + platform::ToUtf8(view.failures[1]) + ".\n");
    EXPECT_THAT(HostRuleFailureText({}), IsEmpty());

    // Equal ends are a valid range.
    s.pen.xTiltMin = s.pen.xTiltMax = s.pen.yTiltMin = s.pen.yTiltMax = 65535;
    EXPECT_THAT(Describe(s).failures, IsEmpty());
}

TEST(DescribeReportDescriptor, SaveFileValuesNoPageOffers)
{
    ConfigurationSettings s;
    s.project.toolchain = 3;
    ReportDescriptorView view;
    view.text = u"stale";
    std::u16string error = u"stale";
    EXPECT_FALSE(DescribeReportDescriptor(s, view, error));
    EXPECT_EQ(platform::ToUtf8(error), "Error generating:\nKR761x_Configuration.h");
    EXPECT_THAT(view.text, IsEmpty());
    EXPECT_FALSE(PassesHostRules(s));

    // A power mode no page offers leaves out the attributes byte, and with it
    // the place where a host finds the report descriptor's length.
    s.project.toolchain = 0;
    s.device.powerMode = 7;
    ASSERT_TRUE(DescribeReportDescriptor(s, view, error)) << platform::ToUtf8(error);
    EXPECT_EQ(view.bytes.size(), 125u);
    EXPECT_EQ(view.declaredLength, -1);
    EXPECT_THAT(Utf8(view.failures),
                ElementsAre(HasSubstr("The configuration descriptor set declares 34 bytes, but has 33")));
    EXPECT_FALSE(PassesHostRules(s));
}

}  // namespace
}  // namespace kr
