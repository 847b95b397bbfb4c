// SPDX-License-Identifier: MIT
#include "generator/ReportSizes.h"

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

int ReportDescriptorLength(const ConfigurationSettings& settings)
{
    const TouchData& touch = settings.touch;
    const PenData& pen = settings.pen;

    // Vendor-defined feature collection, plus the mouse collection.
    int length = settings.mouse.bMouse ? 55 + 70 : 55;

    if (touch.numTouchPoints > 0) {
        // The width item carries 10 bytes of its own on top of the base 117.
        length += touch.bWidth ? 127 : 117;
        if (touch.bHeight)
            length += 10;
        if (touch.bPressure)
            length += 11;
        // Confidence bit and a 5-bit filler count instead of a 6-bit one.
        if (touch.bConfidence)
            length += 4;
    }

    if (pen.bPen) {
        length += pen.bBarrelButton ? 120 : 118;
        if (pen.bInverted)
            length += 2;
        if (pen.bPressure)
            length += 7;
        if (pen.bXTilt || pen.bYTilt) {
            length += 2;  // the logical minimum reset after the tilt items
            if (pen.bXTilt)
                length += 10;
            if (pen.bYTilt)
                length += 10;
        }
    }
    return length;
}

}  // namespace kr
