// SPDX-License-Identifier: MIT
#pragma once
// The one record that describes a firmware project: eight groups, each with
// its construction defaults and a reset to them. The record checks nothing;
// the page that edits a field enforces its range when it commits.
//
// List and radio fields hold the position of the chosen item (-1: none).
// Flags are 32-bit integers holding 0 or 1 (a loaded file may hold others).

#include <array>
#include <cstdint>
#include <string>

namespace kr {

struct ProjectData {
    std::int32_t toolchain = 0;  // 0 Keil, 1 Raisonance, 2 SDCC
    std::u16string projectPath;  // output folder, ends with a separator

    void Reset() { *this = ProjectData{}; }
    bool operator==(const ProjectData&) const = default;
};

struct DeviceData {
    std::int32_t deviceSel = 1;  // 0 KR7610 (7 pins), 1 KR7611 (16 pins)
    std::int32_t oscillator = 0;  // 0 24 MHz, 1 48 MHz
    std::int32_t defaultInputMode = 0;  // 0 Mouse, 1 Single-Point Touch
    std::int32_t bEnableRegulator = 1;
    std::uint16_t vid = 0x1F3A;
    std::uint16_t pid = 0x7C4D;
    std::uint16_t maxPower = 100;  // mA, even 0-500
    std::int32_t powerMode = 0;  // 0 bus powered, 1 self powered
    std::int32_t bEnableRemoteWakeup = 0;
    std::uint16_t releaseVersion = 0x0100;
    std::u16string manufacturer = u"Vellmark Instruments";
    std::u16string product = u"KR761x Touch Device";

    void Reset() { *this = DeviceData{}; }
    bool operator==(const DeviceData&) const = default;
};

struct CommunicationData {
    std::int32_t protocol = 0;  // 0 SPI, 1 SMBus, 2 UART
    std::uint32_t spiClk = 100000;  // Hz
    std::int32_t spiPha = 0;  // 0 first edge, 1 second edge
    std::int32_t spiPol = 0;  // 0 idle low, 1 idle high
    std::uint32_t smbusClk = 100000;  // Hz
    std::uint8_t smbusAddress = 0x00;
    std::uint32_t uartBaudRate = 115200;
    std::int32_t uartDataBits = 3;  // data bits = index + 5
    std::int32_t uartParity = 0;  // N, O, E, M, S
    std::int32_t uartStopBits = 0;  // 1, 1.5/2

    void Reset() { *this = CommunicationData{}; }
    bool operator==(const CommunicationData&) const = default;
};

struct ScreenData {
    std::uint16_t width_mm = 102;
    std::uint16_t width_px = 1024;
    std::uint16_t height_mm = 77;
    std::uint16_t height_px = 768;

    void Reset() { *this = ScreenData{}; }
    bool operator==(const ScreenData&) const = default;
};

struct TouchData {
    std::int32_t numTouchPoints = 0;  // index = count, 0 means no touch
    std::int32_t bConfidence = 0;
    std::int32_t bPressure = 0;
    std::uint16_t pressure = 100;
    std::int32_t bWidth = 0;
    std::uint16_t width = 50;
    std::int32_t bHeight = 0;
    std::uint16_t height = 50;

    void Reset() { *this = TouchData{}; }
    bool operator==(const TouchData&) const = default;
};

struct PenData {
    std::int32_t bPen = 0;
    std::int32_t bPressure = 0;
    std::uint16_t pressure = 100;
    std::int32_t bXTilt = 0;
    std::uint16_t xTiltMin = 10;
    std::uint16_t xTiltMax = 100;
    std::int32_t bYTilt = 0;
    std::uint16_t yTiltMin = 10;
    std::uint16_t yTiltMax = 100;
    std::int32_t bInverted = 0;
    std::int32_t bBarrelButton = 0;

    void Reset() { *this = PenData{}; }
    bool operator==(const PenData&) const = default;
};

struct MouseData {
    std::int32_t bMouse = 1;
    std::int32_t numButtons = 1;  // index = count, 0-8

    void Reset() { *this = MouseData{}; }
    bool operator==(const MouseData&) const = default;
};

inline constexpr int kPinCount = 16;

struct GpioData {
    // Indexed by pin number; all 16 are kept whatever the chip variant.
    std::array<std::int32_t, kPinCount> modes{};  // 0 input (open-drain), 1 output (open-drain), 2 output (push-pull)
    std::array<std::int32_t, kPinCount> values = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};  // start-up level

    void Reset() { *this = GpioData{}; }
    bool operator==(const GpioData&) const = default;
};

struct ConfigurationSettings {
    ProjectData project;
    DeviceData device;
    CommunicationData communication;
    ScreenData screen;
    TouchData touch;
    PenData pen;
    MouseData mouse;
    GpioData gpio;

    bool operator==(const ConfigurationSettings&) const = default;
};

// Pins shown and used for a chip variant: 7 for KR7610, 16 for KR7611, 0 for
// any other value.
constexpr int PinCountFor(std::int32_t deviceSel)
{
    return deviceSel == 0 ? 7 : deviceSel == 1 ? kPinCount : 0;
}

}  // namespace kr
