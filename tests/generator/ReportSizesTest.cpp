#include "generator/ReportSizes.h"

#include <gtest/gtest.h>

#include "generator/Switches.h"

namespace kr {
namespace {

// The report descriptor's items grouped as the USB descriptor template writes
// them: byte count and the tags that must all be active for them to appear.
struct Items {
    int bytes;
    std::vector<const char16_t*> tags;
};
const Items kDescriptor[] = {
    {7 + 7 + 5 * 8 + 1, {}},                         // vendor feature collection
    {12 + 12 + 4, {u"TOUCH"}},                       // finger: tip switch, in range
    {6, {u"TOUCH", u"TOUCH_CONFIDENCE"}},
    {2, {u"TOUCH", u"TOUCH_NO_CONFIDENCE"}},
    {2 + 8 + 8 + 12 + 10, {u"TOUCH"}},               // filler, identifier, X, Y
    {10, {u"TOUCH", u"TOUCH_WIDTH"}},
    {10, {u"TOUCH", u"TOUCH_HEIGHT"}},
    {11, {u"TOUCH", u"TOUCH_PRESSURE"}},
    {1 + 14 + 1 + 26, {u"TOUCH"}},                   // maximum count, configuration
    {12 + 4, {u"PEN"}},
    {2, {u"PEN", u"PEN_BARREL"}},
    {2, {u"PEN", u"PEN_INVERT"}},
    {14 + 11 + 17 + 4, {u"PEN"}},                    // controls, X, Y
    {7, {u"PEN", u"PEN_PRESSURE"}},
    {2, {u"PEN", u"PEN_TILT"}},
    {10, {u"PEN", u"PEN_TILT_X"}},
    {10, {u"PEN", u"PEN_TILT_Y"}},
    {1 + 15 + 26, {u"PEN"}},                         // maximum count, configuration
    {12 + 16 + 6 + 22 + 12 + 2, {u"MOUSE"}},
};

int CountItems(const ConfigurationSettings& settings)
{
    SwitchSet switches;
    BuildSwitchSet(settings, switches);
    int total = 0;
    for (const Items& items : kDescriptor) {
        bool on = true;
        for (const char16_t* tag : items.tags)
            on = on && switches.at(tag) != 0;
        total += on ? items.bytes : 0;
    }
    return total;
}

TEST(ReportDescriptorLength, WorkedExamples)
{
    ConfigurationSettings s;
    EXPECT_EQ(ReportDescriptorLength(s), 125);

    s.mouse.bMouse = 0;
    s.touch.numTouchPoints = 1;
    EXPECT_EQ(ReportDescriptorLength(s), 167);

    s.mouse.bMouse = 1;
    s.touch = {5, 1, 1, 100, 1, 50, 1, 50};
    s.pen = {1, 1, 100, 1, 10, 100, 1, 10, 100, 1, 1};
    EXPECT_EQ(ReportDescriptorLength(s), 409);

    // One tilt adds 12 to the pen part, whichever it is; both add 22.
    s.pen.bXTilt = 0;
    EXPECT_EQ(ReportDescriptorLength(s), 409 - 10);
    s.pen.bYTilt = 0;
    EXPECT_EQ(ReportDescriptorLength(s), 409 - 22);
    s.pen.bXTilt = 1;
    EXPECT_EQ(ReportDescriptorLength(s), 409 - 10);
}

TEST(ReportDescriptorLength, MatchesTheItemsWrittenForEveryCombinationOfOptions)
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
        ASSERT_EQ(ReportDescriptorLength(s), CountItems(s)) << "options " << bits;
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
