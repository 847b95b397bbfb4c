// SPDX-License-Identifier: MIT
#pragma once
// Every field of the record in the order the save file holds them, each with
// its element name and the value kind it is written and read as. Saving,
// loading and the rules of a valid record (which name a field by its element
// path) all walk this one list, so they cannot drift apart.
//
// The visitor receives BeginGroup(name) before the fields of each group,
// BeginList(name) before the pins of a GPIO array (inside the current group),
// and one call per field: Int, DecimalWord, DecimalDWord, HexByte, HexWord or
// String, with the element name and the field.

#include <string>

#include "model/ConfigurationSettings.h"

namespace kr {

inline std::u16string PinElementName(int pin)
{
    std::u16string name = u"pin";
    if (pin >= 10)
        name.push_back(static_cast<char16_t>(u'0' + pin / 10));
    name.push_back(static_cast<char16_t>(u'0' + pin % 10));
    return name;
}

// Record is ConfigurationSettings or const ConfigurationSettings.
template <class Record, class Visitor>
void ForEachSavedField(Record& s, Visitor& v)
{
    v.BeginGroup(u"ProjectData");
    v.Int(u"toolchain", s.project.toolchain);
    v.String(u"projectPath", s.project.projectPath);

    v.BeginGroup(u"DeviceData");
    v.Int(u"deviceSel", s.device.deviceSel);
    v.Int(u"oscillator", s.device.oscillator);
    v.Int(u"defaultInputMode", s.device.defaultInputMode);
    v.Int(u"bEnableRegulator", s.device.bEnableRegulator);
    v.HexWord(u"vid", s.device.vid);
    v.HexWord(u"pid", s.device.pid);
    v.DecimalWord(u"maxPower", s.device.maxPower);
    v.Int(u"powerMode", s.device.powerMode);
    v.Int(u"bEnableRemoteWakeup", s.device.bEnableRemoteWakeup);
    v.HexWord(u"releaseVersion", s.device.releaseVersion);
    v.String(u"manufacturer", s.device.manufacturer);
    v.String(u"product", s.device.product);

    v.BeginGroup(u"CommunicationData");
    v.Int(u"protocol", s.communication.protocol);
    v.DecimalDWord(u"spiClk", s.communication.spiClk);
    v.Int(u"spiPha", s.communication.spiPha);
    v.Int(u"spiPol", s.communication.spiPol);
    v.DecimalDWord(u"smbusClk", s.communication.smbusClk);
    v.HexByte(u"smbusAddress", s.communication.smbusAddress);
    v.DecimalDWord(u"uartBaudRate", s.communication.uartBaudRate);
    v.Int(u"uartDataBits", s.communication.uartDataBits);
    v.Int(u"uartParity", s.communication.uartParity);
    v.Int(u"uartStopBits", s.communication.uartStopBits);

    v.BeginGroup(u"ScreenData");
    v.DecimalWord(u"width_mm", s.screen.width_mm);
    v.DecimalWord(u"width_px", s.screen.width_px);
    v.DecimalWord(u"height_mm", s.screen.height_mm);
    v.DecimalWord(u"height_px", s.screen.height_px);

    v.BeginGroup(u"TouchData");
    v.Int(u"numTouchPoints", s.touch.numTouchPoints);
    v.Int(u"bConfidence", s.touch.bConfidence);
    v.Int(u"bPressure", s.touch.bPressure);
    v.DecimalWord(u"pressure", s.touch.pressure);
    v.Int(u"bWidth", s.touch.bWidth);
    v.DecimalWord(u"width", s.touch.width);
    v.Int(u"bHeight", s.touch.bHeight);
    v.DecimalWord(u"height", s.touch.height);

    v.BeginGroup(u"PenData");
    v.Int(u"bPen", s.pen.bPen);
    v.Int(u"bPressure", s.pen.bPressure);
    v.DecimalWord(u"pressure", s.pen.pressure);
    v.Int(u"bXTilt", s.pen.bXTilt);
    v.DecimalWord(u"xTiltMin", s.pen.xTiltMin);
    v.DecimalWord(u"xTiltMax", s.pen.xTiltMax);
    v.Int(u"bYTilt", s.pen.bYTilt);
    v.DecimalWord(u"yTiltMin", s.pen.yTiltMin);
    v.DecimalWord(u"yTiltMax", s.pen.yTiltMax);
    v.Int(u"bInverted", s.pen.bInverted);
    v.Int(u"bBarrelButton", s.pen.bBarrelButton);

    v.BeginGroup(u"MouseData");
    v.Int(u"bMouse", s.mouse.bMouse);
    v.Int(u"numButtons", s.mouse.numButtons);

    v.BeginGroup(u"GpioData");
    v.BeginList(u"modes");
    for (int pin = 0; pin < kPinCount; ++pin)
        v.Int(PinElementName(pin), s.gpio.modes[pin]);
    v.BeginList(u"values");
    for (int pin = 0; pin < kPinCount; ++pin)
        v.Int(PinElementName(pin), s.gpio.values[pin]);
}

}  // namespace kr
