// SPDX-License-Identifier: MIT
#pragma once
// The named configurations the tests and the fuzz seeds share: the golden
// files are generated from them, the SDCC and simulator tests build them and
// the fuzz seeds are saved from them. Each is built by field name, so a field
// added to a group leaves them as they are.

#include <string>
#include <vector>

#include "model/ConfigurationSettings.h"

namespace kr::test {

// Every touch option on, at five points.
inline void AllTouchOptions(TouchData& touch)
{
    touch.numTouchPoints = 5;
    touch.bConfidence = touch.bPressure = touch.bWidth = touch.bHeight = 1;
}

// Every pen option on.
inline void AllPenOptions(PenData& pen)
{
    pen.bPen = pen.bPressure = pen.bXTilt = pen.bYTilt = pen.bInverted = pen.bBarrelButton = 1;
}

// The largest descriptors: every input option on, over UART.
inline ConfigurationSettings EverythingOn()
{
    ConfigurationSettings s;
    AllTouchOptions(s.touch);
    AllPenOptions(s.pen);
    s.mouse.numButtons = 8;
    s.communication.protocol = 2;
    return s;
}

struct NamedConfiguration {
    const char* name;  // the golden files' folder
    ConfigurationSettings settings;
};

// The configurations of the golden files, in their order.
inline std::vector<NamedConfiguration> GoldenConfigurations()
{
    // The defaults: Keil, KR7611, bus powered, a one-button mouse.
    NamedConfiguration defaults{"default", {}};

    // Every option, at values of its own; ten touch points, beyond what a
    // page offers, as a hand-edited file may hold.
    NamedConfiguration everything{"sdcc-kr7611-everything", {}};
    ConfigurationSettings& e = everything.settings;
    e.project.toolchain = 2;
    e.device.powerMode = 1;
    e.device.bEnableRemoteWakeup = 1;
    e.device.maxPower = 500;
    e.mouse.numButtons = 8;
    e.touch = {.numTouchPoints = 10,
               .bConfidence = 1,
               .bPressure = 1,
               .pressure = 1023,
               .bWidth = 1,
               .width = 40,
               .bHeight = 1,
               .height = 30};
    e.pen = {.bPen = 1,
             .bPressure = 1,
             .pressure = 511,
             .bXTilt = 1,
             .xTiltMin = 1,
             .xTiltMax = 60,
             .bYTilt = 1,
             .yTiltMin = 2,
             .yTiltMax = 70,
             .bInverted = 1,
             .bBarrelButton = 1};

    NamedConfiguration touchAndPen{"raisonance-kr7610-touch-pen", {}};
    ConfigurationSettings& t = touchAndPen.settings;
    t.project.toolchain = 1;
    t.device.deviceSel = 0;
    t.device.powerMode = 1;
    t.device.vid = 0x0ABC;
    t.device.manufacturer = u"O'Brien \"Labs\" \\ \u00C5\u20AC";
    t.screen = {.width_mm = 300, .width_px = 1920, .height_mm = 200, .height_px = 1080};
    t.mouse.bMouse = 0;
    t.touch.numTouchPoints = 1;
    t.pen.bPen = 1;
    t.pen.bInverted = 1;
    t.pen.bYTilt = 1;

    // Every table of a KR7610 SDCC project shares one address text.
    NamedConfiguration small{"sdcc-kr7610-mouse", {}};
    small.settings.project.toolchain = 2;
    small.settings.device.deviceSel = 0;
    small.settings.device.bEnableRemoteWakeup = 1;
    small.settings.mouse.numButtons = 3;
    return {defaults, everything, touchAndPen, small};
}

}  // namespace kr::test
