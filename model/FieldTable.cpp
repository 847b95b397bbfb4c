// SPDX-License-Identifier: MIT
#include "model/FieldTable.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "model/NumericEntry.h"
#include "platform/NumberText.h"

namespace kr {

using platform::FormatDecimal;

namespace {

using Access = std::function<FieldRef(ConfigurationSettings&)>;

#define KR_AT(member) [](ConfigurationSettings& s) -> FieldRef { return &s.member; }

// The rows of one group, in save-file order. Each adder returns the new row,
// so that a field introduced after the first version, or one whose control
// its page makes from the row, says so where it is added:
// `touch.Flag(...).Since(0x0101).OnPage(u"Caption")`.
class GroupRows {
public:
    GroupRows(std::vector<FieldRow>& rows, std::u16string group) : rows_(rows), group_(std::move(group)) {}

    FieldRow& Flag(std::u16string name, std::u16string label, Access at)
    {
        return Add(std::move(name), std::move(label), FieldKind::Flag, FieldRule::Listed, {0, 1}, {u"off", u"on"},
                   std::move(at));
    }
    FieldRow& Choice(std::u16string name, std::u16string label, std::vector<std::u16string> choices, Access at)
    {
        const ValueRange range{0, static_cast<std::uint32_t>(choices.size() - 1)};
        return Add(std::move(name), std::move(label), FieldKind::Choice, FieldRule::Listed, range, std::move(choices),
                   std::move(at));
    }
    FieldRow& Count(std::u16string name, std::u16string label, std::uint32_t most, Access at)
    {
        std::vector<std::u16string> counts;
        for (std::uint32_t n = 0; n <= most; ++n)
            counts.push_back(FormatDecimal(n));
        return Add(std::move(name), std::move(label), FieldKind::Count, FieldRule::Listed, {0, most}, std::move(counts),
                   std::move(at));
    }
    FieldRow& Number(std::u16string name, std::u16string label, FieldKind kind, FieldRule rule, ValueRange range,
                     Access at)
    {
        return Add(std::move(name), std::move(label), kind, rule, range, {}, std::move(at));
    }
    FieldRow& Text(std::u16string name, std::u16string label, FieldRule rule, Access at)
    {
        const ValueRange range{0, rule == FieldRule::MaxChars ? std::uint32_t{kMaxUsbTextChars} : 0};
        return Add(std::move(name), std::move(label), FieldKind::Text, rule, range, {}, std::move(at));
    }
    // One row per pin of a GPIO array.
    void Pins(std::u16string list, const std::u16string& label, std::vector<std::u16string> choices,
              std::int32_t& (*pinOf)(ConfigurationSettings&, int))
    {
        list_ = std::move(list);
        const ValueRange range{0, static_cast<std::uint32_t>(choices.size() - 1)};
        for (int pin = 0; pin < kPinCount; ++pin) {
            Add(PinName(pin), label + FormatDecimal(pin), FieldKind::Choice, FieldRule::Listed, range, choices,
                [pinOf, pin](ConfigurationSettings& s) -> FieldRef { return &pinOf(s, pin); });
            rows_.back().pin = pin;
        }
    }

private:
    static std::u16string PinName(int pin) { return u"pin" + FormatDecimal(pin); }

    FieldRow& Add(std::u16string name, std::u16string label, FieldKind kind, FieldRule rule, ValueRange range,
                  std::vector<std::u16string> choices, Access at)
    {
        std::u16string path = group_ + u"/" + (list_.empty() ? u"" : list_ + u"/") + name;
        rows_.push_back({group_, list_, std::move(name), std::move(path), std::move(label), kind, rule, range,
                         std::move(choices), -1, std::move(at)});
        return rows_.back();
    }

    std::vector<FieldRow>& rows_;
    std::u16string group_;
    std::u16string list_;
};

std::vector<FieldRow> MakeTable()
{
    using enum FieldKind;
    using enum FieldRule;
    std::vector<FieldRow> rows;

    GroupRows project(rows, u"ProjectData");
    project.Choice(u"toolchain", u"The toolchain", {u"Keil", u"Raisonance", u"SDCC"}, KR_AT(project.toolchain));
    // Each way of generating chooses its own folder: no rule.
    project.Text(u"projectPath", u"The project folder", None, KR_AT(project.projectPath));

    GroupRows device(rows, u"DeviceData");
    device.Choice(u"deviceSel", u"The device", {u"KR7610", u"KR7611"}, KR_AT(device.deviceSel));
    device.Choice(u"oscillator", u"The oscillator", {u"24 MHz", u"48 MHz"}, KR_AT(device.oscillator));
    device.Choice(u"defaultInputMode", u"The default input mode", {u"Mouse", u"Single-Point Touch"},
                  KR_AT(device.defaultInputMode));
    device.Flag(u"bEnableRegulator", u"The voltage regulator", KR_AT(device.bEnableRegulator));
    device.Number(u"vid", u"The vendor id", HexWord, None, {0, 0xFFFF}, KR_AT(device.vid));
    device.Number(u"pid", u"The product id", HexWord, None, {0, 0xFFFF}, KR_AT(device.pid));
    device.Number(u"maxPower", u"The maximum power in mA", DecimalWord, EvenRange, kMaxPowerLimits,
                  KR_AT(device.maxPower));
    device.Choice(u"powerMode", u"The power mode", {u"bus powered", u"self powered"}, KR_AT(device.powerMode));
    device.Flag(u"bEnableRemoteWakeup", u"Remote wake-up", KR_AT(device.bEnableRemoteWakeup));
    device.Number(u"releaseVersion", u"The release version", HexWord, None, {0, 0xFFFF}, KR_AT(device.releaseVersion));
    device.Text(u"manufacturer", u"The manufacturer", MaxChars, KR_AT(device.manufacturer));
    device.Text(u"product", u"The product", MaxChars, KR_AT(device.product));

    GroupRows link(rows, u"CommunicationData");
    link.Choice(u"protocol", u"The inter-chip link", {u"SPI", u"SMBus", u"UART"}, KR_AT(communication.protocol));
    link.Number(u"spiClk", u"The SPI clock in Hz", DecimalDWord, Range, kSpiClockLimits, KR_AT(communication.spiClk));
    link.Choice(u"spiPha", u"The SPI clock phase", {u"first edge", u"second edge"}, KR_AT(communication.spiPha));
    link.Choice(u"spiPol", u"The SPI clock polarity", {u"idle low", u"idle high"}, KR_AT(communication.spiPol));
    link.Number(u"smbusClk", u"The SMBus clock in Hz", DecimalDWord, Range, kSmbusClockLimits,
                KR_AT(communication.smbusClk));
    link.Number(u"smbusAddress", u"The SMBus slave address", HexByte, EvenRange, kSmbusAddressLimits,
                KR_AT(communication.smbusAddress));
    link.Number(u"uartBaudRate", u"The UART baud rate", DecimalDWord, Range, kUartBaudRateLimits,
                KR_AT(communication.uartBaudRate));
    link.Choice(u"uartDataBits", u"The UART data bits", {u"5", u"6", u"7", u"8"}, KR_AT(communication.uartDataBits));
    link.Choice(u"uartParity", u"The UART parity", {u"N", u"O", u"E", u"M", u"S"}, KR_AT(communication.uartParity));
    link.Choice(u"uartStopBits", u"The UART stop bits", {u"1", u"1.5/2"}, KR_AT(communication.uartStopBits));

    GroupRows screen(rows, u"ScreenData");
    screen.Number(u"width_mm", u"The screen width in millimetres", DecimalWord, Range, kHidValueLimits,
                  KR_AT(screen.width_mm));
    screen.Number(u"width_px", u"The screen width in pixels", DecimalWord, Range, kHidValueLimits,
                  KR_AT(screen.width_px));
    screen.Number(u"height_mm", u"The screen height in millimetres", DecimalWord, Range, kHidValueLimits,
                  KR_AT(screen.height_mm));
    screen.Number(u"height_px", u"The screen height in pixels", DecimalWord, Range, kHidValueLimits,
                  KR_AT(screen.height_px));

    GroupRows touch(rows, u"TouchData");
    touch.Count(u"numTouchPoints", u"The number of touch points", 5, KR_AT(touch.numTouchPoints));
    touch.Flag(u"bConfidence", u"Touch confidence", KR_AT(touch.bConfidence));
    touch.Flag(u"bPressure", u"Touch pressure", KR_AT(touch.bPressure));
    touch.Number(u"pressure", u"The maximum touch pressure", DecimalWord, Range, kHidValueLimits,
                 KR_AT(touch.pressure));
    touch.Flag(u"bWidth", u"Touch point width", KR_AT(touch.bWidth));
    touch.Number(u"width", u"The maximum touch point width", DecimalWord, Range, kHidValueLimits, KR_AT(touch.width));
    touch.Flag(u"bHeight", u"Touch point height", KR_AT(touch.bHeight));
    touch.Number(u"height", u"The maximum touch point height", DecimalWord, Range, kHidValueLimits,
                 KR_AT(touch.height));
    touch.Flag(u"bContactCount", u"Touch contact count and scan time", KR_AT(touch.bContactCount)).Since(0x0101);

    GroupRows pen(rows, u"PenData");
    pen.Flag(u"bPen", u"Pen support", KR_AT(pen.bPen));
    pen.Flag(u"bPressure", u"Pen pressure", KR_AT(pen.bPressure));
    pen.Number(u"pressure", u"The maximum pen pressure", DecimalWord, Range, kHidValueLimits, KR_AT(pen.pressure));
    pen.Flag(u"bXTilt", u"Pen tilt X", KR_AT(pen.bXTilt));
    pen.Number(u"xTiltMin", u"The X tilt minimum", DecimalWord, Range, kHidValueLimits, KR_AT(pen.xTiltMin));
    pen.Number(u"xTiltMax", u"The X tilt maximum", DecimalWord, Range, kHidValueLimits, KR_AT(pen.xTiltMax));
    pen.Flag(u"bYTilt", u"Pen tilt Y", KR_AT(pen.bYTilt));
    pen.Number(u"yTiltMin", u"The Y tilt minimum", DecimalWord, Range, kHidValueLimits, KR_AT(pen.yTiltMin));
    pen.Number(u"yTiltMax", u"The Y tilt maximum", DecimalWord, Range, kHidValueLimits, KR_AT(pen.yTiltMax));
    pen.Flag(u"bInverted", u"Pen inverted state", KR_AT(pen.bInverted));
    pen.Flag(u"bBarrelButton", u"Pen barrel button", KR_AT(pen.bBarrelButton));

    GroupRows mouse(rows, u"MouseData");
    mouse.Flag(u"bMouse", u"Mouse support", KR_AT(mouse.bMouse));
    mouse.Count(u"numButtons", u"The number of mouse buttons", 8, KR_AT(mouse.numButtons));

    GroupRows gpio(rows, u"GpioData");
    gpio.Pins(u"modes", u"The mode of GPIO.", {u"input, open-drain", u"output, open-drain", u"output, push-pull"},
              [](ConfigurationSettings& s, int pin) -> std::int32_t& { return s.gpio.modes[pin]; });
    gpio.Pins(u"values", u"The start-up level of GPIO.", {u"low", u"high"},
              [](ConfigurationSettings& s, int pin) -> std::int32_t& { return s.gpio.values[pin]; });
    return rows;
}

#undef KR_AT

bool IsListed(FieldKind kind)
{
    return kind == FieldKind::Flag || kind == FieldKind::Choice || kind == FieldKind::Count;
}

// "0 (Keil), 1 (Raisonance) or 2 (SDCC)".
std::u16string NumberedChoices(const std::vector<std::u16string>& choices)
{
    std::u16string text;
    for (std::size_t position = 0; position < choices.size(); ++position) {
        if (position > 0)
            text += position + 1 == choices.size() ? u" or " : u", ";
        text += FormatDecimal(static_cast<std::int64_t>(position)) + u" (" + choices[position] + u")";
    }
    return text;
}

bool SameAscii(std::u16string_view a, std::u16string_view b)
{
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

bool StoreNumber(const FieldRow& row, std::uint32_t value, ConfigurationSettings& settings)
{
    std::visit(
        [value](auto* field) {
            using Field = std::remove_pointer_t<decltype(field)>;
            if constexpr (!std::is_same_v<Field, std::u16string>)
                *field = static_cast<Field>(value);
        },
        FieldIn(row, settings));
    return true;
}

}  // namespace

NumberKind EntryKindOf(FieldKind kind)
{
    switch (kind) {
    case FieldKind::DecimalWord:
        return NumberKind::DecimalWord;
    case FieldKind::HexByte:
        return NumberKind::HexByte;
    case FieldKind::HexWord:
        return NumberKind::HexWord;
    default:
        return NumberKind::DecimalDWord;
    }
}

const FieldRows& FieldTable()
{
    static const FieldRows table = MakeTable();
    return table;
}

std::uint16_t NewestSaveFileVersion(const FieldRows& table)
{
    std::uint16_t newest = kFirstSaveFileVersion;
    for (const FieldRow& row : table)
        newest = std::max(newest, row.since);
    return newest;
}

std::uint16_t VersionHolding(const ConfigurationSettings& settings, const FieldRows& table)
{
    static const ConfigurationSettings defaults;
    std::uint16_t version = kFirstSaveFileVersion;
    for (const FieldRow& row : table)
        if (row.since > version && !SameValue(row, settings, defaults))
            version = row.since;
    return version;
}

const std::vector<FieldRelation>& FieldRelations()
{
    static const std::vector<FieldRelation> relations = {
        {u"PenData/xTiltMin", u"PenData/xTiltMax", {u"PenData/bPen", u"PenData/bXTilt"}, u"X tilt"},
        {u"PenData/yTiltMin", u"PenData/yTiltMax", {u"PenData/bPen", u"PenData/bYTilt"}, u"Y tilt"},
    };
    return relations;
}

const FieldRow* FindField(std::u16string_view path)
{
    for (const FieldRow& row : FieldTable())
        if (row.path == path)
            return &row;
    return nullptr;
}

const FieldRow& Field(std::u16string_view path)
{
    const FieldRow* row = FindField(path);
    if (row == nullptr)
        std::abort();  // a path spelled wrongly in the code
    return *row;
}

const std::vector<std::u16string>& ChoiceLabels(std::u16string_view path)
{
    return Field(path).choices;
}

FieldRef FieldIn(const FieldRow& row, ConfigurationSettings& settings)
{
    return row.at(settings);
}

bool SameValue(const FieldRow& row, const ConfigurationSettings& a, const ConfigurationSettings& b)
{
    return row.kind == FieldKind::Text ? TextIn(row, a) == TextIn(row, b) : NumberIn(row, a) == NumberIn(row, b);
}

void CopyValue(const FieldRow& row, const ConfigurationSettings& from, ConfigurationSettings& to)
{
    std::visit(
        [&](auto* field) {
            using Field = std::remove_pointer_t<decltype(field)>;
            *field = *std::get<Field*>(FieldIn(row, const_cast<ConfigurationSettings&>(from)));
        },
        FieldIn(row, to));
}

std::int64_t NumberIn(const FieldRow& row, const ConfigurationSettings& settings)
{
    return std::visit(
        [](auto* field) -> std::int64_t {
            if constexpr (std::is_same_v<std::remove_pointer_t<decltype(field)>, std::u16string>)
                return 0;
            else
                return *field;
        },
        FieldIn(row, const_cast<ConfigurationSettings&>(settings)));
}

std::u16string TextIn(const FieldRow& row, const ConfigurationSettings& settings)
{
    const FieldRef ref = FieldIn(row, const_cast<ConfigurationSettings&>(settings));
    auto* const* text = std::get_if<std::u16string*>(&ref);
    return text ? **text : std::u16string();
}

std::u16string SavedValue(const FieldRow& row, const ConfigurationSettings& settings)
{
    if (row.kind == FieldKind::Text)
        return u'"' + TextIn(row, settings) + u'"';
    const std::int64_t value = NumberIn(row, settings);
    if (IsListed(row.kind))
        return FormatDecimal(value);
    return FormatEntry(EntryKindOf(row.kind), static_cast<std::uint32_t>(value));
}

std::u16string ShownValue(const FieldRow& row, const ConfigurationSettings& settings)
{
    if (row.kind == FieldKind::Text)
        return TextIn(row, settings);
    const std::int64_t value = NumberIn(row, settings);
    if (IsListed(row.kind))
        return value >= 0 && static_cast<std::size_t>(value) < row.choices.size() ? row.choices[value]
                                                                                  : FormatDecimal(value);
    const std::u16string digits = FormatEntry(EntryKindOf(row.kind), static_cast<std::uint32_t>(value));
    return row.kind == FieldKind::HexByte || row.kind == FieldKind::HexWord ? u"0x" + digits : digits;
}

bool ReadShownValue(const FieldRow& row, std::u16string_view text, ConfigurationSettings& settings,
                    std::u16string& errorText)
{
    errorText.clear();
    if (row.kind == FieldKind::Text) {
        *std::get<std::u16string*>(FieldIn(row, settings)) = std::u16string(text);
        return true;
    }
    if (IsListed(row.kind)) {
        for (std::size_t position = 0; position < row.choices.size(); ++position)
            if (SameAscii(text, row.choices[position]))
                return StoreNumber(row, static_cast<std::uint32_t>(position), settings);
        // A stored number, unless the labels are numbers that would read
        // otherwise ("8" data bits is stored as 3).
        const std::u16string& first = row.choices.front();
        const bool numberedLabels = first.find_first_not_of(u"0123456789") == std::u16string::npos;
        if (!numberedLabels) {
            const EntryResult entry = ParseEntry(NumberKind::DecimalDWord, text);
            if (entry.ok && !text.empty() && entry.value < row.choices.size())
                return StoreNumber(row, entry.value, settings);
        }
        errorText = u"Please enter one of: ";
        for (std::size_t position = 0; position < row.choices.size(); ++position)
            errorText += (position > 0 ? u", " : u"") + row.choices[position];
        errorText += u".";
        return false;
    }
    const bool hex = row.kind == FieldKind::HexByte || row.kind == FieldKind::HexWord;
    if (hex && text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
        text.remove_prefix(2);
    if (text.empty()) {
        errorText = hex ? kMsgHexadecimal : kMsgPositiveInteger;
        return false;
    }
    const EntryResult entry = ParseEntry(EntryKindOf(row.kind), text);
    if (!entry.ok) {
        errorText = entry.message;
        return false;
    }
    return StoreNumber(row, entry.value, settings);
}

std::optional<std::u16string> PageRefusal(const FieldRow& row, std::uint32_t value)
{
    switch (row.rule) {
    case FieldRule::Range:
        return CheckRange(value, row.range.lo, row.range.hi);
    case FieldRule::EvenRange:
        if (row.kind == FieldKind::HexByte)
            return CheckEvenRangeHexByte(static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(row.range.lo),
                                         static_cast<std::uint8_t>(row.range.hi));
        return CheckEvenRangeWord(static_cast<std::uint16_t>(value), static_cast<std::uint16_t>(row.range.lo),
                                  static_cast<std::uint16_t>(row.range.hi));
    default:
        return std::nullopt;
    }
}

std::optional<std::u16string> PageRefusal(const FieldRow& row, std::u16string_view text)
{
    if (row.rule != FieldRule::MaxChars)
        return std::nullopt;
    return CheckMaxChars(text, static_cast<int>(row.range.hi));
}

std::optional<std::u16string> RuleRefusal(const FieldRow& row, const ConfigurationSettings& settings)
{
    const std::int64_t value = NumberIn(row, settings);
    const bool inRange = value >= row.range.lo && value <= row.range.hi;
    switch (row.rule) {
    case FieldRule::None:
        return std::nullopt;
    case FieldRule::Listed:
        if (inRange)
            return std::nullopt;
        if (row.kind == FieldKind::Flag)
            return row.label + u" must be 0 (off) or 1 (on).";
        if (row.kind == FieldKind::Count)
            return row.label + u" must be from 0 to " + FormatDecimal(row.range.hi) + u".";
        return row.label + u" must be " + NumberedChoices(row.choices) + u".";
    case FieldRule::Range:
        if (inRange)
            return std::nullopt;
        return row.label + u" must be from " + FormatDecimal(row.range.lo) + u" to " + FormatDecimal(row.range.hi)
               + u".";
    case FieldRule::EvenRange: {
        if (inRange && value % 2 == 0)
            return std::nullopt;
        auto bound = [&](std::uint32_t limit) {
            return row.kind == FieldKind::HexByte ? u"0x" + FormatEntry(NumberKind::HexByte, limit)
                                                  : FormatDecimal(limit);
        };
        return row.label + u" must be an even number from " + bound(row.range.lo) + u" to " + bound(row.range.hi)
               + u".";
    }
    case FieldRule::MaxChars: {
        const std::size_t length = TextIn(row, settings).size();
        if (length <= row.range.hi)
            return std::nullopt;
        return row.label + u" has " + FormatDecimal(static_cast<std::int64_t>(length))
               + u" characters; it may have at most " + FormatDecimal(row.range.hi) + u".";
    }
    }
    return std::nullopt;
}

}  // namespace kr
