// SPDX-License-Identifier: MIT
#include "hid/HidNames.h"

#include <array>

#include "platform/NumberText.h"

namespace kr {

using platform::FormatDecimal;
using platform::FormatHexLiteral;

namespace {

constexpr std::uint32_t kGenericDesktop = 0x01;
constexpr std::uint32_t kButton = 0x09;
constexpr std::uint32_t kDigitizers = 0x0D;

struct Named {
    std::uint32_t id;
    const char16_t* name;
};

constexpr Named kGenericDesktopUsages[] = {
    {0x01, u"Pointer"}, {0x02, u"Mouse"}, {0x30, u"X"}, {0x31, u"Y"}, {0x32, u"Z"}, {0x38, u"Wheel"},
};

constexpr Named kDigitizerUsages[] = {
    {0x01, u"Digitizer"},
    {0x02, u"Pen"},
    {0x04, u"Touch Screen"},
    {0x05, u"Touch Pad"},
    {0x0E, u"Device Configuration"},
    {0x20, u"Stylus"},
    {0x22, u"Finger"},
    {0x23, u"Device Settings"},
    {0x30, u"Tip Pressure"},
    {0x32, u"In Range"},
    {0x3C, u"Invert"},
    {0x3D, u"X Tilt"},
    {0x3E, u"Y Tilt"},
    {0x42, u"Tip Switch"},
    {0x44, u"Barrel Switch"},
    {0x45, u"Eraser"},
    {0x47, u"Confidence"},
    {0x48, u"Width"},
    {0x49, u"Height"},
    {0x51, u"Contact Identifier"},
    {0x52, u"Device Mode"},
    {0x53, u"Device Identifier"},
    {0x54, u"Contact Count"},
    {0x55, u"Contact Count Maximum"},
    {0x56, u"Scan Time"},
};

template <std::size_t N> const char16_t* Find(const Named (&table)[N], std::uint32_t id)
{
    for (const Named& entry : table)
        if (entry.id == id)
            return entry.name;
    return nullptr;
}

// A 4-bit field read as two's complement.
int Nibble(std::uint32_t value, int index)
{
    const int nibble = static_cast<int>((value >> (4 * index)) & 0xF);
    return nibble >= 8 ? nibble - 16 : nibble;
}

}  // namespace

std::u16string UsagePageName(std::uint32_t page)
{
    switch (page) {
    case kGenericDesktop:
        return u"Generic Desktop";
    case kButton:
        return u"Button";
    case kDigitizers:
        return u"Digitizers";
    }
    if (page >= 0xFF00 && page <= 0xFFFF)
        return u"Vendor Defined " + FormatHexLiteral(page, 4);
    return FormatHexLiteral(page, 4);
}

std::u16string UsageName(std::uint32_t page, std::uint32_t usage)
{
    const char16_t* name = nullptr;
    if (page == kGenericDesktop)
        name = Find(kGenericDesktopUsages, usage);
    else if (page == kDigitizers)
        name = Find(kDigitizerUsages, usage);
    else if (page == kButton)
        return usage == 0 ? u"No Button Pressed" : u"Button " + FormatDecimal(usage);
    return name ? name : FormatHexLiteral(usage, 2);
}

std::u16string CollectionTypeName(std::uint32_t type)
{
    static constexpr std::array<const char16_t*, 7> kTypes = {
        u"Physical", u"Application", u"Logical", u"Report", u"Named Array", u"Usage Switch", u"Usage Modifier"};
    if (type < kTypes.size())
        return kTypes[type];
    return (type >= 0x80 && type <= 0xFF ? u"Vendor Defined " : u"Reserved ") + FormatHexLiteral(type, 2);
}

std::u16string UnitName(std::uint32_t unit)
{
    static constexpr std::array<const char16_t*, 5> kSystems = {u"None", u"SI Linear", u"SI Rotation",
                                                                u"English Linear", u"English Rotation"};
    // Base unit of each of the six dimensions, per system (rotation systems
    // measure length as an angle).
    static constexpr std::array<std::array<const char16_t*, 6>, 5> kUnits = {{
        {u"", u"", u"", u"", u"", u""},
        {u"cm", u"g", u"s", u"K", u"A", u"cd"},
        {u"rad", u"g", u"s", u"K", u"A", u"cd"},
        {u"in", u"slug", u"s", u"F", u"A", u"cd"},
        {u"deg", u"slug", u"s", u"F", u"A", u"cd"},
    }};
    const std::uint32_t system = unit & 0xF;
    if (unit == 0)
        return u"None";
    if (system == 0 || system >= kSystems.size())
        return FormatHexLiteral(unit, 2);

    std::u16string units;
    for (int dimension = 0; dimension < 6; ++dimension) {
        const int exponent = Nibble(unit, dimension + 1);
        if (exponent == 0)
            continue;
        if (!units.empty())
            units += u' ';
        units += kUnits[system][dimension];
        if (exponent != 1)
            units += u"^" + FormatDecimal(exponent);
    }
    if (unit >> 28)
        units += (units.empty() ? u"" : u" ") + std::u16string(u"(reserved nibble set)");
    return std::u16string(kSystems[system]) + (units.empty() ? u"" : u": " + units);
}

std::u16string MainItemFlags(int tag, std::uint32_t flags)
{
    std::u16string text = flags & 0x01 ? u"Cnst" : u"Data";
    text += flags & 0x02 ? u",Var" : u",Ary";
    text += flags & 0x04 ? u",Rel" : u",Abs";
    if (flags & 0x08)
        text += u",Wrap";
    if (flags & 0x10)
        text += u",NonLin";
    if (flags & 0x20)
        text += u",NoPref";
    if (flags & 0x40)
        text += u",Null";
    if ((flags & 0x80) && tag != 0x8)  // Input items reserve this bit
        text += u",Vol";
    if (flags & 0x100)
        text += u",Buf";
    return text;
}

}  // namespace kr
