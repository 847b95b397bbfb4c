// SPDX-License-Identifier: MIT
#include "hid/ReportValues.h"

namespace kr {
namespace {

// bits bits from bitOffset, least significant bit first, as HID sends them.
std::uint64_t ReadBits(std::span<const std::uint8_t> bytes, std::int64_t bitOffset, std::int64_t bits)
{
    std::uint64_t value = 0;
    for (std::int64_t i = 0; i < bits && i < 64; ++i) {
        const std::int64_t at = bitOffset + i;
        const std::size_t byte = static_cast<std::size_t>(at / 8);
        if (byte < bytes.size() && (bytes[byte] >> (at % 8) & 1))
            value |= std::uint64_t{1} << i;
    }
    return value;
}

}  // namespace

std::vector<HidFieldValue> ReadReportValues(const HidReportSize& report, std::span<const std::uint8_t> bytes)
{
    std::vector<HidFieldValue> values;
    for (const HidReportField& field : report.fields) {
        if (field.padding || field.valueBits <= 0 || field.valueBits > 32)
            continue;
        const std::int64_t count = field.bits / field.valueBits;
        for (std::int64_t i = 0; i < count; ++i) {
            const std::uint64_t raw = ReadBits(bytes, field.bitOffset + i * field.valueBits, field.valueBits);
            std::int64_t value = static_cast<std::int64_t>(raw);
            // A negative minimum makes the field signed, sign-extended from its size.
            if (field.logicalMinimum < 0 && (raw >> (field.valueBits - 1) & 1))
                value -= std::int64_t{1} << field.valueBits;
            values.push_back({field.usage, value, value < field.logicalMinimum || value > field.logicalMaximum,
                              field.logicalMinimum, field.logicalMaximum});
        }
    }
    return values;
}

}  // namespace kr
