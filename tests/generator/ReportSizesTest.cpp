// SPDX-License-Identifier: MIT
#include "generator/ReportSizes.h"

#include <gtest/gtest.h>

#include "DescriptorRows.h"
#include "support/Configurations.h"

namespace kr {
namespace {

TEST(ReportDescriptorLength, WorkedExamples)
{
    ConfigurationSettings s;
    EXPECT_EQ(ReportDescriptorLength(s), 125);

    s.mouse.bMouse = 0;
    s.touch.numTouchPoints = 1;
    EXPECT_EQ(ReportDescriptorLength(s), 172);

    s.mouse.bMouse = 1;
    s.touch = {};
    test::AllTouchOptions(s.touch);
    test::AllPenOptions(s.pen);
    EXPECT_EQ(ReportDescriptorLength(s), 428);

    // One tilt adds 12 to the pen part, whichever it is; both add 22.
    s.pen.bXTilt = 0;
    EXPECT_EQ(ReportDescriptorLength(s), 428 - 10);
    s.pen.bYTilt = 0;
    EXPECT_EQ(ReportDescriptorLength(s), 428 - 22);
    s.pen.bXTilt = 1;
    EXPECT_EQ(ReportDescriptorLength(s), 428 - 10);
}

TEST(ReportDescriptorLength, MatchesTheRowsOfEveryCombinationOfOptions)
{
    for (int bits = 0; bits < (1 << 12); ++bits) {
        auto bit = [bits](int i) { return (bits >> i) & 1; };
        ConfigurationSettings s;
        s.mouse.bMouse = bit(0);
        s.touch.numTouchPoints = bit(1) ? 3 : 0;
        s.touch.bWidth = bit(2);
        s.touch.bHeight = bit(3);
        s.touch.bPressure = bit(4);
        s.touch.bConfidence = bit(5);
        s.pen.bPen = bit(6);
        s.pen.bBarrelButton = bit(7);
        s.pen.bInverted = bit(8);
        s.pen.bPressure = bit(9);
        s.pen.bXTilt = bit(10);
        s.pen.bYTilt = bit(11);
        ASSERT_EQ(ReportDescriptorLength(s), static_cast<int>(test::ExpectedReportDescriptor(s).size()))
            << "options " << bits;
    }
}

TEST(ReportSizes, EachOptionCountsOnItsOwnFlag)
{
    TouchData touch;
    touch.numTouchPoints = 0;  // the size ignores whether touch is on
    touch.bWidth = 1;
    EXPECT_EQ(TouchReportSize(touch), 8);
    touch.bHeight = touch.bPressure = 1;
    EXPECT_EQ(TouchReportSize(touch), 12);

    PenData pen;
    EXPECT_EQ(PenReportSize(pen), 6);
    EXPECT_EQ(PenControlCount(pen), 2);
    pen.bYTilt = pen.bPressure = 1;
    pen.bInverted = 1;
    EXPECT_EQ(PenReportSize(pen), 10);
    EXPECT_EQ(PenControlCount(pen), 3);
}

}  // namespace
}  // namespace kr
