// SPDX-License-Identifier: MIT
#include "generator/SubstitutionValues.h"

#include <initializer_list>
#include <string>

#include "model/FieldTable.h"
#include "platform/NumberText.h"
#include "platform/PathText.h"

namespace kr {

using platform::FormatDecimal;
namespace {

// The 2-byte forms' prefix bytes of the range items the descriptor writes.
constexpr std::uint8_t kLogicalMinimum = 0x16;
constexpr std::uint8_t kLogicalMaximum = 0x26;
constexpr std::uint8_t kPhysicalMaximum = 0x46;

// Writes the key only when index picks an entry of words.
void Choose(SubstitutionMap& keys, const char16_t* key, std::int32_t index,
            std::initializer_list<const char16_t*> words)
{
    if (index >= 0 && static_cast<std::size_t>(index) < words.size())
        keys[key] = words.begin()[index];
}

// The same with a choice field's own labels, as the wizard lists them.
void ChooseLabel(SubstitutionMap& keys, const char16_t* key, std::int32_t index, std::u16string_view path)
{
    const std::vector<std::u16string>& labels = ChoiceLabels(path);
    if (index >= 0 && static_cast<std::size_t>(index) < labels.size())
        keys[key] = labels[index];
}

// KEY_LSB and KEY_MSB: bits 0-7 and 8-15 of value.
void ByteKeys(SubstitutionMap& keys, const std::u16string& key, std::int64_t value)
{
    keys[key + u"_LSB"] = FormatHexByte(value);
    keys[key + u"_MSB"] = FormatHexByte(value >> 8);
}

void ProjectAndDeviceKeys(const ConfigurationSettings& settings, SubstitutionMap& keys)
{
    const DeviceData& device = settings.device;

    ChooseLabel(keys, u"S_COMPILER", settings.project.toolchain, u"ProjectData/toolchain");
    // The folder as a person reads it: bytes of its name that are not text
    // show as U+FFFD, which the code page writes as '?'. It fills a line of
    // the workspace, so no control character of it may end that line and
    // start another (generation refuses such a path anyway).
    keys[u"S_PATH_GENERATE"] =
        CommentSafeText(platform::ShownPath(platform::PathFromText(settings.project.projectPath)));
    ChooseLabel(keys, u"S_TARGET_DEVICE", device.deviceSel, u"DeviceData/deviceSel");
    // The SDCC flags, shared by the workspace and the Makefile so that both
    // build the same image: those of the compiler and the linker alike, and
    // the link layout. For the KR7611 the vectors sit at the application
    // start 0x2600 and all other code from 0x2960, clear of the descriptors
    // at 0x2683-0x295F; data, indirect data and the stack start at 0x4A and
    // bits at 0x40, above what the system firmware keeps in internal RAM.
    keys[u"S_SDCC_COMMON_FLAGS"] = u"--debug";
    Choose(keys, u"S_SDCC_LINK_FLAGS", device.deviceSel,
           {u"--code-loc 0x2400 --xram-loc 0x200 --data-loc 0x4A -Wl -bBSEG=0x40",
            u"--code-loc 0x2600 --xram-loc 0x200 --data-loc 0x4A --idata-loc 0x4A -Wl-bBSEG=0x40 -Wl-bGSINIT0=0x2960"});
    Choose(keys, u"S_OSC", device.oscillator, {u"OSC_24", u"OSC_48"});
    Choose(keys, u"S_DEFAULT_MODE", device.defaultInputMode, {u"ENUM_MOUSE_MODE", u"ENUM_SINGLE_POINT_MODE"});
    // A bus-powered device always runs its regulator.
    if (Is(device.powerMode, PowerMode::BusPowered))
        keys[u"S_REG"] = u"BUSPOW";
    else if (Is(device.powerMode, PowerMode::SelfPowered))
        keys[u"S_REG"] = device.bEnableRegulator == 0 ? u"SELFPOW_VREGOFF" : u"SELFPOW_VREGON";
}

void UsbIdentityKeys(const DeviceData& device, SubstitutionMap& keys)
{
    ByteKeys(keys, u"X2_VID", device.vid);
    ByteKeys(keys, u"X2_PID", device.pid);
    ByteKeys(keys, u"X2_REL_VER", device.releaseVersion);
    // The configuration descriptor counts bus current in units of 2 mA.
    keys[u"X2_MAX_POWER"] = FormatHexByte(device.maxPower >> 1);
    // These two are quoted in a comment line of the generated source.
    keys[u"S_MANUFACTURER"] = CommentSafeText(device.manufacturer);
    keys[u"S_PRODUCT"] = CommentSafeText(device.product);
    keys[u"UNI_MANUFACTURER"] = FormatStringDescriptorBody(device.manufacturer);
    keys[u"UNI_PRODUCT"] = FormatStringDescriptorBody(device.product);
}

void BusKeys(const CommunicationData& bus, SubstitutionMap& keys)
{
    keys[u"D_SPI_CLOCK"] = FormatDecimal(bus.spiClk);
    const bool idleLow = Is(bus.spiPol, SpiPolarity::IdleLow);
    if (Is(bus.spiPha, SpiPhase::FirstEdge))
        keys[u"S_SPI_CONFIG"] = idleLow ? u"PH1_POLLO" : u"PH1_POLHI";
    else if (Is(bus.spiPha, SpiPhase::SecondEdge))
        keys[u"S_SPI_CONFIG"] = idleLow ? u"PH2_POLLO" : u"PH2_POLHI";
    keys[u"D_SMBUS_CLOCK"] = FormatDecimal(bus.smbusClk);
    keys[u"X2_SMBUS_ADDR"] = FormatHexByte(bus.smbusAddress);
    keys[u"D_UART_BAUD"] = FormatDecimal(bus.uartBaudRate);
    Choose(keys, u"S_UART_BITS", bus.uartDataBits,
           {u"FIVE_DATA_BITS", u"SIX_DATA_BITS", u"SEVEN_DATA_BITS", u"EIGHT_DATA_BITS"});
    Choose(keys, u"S_UART_PARITY", bus.uartParity,
           {u"NO_PARITY", u"ODD_PARITY", u"EVEN_PARITY", u"MARK_PARITY", u"SPACE_PARITY"});
    Choose(keys, u"S_UART_STOP", bus.uartStopBits, {u"ONE_STOP_BIT", u"TWO_STOP_BITS"});
}

void GpioKeys(const ConfigurationSettings& settings, SubstitutionMap& keys)
{
    const std::int32_t chip = settings.device.deviceSel;
    const std::uint16_t pushPull = PinMask(chip, settings.gpio.modes, Stored(PinMode::OutputPushPull));
    const std::uint16_t high = PinMask(chip, settings.gpio.values, Stored(PinLevel::High));
    keys[u"X2_MODE70"] = FormatHexByte(pushPull);
    keys[u"X2_MODE158"] = FormatHexByte(pushPull >> 8);
    keys[u"X2_LATCH70"] = FormatHexByte(high);
    keys[u"X2_LATCH158"] = FormatHexByte(high >> 8);
}

void ScreenKeys(const ScreenData& screen, SubstitutionMap& keys)
{
    keys[u"D_X_LOG_MAX"] = FormatDecimal(screen.width_px);
    keys[u"D_X_PHYS_MAX"] = FormatDecimal(screen.width_mm);
    keys[u"D_Y_LOG_MAX"] = FormatDecimal(screen.height_px);
    keys[u"D_Y_PHYS_MAX"] = FormatDecimal(screen.height_mm);
    ByteKeys(keys, u"X2_X_LOG_MAX", screen.width_px);
    ByteKeys(keys, u"X2_X_PHYS_MAX", screen.width_mm);
    ByteKeys(keys, u"X2_Y_LOG_MAX", screen.height_px);
    ByteKeys(keys, u"X2_Y_PHYS_MAX", screen.height_mm);
    // The logical maxima through the configuration header's macros of the
    // same bytes; the pen's X and Y declare the pixels as physical maxima too.
    keys[u"HID_X_LOG_MAX"] = FormatRangeItem(kLogicalMaximum, screen.width_px, u"X_RES_LSB", u"X_RES_MSB");
    keys[u"HID_Y_LOG_MAX"] = FormatRangeItem(kLogicalMaximum, screen.height_px, u"Y_RES_LSB", u"Y_RES_MSB");
    keys[u"HID_X_PHYS_MAX_PX"] = FormatRangeItem(kPhysicalMaximum, screen.width_px, u"X_RES_LSB", u"X_RES_MSB");
    keys[u"HID_Y_PHYS_MAX_PX"] = FormatRangeItem(kPhysicalMaximum, screen.height_px, u"Y_RES_LSB", u"Y_RES_MSB");
    keys[u"HID_X_PHYS_MAX"] = FormatRangeItem(kPhysicalMaximum, screen.width_mm);
    keys[u"HID_Y_PHYS_MAX"] = FormatRangeItem(kPhysicalMaximum, screen.height_mm);
}

void TouchKeys(const ConfigurationSettings& settings, SubstitutionMap& keys)
{
    const TouchData& touch = settings.touch;
    const std::int64_t w = TouchWidthPhysicalMaximum(settings);
    const std::int64_t h = TouchHeightPhysicalMaximum(settings);

    keys[u"D_NUM_TOUCH"] = FormatDecimal(touch.numTouchPoints);
    keys[u"X2_NUM_TOUCH"] = FormatHexByte(touch.numTouchPoints);
    keys[u"D_TOUCH_WIDTH_LOG_MAX"] = FormatDecimal(touch.width);
    ByteKeys(keys, u"X2_TOUCH_WIDTH_LOG_MAX", touch.width);
    keys[u"D_TOUCH_WIDTH_PHYS_MAX"] = FormatDecimal(w);
    ByteKeys(keys, u"X2_TOUCH_WIDTH_PHYS_MAX", w);
    keys[u"D_TOUCH_HEIGHT_LOG_MAX"] = FormatDecimal(touch.height);
    ByteKeys(keys, u"X2_TOUCH_HEIGHT_LOG_MAX", touch.height);
    keys[u"D_TOUCH_HEIGHT_PHYS_MAX"] = FormatDecimal(h);
    ByteKeys(keys, u"X2_TOUCH_HEIGHT_PHYS_MAX", h);
    keys[u"D_TOUCH_PRESSURE_LOG_MAX"] = FormatDecimal(touch.pressure);
    ByteKeys(keys, u"X2_TOUCH_PRESSURE_LOG_MAX", touch.pressure);
    keys[u"HID_TOUCH_WIDTH_LOG_MAX"] = FormatRangeItem(kLogicalMaximum, touch.width);
    keys[u"HID_TOUCH_WIDTH_PHYS_MAX"] = FormatRangeItem(kPhysicalMaximum, w);
    keys[u"HID_TOUCH_HEIGHT_LOG_MAX"] = FormatRangeItem(kLogicalMaximum, touch.height);
    keys[u"HID_TOUCH_HEIGHT_PHYS_MAX"] = FormatRangeItem(kPhysicalMaximum, h);
    keys[u"HID_TOUCH_PRESSURE_LOG_MAX"] = FormatRangeItem(kLogicalMaximum, touch.pressure);
    keys[u"X2_SIZE_SINGLE_TOUCH_DATA"] = FormatHexByte(TouchReportSize(touch));
}

void PenKeys(const PenData& pen, SubstitutionMap& keys)
{
    const int controls = PenControlCount(pen);

    keys[u"D_NUM_PEN"] = FormatDecimal(pen.bPen);
    keys[u"X2_NUM_PEN"] = FormatHexByte(pen.bPen);
    keys[u"D_PEN_PRESSURE"] = FormatDecimal(pen.pressure);
    ByteKeys(keys, u"X2_PEN_PRESSURE_LOG_MAX", pen.pressure);
    keys[u"D_TILT_X_MIN"] = FormatDecimal(pen.xTiltMin);
    keys[u"D_TILT_X_MAX"] = FormatDecimal(pen.xTiltMax);
    keys[u"D_TILT_Y_MIN"] = FormatDecimal(pen.yTiltMin);
    keys[u"D_TILT_Y_MAX"] = FormatDecimal(pen.yTiltMax);
    ByteKeys(keys, u"X2_TILT_X_MIN", pen.xTiltMin);
    ByteKeys(keys, u"X2_TILT_X_MAX", pen.xTiltMax);
    ByteKeys(keys, u"X2_TILT_Y_MIN", pen.yTiltMin);
    ByteKeys(keys, u"X2_TILT_Y_MAX", pen.yTiltMax);
    keys[u"HID_PEN_PRESSURE_LOG_MAX"] = FormatRangeItem(kLogicalMaximum, pen.pressure);
    keys[u"HID_TILT_X_MIN"] = FormatRangeItem(kLogicalMinimum, pen.xTiltMin);
    keys[u"HID_TILT_X_MAX"] = FormatRangeItem(kLogicalMaximum, pen.xTiltMax);
    keys[u"HID_TILT_Y_MIN"] = FormatRangeItem(kLogicalMinimum, pen.yTiltMin);
    keys[u"HID_TILT_Y_MAX"] = FormatRangeItem(kLogicalMaximum, pen.yTiltMax);
    keys[u"D_PEN_CONTROL_COUNT"] = FormatDecimal(controls);
    keys[u"X2_PEN_CONTROL_COUNT"] = FormatHexByte(controls);
    keys[u"D_PEN_CONTROL_PAD"] = FormatDecimal(8 - controls);
    keys[u"X2_PEN_CONTROL_PAD"] = FormatHexByte(8 - controls);
    keys[u"X2_SIZE_PEN_DATA"] = FormatHexByte(PenReportSize(pen));
}

void MouseKeys(const MouseData& mouse, SubstitutionMap& keys)
{
    // The button bits and a constant filler complete the controls byte.
    keys[u"D_MOUSE_NUM_BUTTONS"] = FormatDecimal(mouse.numButtons);
    keys[u"X2_MOUSE_NUM_BUTTONS"] = FormatHexByte(mouse.numButtons);
    keys[u"D_MOUSE_PAD_BUTTONS"] = FormatDecimal(std::int64_t{8} - mouse.numButtons);
    keys[u"X2_MOUSE_PAD_BUTTONS"] = FormatHexByte(8 - (mouse.numButtons & 0xFF));
    keys[u"X2_SIZE_MOUSE_DATA"] = FormatHexByte(kMouseReportSize);
}

}  // namespace

std::uint16_t PinMask(std::int32_t deviceSel, const std::array<std::int32_t, kPinCount>& entries, std::int32_t sought)
{
    std::uint16_t mask = 0;
    for (int pin = 0; pin < PinCountFor(deviceSel); ++pin) {
        if (entries[pin] == sought)
            mask |= static_cast<std::uint16_t>(1u << pin);
    }
    return mask;
}

SubstitutionMap& BuildSubstitutionMap(const ConfigurationSettings& settings, SubstitutionMap& keys)
{
    keys.clear();
    ProjectAndDeviceKeys(settings, keys);
    UsbIdentityKeys(settings.device, keys);
    BusKeys(settings.communication, keys);
    GpioKeys(settings, keys);
    ScreenKeys(settings.screen, keys);
    TouchKeys(settings, keys);
    PenKeys(settings.pen, keys);
    MouseKeys(settings.mouse, keys);

    const int length = ReportDescriptorLength(settings);
    keys[u"X2_HID_REPORT_DESC_LEN_LSB"] = FormatHexByte(length);
    keys[u"X2_HID_REPORT_DESC_LEN_MSB"] = FormatHexByte(length >> 8);
    return keys;
}

}  // namespace kr
