// SPDX-License-Identifier: MIT
#pragma once
// The substitution map of one generation run: the replacement text of every
// key the templates may use. The key's prefix says how its text is made:
// S_ a word or a text, X2_ a byte in hexadecimal, D_ a decimal number, UNI_
// the body of a USB string descriptor, HID_ a range item of the report
// descriptor with its value, in the 2-byte form up to 32767 and the 4-byte
// form above (FormatRangeItem).

#include <array>
#include <cstdint>

#include "generator/ReportSizes.h"
#include "generator/ValueFormatters.h"
#include "model/ConfigurationSettings.h"
#include "templating/GenerationTables.h"

namespace kr {

// Empties keys and defines every key. A key chosen from a selection field
// whose value lies outside its list is left undefined, so a template that
// uses it fails to generate; every other key is always defined, whatever the
// bus, the power mode or the HID functions are. Cannot fail.
SubstitutionMap& BuildSubstitutionMap(const ConfigurationSettings& settings, SubstitutionMap& keys);

// Bit i set when pin i exists on the chip variant and entries[i] equals
// sought. Pins beyond the variant's count never set a bit; an unknown variant
// has no pins.
std::uint16_t PinMask(std::int32_t deviceSel, const std::array<std::int32_t, kPinCount>& entries, std::int32_t sought);

}  // namespace kr
