// SPDX-License-Identifier: MIT
#pragma once
// The rules of a valid configuration: every field's rule as the field table
// gives it (FieldTable.h) and the relations a host needs between fields (a
// tilt minimum not above its maximum, for a tilt the pen reports). The pages
// take their rules and the tilt refusal from the same table; CheckSettings
// applies every rule to a whole record, for records that did not come
// through the pages (a save file written by a script or by hand), before
// anything is generated from them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/ConfigurationSettings.h"
#include "model/FieldTable.h"

namespace kr {

// The refusal the Pen page shows when a committed tilt minimum is above the
// committed maximum: nothing when minimum <= maximum.
std::optional<std::u16string> CheckMinimumNotAbove(std::uint32_t minimum, std::uint32_t maximum);

// One broken rule of a record.
struct SettingsProblem {
    // Where the value stands in a save file, below its root element:
    // "PenData/xTiltMin", "GpioData/modes/pin3". Empty for a problem that
    // belongs to no single field.
    std::u16string path;
    // The value as a save file writes it ("200", "0F", "\"text\"").
    std::u16string value;
    // What is wrong, as a plain sentence ending with a full stop.
    std::u16string sentence;

    bool operator==(const SettingsProblem&) const = default;
};

// Every broken rule of settings, in save-file order; empty for a valid
// record. The project path is not checked: each way of generating chooses
// its own folder. GPIO pins are checked only as far as the chip has them.
std::vector<SettingsProblem> CheckSettings(const ConfigurationSettings& settings);

// "PenData/xTiltMin = 200: The X tilt minimum ..." (or only the sentence
// when the problem has no path).
std::u16string ProblemLine(const SettingsProblem& problem);

}  // namespace kr
