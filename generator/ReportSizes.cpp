// SPDX-License-Identifier: MIT
#include "generator/ReportSizes.h"

#include "generator/ValueFormatters.h"

namespace kr {

std::int64_t TouchPhysicalMaximum(std::uint16_t extent, std::uint16_t pixels, std::uint16_t millimetres)
{
    if (millimetres == 0)
        return 0;
    const std::int64_t mm = millimetres;
    return (std::int64_t{extent} * pixels + mm / 2) / mm;
}

std::int64_t TouchWidthPhysicalMaximum(const ConfigurationSettings& settings)
{
    return TouchPhysicalMaximum(settings.touch.width, settings.screen.width_px, settings.screen.width_mm);
}

std::int64_t TouchHeightPhysicalMaximum(const ConfigurationSettings& settings)
{
    return TouchPhysicalMaximum(settings.touch.height, settings.screen.height_px, settings.screen.height_mm);
}

int TouchReportSize(const TouchData& touch)
{
    // Controls, contact identifier, 16-bit X and Y, then 16 bits per option.
    int size = 6;
    if (touch.bWidth)
        size += 2;
    if (touch.bHeight)
        size += 2;
    if (touch.bPressure)
        size += 2;
    // A 16-bit scan time and an 8-bit contact count.
    if (touch.bContactCount)
        size += 3;
    return size;
}

int PenReportSize(const PenData& pen)
{
    int size = 6;
    if (pen.bXTilt)
        size += 2;
    if (pen.bYTilt)
        size += 2;
    if (pen.bPressure)
        size += 2;
    return size;
}

int PenControlCount(const PenData& pen)
{
    int count = 2;
    if (pen.bBarrelButton)
        ++count;
    if (pen.bInverted)
        ++count;
    return count;
}

namespace {

// The length with every range item in the form its value takes, or with
// every one in the 2-byte form.
int Length(const ConfigurationSettings& settings, bool fourByteItems)
{
    const ScreenData& screen = settings.screen;
    const TouchData& touch = settings.touch;
    const PenData& pen = settings.pen;
    // The bytes a range item takes beyond its 2-byte form: a value above
    // 32767 takes the 4-byte form.
    auto wider = [&](std::int64_t value) { return fourByteItems ? RangeItemBytes(value) - 3 : 0; };
    const int screenItems = wider(screen.width_px) + wider(screen.height_px);

    // Vendor-defined feature collection, plus the mouse collection.
    int length = 55;
    if (settings.mouse.bMouse)
        length += 70 + screenItems + wider(screen.width_mm) + wider(screen.height_mm);

    if (touch.numTouchPoints > 0) {
        length += 117 + screenItems + wider(screen.width_mm) + wider(screen.height_mm);
        // The width item carries 10 bytes of its own.
        if (touch.bWidth)
            length += 10 + wider(touch.width) + wider(TouchWidthPhysicalMaximum(settings));
        if (touch.bHeight)
            length += 10 + wider(touch.height) + wider(TouchHeightPhysicalMaximum(settings));
        if (touch.bPressure)
            length += 11 + wider(touch.pressure);
        // Confidence bit and a 5-bit filler count instead of a 6-bit one.
        if (touch.bConfidence)
            length += 4;
        // Scan time and contact count after the finger collection.
        if (touch.bContactCount)
            length += 35;
    }

    if (pen.bPen) {
        // X and Y declare the pixels as logical and physical maxima.
        length += (pen.bBarrelButton ? 120 : 118) + 2 * screenItems;
        if (pen.bInverted)
            length += 2;
        if (pen.bPressure)
            length += 7 + wider(pen.pressure);
        if (pen.bXTilt || pen.bYTilt) {
            length += 2;  // the logical minimum reset after the tilt items
            if (pen.bXTilt)
                length += 10 + wider(pen.xTiltMin) + wider(pen.xTiltMax);
            if (pen.bYTilt)
                length += 10 + wider(pen.yTiltMin) + wider(pen.yTiltMax);
        }
    }
    return length;
}

}  // namespace

int ReportDescriptorLength(const ConfigurationSettings& settings)
{
    return Length(settings, true);
}

int FourByteItemBytes(const ConfigurationSettings& settings)
{
    return Length(settings, true) - Length(settings, false);
}

}  // namespace kr
