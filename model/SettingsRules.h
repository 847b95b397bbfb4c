// SPDX-License-Identifier: MIT
#pragma once
// The rules of a valid configuration, in one place: every field's range as
// the page that edits it enforces it, and the relations a host needs between
// fields (a tilt minimum not above its maximum, for a tilt the pen reports).
// The pages take their bounds and the tilt refusal from here; CheckSettings
// applies every rule to a whole record, for records that did not come
// through the pages (a save file written by a script or by hand), before
// anything is generated from them.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/ConfigurationSettings.h"

namespace kr {

// Inclusive bounds of a numeric field.
struct ValueRange {
    std::uint32_t lo;
    std::uint32_t hi;
};

inline constexpr ValueRange kMaxPowerLimits{0, 500};              // mA, even
inline constexpr ValueRange kSpiClockLimits{100000, 4000000};     // Hz
inline constexpr ValueRange kSmbusClockLimits{10000, 400000};     // Hz
inline constexpr ValueRange kSmbusAddressLimits{0x00, 0xFE};      // even
inline constexpr ValueRange kUartBaudRateLimits{9600, 500000};    // bits per second
inline constexpr ValueRange kHidValueLimits{1, 65535};            // every screen, touch and pen value
inline constexpr int kMaxUsbTextChars = 61;                      // manufacturer and product

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
