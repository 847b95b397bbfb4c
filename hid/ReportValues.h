// SPDX-License-Identifier: MIT
#pragma once
// The values of one report as a host reads them from its bytes: each field
// of the report's layout, value by value, signed where the field's logical
// range is, and whether each lies outside that range.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "hid/HidDecoder.h"

namespace kr {

struct HidFieldValue {
    std::u16string name;  // the usage name; "Contact Identifier", "Button 2"
    std::int64_t value = 0;
    bool outOfRange = false;  // outside Logical Minimum to Logical Maximum
    std::int64_t logicalMinimum = 0;
    std::int64_t logicalMaximum = 0;
};

// The values of report read from bytes (the report's data, without its
// report id byte), padding left out. A field that reaches past the bytes
// is read as far as they go, the missing bits as zeros, as a host fills a
// short report.
std::vector<HidFieldValue> ReadReportValues(const HidReportSize& report, std::span<const std::uint8_t> bytes);

}  // namespace kr
