// SPDX-License-Identifier: MIT
#include "firmware/IntelHex.h"

#include <set>

#include "firmware/TextLines.h"
#include "platform/NumberText.h"

namespace kr::firmware {

using platform::FormatDecimal;

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The bytes of one record line after its colon, or false when a character
// is not a hexadecimal digit or the count is odd.
bool RecordBytes(std::string_view digits, std::vector<std::uint8_t>& bytes)
{
    if (digits.size() % 2 != 0)
        return false;
    bytes.clear();
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        const int high = HexDigit(digits[i]);
        const int low = HexDigit(digits[i + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return true;
}

}  // namespace

bool ReadIntelHex(std::string_view text, HexImage& image, std::u16string& errorText)
{
    errorText.clear();
    image = {};
    std::set<std::uint32_t> twice;
    std::uint32_t base = 0;
    std::size_t lineNumber = 0;
    std::vector<std::uint8_t> record;

    // The walk stops at the end-of-file record or at the first fault, which
    // fail states in errorText.
    bool failed = false;
    auto fail = [&](std::u16string message) {
        errorText = std::move(message);
        failed = true;
        return false;
    };
    ForEachLine(text, [&](std::string_view line) {
        ++lineNumber;
        if (line.empty())
            return true;

        const std::u16string where = u"line " + FormatDecimal(lineNumber);
        if (line[0] != ':' || !RecordBytes(line.substr(1), record) || record.size() < 5
            || record.size() != 5u + record[0])
            return fail(u"Not an Intel HEX record: " + where);
        std::uint8_t sum = 0;
        for (std::uint8_t b : record)
            sum = static_cast<std::uint8_t>(sum + b);
        if (sum != 0)
            return fail(u"Wrong checksum: " + where);

        const std::uint32_t count = record[0];
        const std::uint32_t offset = (static_cast<std::uint32_t>(record[1]) << 8) | record[2];
        switch (record[3]) {
        case 0x00:
            for (std::uint32_t i = 0; i < count; ++i) {
                const std::uint32_t address = base + offset + i;
                if (!image.bytes.emplace(address, record[4 + i]).second) {
                    image.bytes[address] = record[4 + i];
                    twice.insert(address);
                }
            }
            return true;
        case 0x01:
            return false;  // the end-of-file record: what follows is not read
        case 0x02:
        case 0x04:
            if (count != 2)
                return fail(u"Not an Intel HEX record: " + where);
            base = (static_cast<std::uint32_t>(record[4]) << 8) | record[5];
            base <<= record[3] == 0x02 ? 4 : 16;
            return true;
        default:
            return fail(u"Unknown Intel HEX record type: " + where);
        }
    });
    if (failed)
        return false;
    image.writtenTwice.assign(twice.begin(), twice.end());
    return true;
}

}  // namespace kr::firmware
