// SPDX-License-Identifier: MIT
#include "model/SettingsRules.h"

#include <initializer_list>
#include <map>

#include "model/NumericEntry.h"
#include "model/SavedFields.h"
#include "platform/NumberText.h"

namespace kr {
namespace {

std::u16string Number(std::int64_t value)
{
    return platform::FormatDecimal(value);
}

// Each field's element path and its value as the save file writes it, found
// by the field's address while walking the save file's field table.
struct FieldText {
    std::u16string path;
    std::u16string value;
};

class FieldIndex {
public:
    explicit FieldIndex(const ConfigurationSettings& settings) { ForEachSavedField(settings, *this); }

    const FieldText& Of(const void* field) const { return fields_.at(field); }

    // The visitor of ForEachSavedField.
    void BeginGroup(const std::u16string& name) { group_ = name + u"/"; prefix_ = group_; }
    void BeginList(const std::u16string& name) { prefix_ = group_ + name + u"/"; }
    void Int(const std::u16string& name, const std::int32_t& field) { Add(name, field, Number(field)); }
    void DecimalWord(const std::u16string& name, const std::uint16_t& field)
    {
        Add(name, field, FormatEntry(NumberKind::DecimalWord, field));
    }
    void DecimalDWord(const std::u16string& name, const std::uint32_t& field)
    {
        Add(name, field, FormatEntry(NumberKind::DecimalDWord, field));
    }
    void HexByte(const std::u16string& name, const std::uint8_t& field)
    {
        Add(name, field, FormatEntry(NumberKind::HexByte, field));
    }
    void HexWord(const std::u16string& name, const std::uint16_t& field)
    {
        Add(name, field, FormatEntry(NumberKind::HexWord, field));
    }
    void String(const std::u16string& name, const std::u16string& field) { Add(name, field, u'"' + field + u'"'); }

private:
    template <class Field>
    void Add(const std::u16string& name, const Field& field, std::u16string value)
    {
        fields_[&field] = {prefix_ + name, std::move(value)};
    }

    std::map<const void*, FieldText> fields_;
    std::u16string group_;
    std::u16string prefix_;
};

// Applies the rules one field at a time, collecting what they refuse.
class Checker {
public:
    explicit Checker(const ConfigurationSettings& settings) : index_(settings) {}

    std::vector<SettingsProblem> Take() { return std::move(problems_); }

    // A list or radio field: the position of one of the named items.
    void Choice(const std::int32_t& field, const std::u16string& label, std::initializer_list<const char16_t*> items)
    {
        if (field >= 0 && field < static_cast<std::int32_t>(items.size()))
            return;
        std::u16string choices;
        int position = 0;
        for (const char16_t* item : items) {
            if (position > 0)
                choices += position + 1 == static_cast<int>(items.size()) ? u" or " : u", ";
            choices += Number(position++) + u" (" + item + u")";
        }
        Refuse(field, label + u" must be " + choices + u".");
    }

    // A list whose position is itself the count chosen.
    void Count(const std::int32_t& field, const std::u16string& label, std::int32_t most)
    {
        if (field < 0 || field > most)
            Refuse(field, label + u" must be from 0 to " + Number(most) + u".");
    }

    void Flag(const std::int32_t& field, const std::u16string& label)
    {
        if (field != 0 && field != 1)
            Refuse(field, label + u" must be 0 (off) or 1 (on).");
    }

    template <class Field>
    void Range(const Field& field, const std::u16string& label, ValueRange range)
    {
        if (field < range.lo || field > range.hi)
            Refuse(field, label + u" must be from " + Number(range.lo) + u" to " + Number(range.hi) + u".");
    }

    template <class Field>
    void EvenRange(const Field& field, const std::u16string& label, ValueRange range, bool hex = false)
    {
        if (field >= range.lo && field <= range.hi && field % 2 == 0)
            return;
        auto bound = [&](std::uint32_t value) {
            return hex ? u"0x" + FormatEntry(NumberKind::HexByte, value) : Number(value);
        };
        Refuse(field, label + u" must be an even number from " + bound(range.lo) + u" to " + bound(range.hi) + u".");
    }

    void Text(const std::u16string& field, const std::u16string& label)
    {
        if (field.size() > static_cast<std::size_t>(kMaxUsbTextChars))
            Refuse(field, label + u" has " + Number(static_cast<std::int64_t>(field.size())) +
                              u" characters; it may have at most " + Number(kMaxUsbTextChars) + u".");
    }

    // A logical minimum above its maximum makes hosts refuse the whole
    // report descriptor; the problem is given at the minimum, as the page
    // refuses it there. A maximum out of its own range is problem enough.
    void NotAbove(const std::uint16_t& minimum, const std::uint16_t& maximum, const std::u16string& what)
    {
        if (minimum > maximum && maximum >= kHidValueLimits.lo)
            Refuse(minimum, u"The " + what + u" minimum is above the " + what + u" maximum, " + Number(maximum) +
                                u"; hosts refuse a report descriptor with such a range.");
    }

private:
    void Refuse(const auto& field, std::u16string sentence)
    {
        const FieldText& text = index_.Of(&field);
        problems_.push_back({text.path, text.value, std::move(sentence)});
    }

    FieldIndex index_;
    std::vector<SettingsProblem> problems_;
};

}  // namespace

std::optional<std::u16string> CheckMinimumNotAbove(std::uint32_t minimum, std::uint32_t maximum)
{
    if (minimum <= maximum)
        return std::nullopt;
    return u"Please enter a minimum no greater than the maximum (" + Number(maximum) + u").";
}

std::vector<SettingsProblem> CheckSettings(const ConfigurationSettings& s)
{
    Checker c(s);
    c.Choice(s.project.toolchain, u"The toolchain", {u"Keil", u"Raisonance", u"SDCC"});

    const DeviceData& device = s.device;
    c.Choice(device.deviceSel, u"The device", {u"KR7610", u"KR7611"});
    c.Choice(device.oscillator, u"The oscillator", {u"24 MHz", u"48 MHz"});
    c.Choice(device.defaultInputMode, u"The default input mode", {u"Mouse", u"Single-Point Touch"});
    c.Flag(device.bEnableRegulator, u"The voltage regulator");
    c.EvenRange(device.maxPower, u"The maximum power in mA", kMaxPowerLimits);
    c.Choice(device.powerMode, u"The power mode", {u"bus powered", u"self powered"});
    c.Flag(device.bEnableRemoteWakeup, u"Remote wake-up");
    c.Text(device.manufacturer, u"The manufacturer");
    c.Text(device.product, u"The product");

    const CommunicationData& link = s.communication;
    c.Choice(link.protocol, u"The inter-chip link", {u"SPI", u"SMBus", u"UART"});
    c.Range(link.spiClk, u"The SPI clock in Hz", kSpiClockLimits);
    c.Choice(link.spiPha, u"The SPI clock phase", {u"first edge", u"second edge"});
    c.Choice(link.spiPol, u"The SPI clock polarity", {u"idle low", u"idle high"});
    c.Range(link.smbusClk, u"The SMBus clock in Hz", kSmbusClockLimits);
    c.EvenRange(link.smbusAddress, u"The SMBus slave address", kSmbusAddressLimits, true);
    c.Range(link.uartBaudRate, u"The UART baud rate", kUartBaudRateLimits);
    c.Choice(link.uartDataBits, u"The UART data bits", {u"5", u"6", u"7", u"8"});
    c.Choice(link.uartParity, u"The UART parity", {u"N", u"O", u"E", u"M", u"S"});
    c.Choice(link.uartStopBits, u"The UART stop bits", {u"1", u"1.5/2"});

    c.Range(s.screen.width_mm, u"The screen width in millimetres", kHidValueLimits);
    c.Range(s.screen.width_px, u"The screen width in pixels", kHidValueLimits);
    c.Range(s.screen.height_mm, u"The screen height in millimetres", kHidValueLimits);
    c.Range(s.screen.height_px, u"The screen height in pixels", kHidValueLimits);

    const TouchData& touch = s.touch;
    c.Count(touch.numTouchPoints, u"The number of touch points", 5);
    c.Flag(touch.bConfidence, u"Touch confidence");
    c.Flag(touch.bPressure, u"Touch pressure");
    c.Range(touch.pressure, u"The maximum touch pressure", kHidValueLimits);
    c.Flag(touch.bWidth, u"Touch point width");
    c.Range(touch.width, u"The maximum touch point width", kHidValueLimits);
    c.Flag(touch.bHeight, u"Touch point height");
    c.Range(touch.height, u"The maximum touch point height", kHidValueLimits);

    const PenData& pen = s.pen;
    c.Flag(pen.bPen, u"Pen support");
    c.Flag(pen.bPressure, u"Pen pressure");
    c.Range(pen.pressure, u"The maximum pen pressure", kHidValueLimits);
    c.Flag(pen.bXTilt, u"Pen tilt X");
    c.Range(pen.xTiltMin, u"The X tilt minimum", kHidValueLimits);
    c.Range(pen.xTiltMax, u"The X tilt maximum", kHidValueLimits);
    // Only a tilt the pen reports puts its range in the report descriptor.
    if (pen.bPen && pen.bXTilt)
        c.NotAbove(pen.xTiltMin, pen.xTiltMax, u"X tilt");
    c.Flag(pen.bYTilt, u"Pen tilt Y");
    c.Range(pen.yTiltMin, u"The Y tilt minimum", kHidValueLimits);
    c.Range(pen.yTiltMax, u"The Y tilt maximum", kHidValueLimits);
    if (pen.bPen && pen.bYTilt)
        c.NotAbove(pen.yTiltMin, pen.yTiltMax, u"Y tilt");
    c.Flag(pen.bInverted, u"Pen inverted state");
    c.Flag(pen.bBarrelButton, u"Pen barrel button");

    c.Flag(s.mouse.bMouse, u"Mouse support");
    c.Count(s.mouse.numButtons, u"The number of mouse buttons", 8);

    // Pins the chip does not have are neither shown nor generated.
    const int pins = PinCountFor(device.deviceSel);
    for (int pin = 0; pin < pins; ++pin)
        c.Choice(s.gpio.modes[pin], u"The mode of GPIO." + Number(pin),
                 {u"input, open-drain", u"output, open-drain", u"output, push-pull"});
    for (int pin = 0; pin < pins; ++pin)
        c.Choice(s.gpio.values[pin], u"The start-up level of GPIO." + Number(pin), {u"low", u"high"});
    return c.Take();
}

std::u16string ProblemLine(const SettingsProblem& problem)
{
    if (problem.path.empty())
        return problem.sentence;
    return problem.path + u" = " + problem.value + u": " + problem.sentence;
}

}  // namespace kr
