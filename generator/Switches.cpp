// SPDX-License-Identifier: MIT
#include "generator/Switches.h"

#include <string>

#include "model/Choices.h"

namespace kr {

SwitchSet& BuildSwitchSet(const ConfigurationSettings& settings, SwitchSet& switches)
{
    const DeviceData& device = settings.device;
    const TouchData& touch = settings.touch;
    const PenData& pen = settings.pen;
    auto derived = [&](const char16_t* tag, bool active) { switches[tag] = active ? 1 : 0; };
    auto copied = [&](const char16_t* tag, std::int32_t field) { switches[tag] = field; };

    switches.clear();

    derived(u"KEIL", Is(settings.project.toolchain, Toolchain::Keil));
    derived(u"RAIS", Is(settings.project.toolchain, Toolchain::Raisonance));
    derived(u"SDCC", Is(settings.project.toolchain, Toolchain::Sdcc));

    derived(u"KR7610", Is(device.deviceSel, Chip::KR7610));
    derived(u"KR7611", Is(device.deviceSel, Chip::KR7611));

    // Exactly one for a valid power mode, none for any other.
    const bool wake = device.bEnableRemoteWakeup != 0;
    const bool bus = Is(device.powerMode, PowerMode::BusPowered);
    const bool self = Is(device.powerMode, PowerMode::SelfPowered);
    derived(u"BUS_POWER_NO_REMOTE_WAKE", bus && !wake);
    derived(u"SELF_POWER_NO_REMOTE_WAKE", self && !wake);
    derived(u"BUS_POWER_YES_REMOTE_WAKE", bus && wake);
    derived(u"SELF_POWER_YES_REMOTE_WAKE", self && wake);

    derived(u"SPI", Is(settings.communication.protocol, Protocol::Spi));
    derived(u"SMBUS", Is(settings.communication.protocol, Protocol::Smbus));
    derived(u"UART", Is(settings.communication.protocol, Protocol::Uart));

    copied(u"MOUSE", settings.mouse.bMouse);
    for (int n = 1; n <= 8; ++n) {
        const std::u16string tag = u"MOUSE_BUTTON_" + std::u16string(1, static_cast<char16_t>(u'0' + n));
        switches[tag] = settings.mouse.numButtons >= n ? 1 : 0;
    }

    derived(u"TOUCH", touch.numTouchPoints >= 1);
    copied(u"TOUCH_HEIGHT", touch.bHeight);
    copied(u"TOUCH_PRESSURE", touch.bPressure);
    copied(u"TOUCH_WIDTH", touch.bWidth);
    copied(u"TOUCH_CONFIDENCE", touch.bConfidence);
    derived(u"TOUCH_NO_CONFIDENCE", touch.bConfidence == 0);

    // Reports describe one pen at most.
    derived(u"MULTIPEN", false);
    copied(u"PEN", pen.bPen);
    copied(u"PEN_BARREL", pen.bBarrelButton);
    copied(u"PEN_INVERT", pen.bInverted);
    derived(u"PEN_TILT", pen.bXTilt != 0 || pen.bYTilt != 0);
    copied(u"PEN_TILT_X", pen.bXTilt);
    copied(u"PEN_TILT_Y", pen.bYTilt);
    copied(u"PEN_PRESSURE", pen.bPressure);

    return switches;
}

}  // namespace kr
