// SPDX-License-Identifier: MIT
#pragma once
// The names a HID report descriptor listing shows: usage pages and the usages
// the generated descriptors use, units, collection types and the flags of
// Input, Output and Feature items. Anything else is shown by its number.

#include <cstdint>
#include <string>

namespace kr {

// "Digitizers", "Vendor Defined 0xFF00", or "0x0042" for a page not named here.
std::u16string UsagePageName(std::uint32_t page);

// "Tip Switch", "Button 3", or "0x99" for a usage not named here.
std::u16string UsageName(std::uint32_t page, std::uint32_t usage);

// "Application", "Vendor Defined 0x80", "Reserved 0x07".
std::u16string CollectionTypeName(std::uint32_t type);

// A Unit item's value as its system and units: "SI Linear: cm",
// "English Linear: in^3", "None".
std::u16string UnitName(std::uint32_t unit);

// The flags of an Input (tag 0x8), Output (0x9) or Feature (0xB) item:
// "Data,Var,Abs", then each further bit that is set ("Wrap", "Null", ...).
std::u16string MainItemFlags(int tag, std::uint32_t flags);

}  // namespace kr
