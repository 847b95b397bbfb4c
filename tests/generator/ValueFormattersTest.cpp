// SPDX-License-Identifier: MIT
#include "generator/ValueFormatters.h"

#include <algorithm>
#include <gtest/gtest.h>

#include "platform/NumberText.h"
#include "platform/Utf.h"

namespace kr {
namespace {

using platform::ToUtf8;

// Reads descriptor initializer text back into the bytes a C compiler would
// see: 0xNN numbers and 'c' character literals with \' and \\ escapes.
std::vector<int> CompileBytes(const std::u16string& body)
{
    std::vector<int> bytes;
    const std::string text = ToUtf8(body);
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, 2, "0x") == 0) {
            bytes.push_back(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 4;
        } else if (text[i] == '\'') {
            const bool escaped = text[i + 1] == '\\';
            const char c = text[i + 1 + escaped];
            EXPECT_TRUE(!escaped || c == '\'' || c == '\\') << text.substr(i, 5);
            EXPECT_EQ(text[i + 2 + escaped], '\'') << text.substr(i, 5);
            bytes.push_back(static_cast<unsigned char>(c));
            i += 3 + escaped;
        } else {
            EXPECT_TRUE(text[i] == ',' || text[i] == ' ' || text[i] == '\r' || text[i] == '\n') << "stray " << text[i];
            ++i;
        }
    }
    return bytes;
}

TEST(ValueFormatters, NumbersTakeTheirFixedShape)
{
    EXPECT_EQ(FormatHexByte(0), u"0x00");
    EXPECT_EQ(FormatHexByte(0xAB), u"0xAB");
    EXPECT_EQ(FormatHexByte(0x1FE), u"0xFE");
    EXPECT_EQ(FormatHexByte(-2), u"0xFE");
    EXPECT_EQ(platform::FormatDecimal(0), u"0");
    EXPECT_EQ(platform::FormatDecimal(-8), u"-8");
    EXPECT_EQ(platform::FormatDecimal(4294836225), u"4294836225");
    EXPECT_EQ(platform::FormatDecimal(-2147483647 - 1), u"-2147483648");
    EXPECT_EQ(platform::FormatHex(0, 2), u"00");
    EXPECT_EQ(platform::FormatHex(0xABC, 2), u"ABC");  // never cut
    EXPECT_EQ(platform::FormatHex(0xFFFFFFFF, 4), u"FFFFFFFF");
    EXPECT_EQ(platform::FormatHexLiteral(0x42, 4), u"0x0042");
}

TEST(ValueFormatters, StringDescriptorLayout)
{
    const std::u16string body = FormatStringDescriptorBody(u"AB");
    std::u16string pairs;
    for (int i = 0; i < 8; ++i)
        pairs += u"0x00,0x00, ";
    pairs.pop_back();
    EXPECT_EQ(body.substr(0, body.find(u"\r\n")),
              u"   0x06,0x03, 'A', 0x00, 'B', 0x00, 0x00,0x00, 0x00,0x00, 0x00,0x00, 0x00,0x00, 0x00,0x00,");
    EXPECT_EQ(body.substr(body.find(u"\r\n")).substr(0, 2 + 3 + pairs.size() + 2), u"\r\n   " + pairs + u"\r\n");
    EXPECT_EQ(body.substr(body.size() - 2), u", ");
    EXPECT_EQ(std::count(body.begin(), body.end(), u'\n'), 7);
}

TEST(ValueFormatters, StringDescriptorHoldsTheTextsCodeUnitsAndItsLength)
{
    struct Case {
        std::u16string text;
        std::u16string written;  // the code units the descriptor carries
    };
    const std::u16string sixtyTwo(62, u'x');
    const Case cases[] = {
        {u"", u""},
        {std::u16string(61, u'a'), std::u16string(61, u'a')},
        {sixtyTwo, sixtyTwo},
        {std::u16string(70, u'z'), std::u16string(62, u'z')},
        {u"O'Neil \\ Co", u"O'Neil \\ Co"},
        {u"Caf\u00E9 \u20AC", u"Caf\u00E9 \u20AC"},
        {u"Two\r\nlines\t\u0001", u"Two\r\nlines\t\u0001"},
        // A surrogate pair that would straddle the cut is left out whole.
        {std::u16string(61, u'p') + u"\U0001F600", std::u16string(61, u'p')},
        {std::u16string(60, u'p') + u"\U0001F600", std::u16string(60, u'p') + u"\U0001F600"},
    };
    for (const Case& c : cases) {
        const std::vector<int> bytes = CompileBytes(FormatStringDescriptorBody(c.text));
        ASSERT_EQ(bytes.size(), 126u) << ToUtf8(c.text);
        EXPECT_EQ(bytes[0], 2 * int(c.written.size()) + 2) << ToUtf8(c.text);
        EXPECT_EQ(bytes[1], 0x03);
        for (std::size_t slot = 0; slot < 62; ++slot) {
            const int unit = slot < c.written.size() ? c.written[slot] : 0;
            EXPECT_EQ(bytes[2 + 2 * slot] | bytes[3 + 2 * slot] << 8, unit) << ToUtf8(c.text) << " slot " << slot;
        }
    }
}

TEST(ValueFormatters, StringDescriptorSpellsEachCodeUnit)
{
    // The first slot follows the header; an empty slot follows it.
    auto firstSlot = [](const std::u16string& text) {
        const std::u16string body = FormatStringDescriptorBody(text);
        return body.substr(14, body.find(u"0x00,0x00, ", 14) - 14);
    };
    EXPECT_EQ(firstSlot(u"A"), u"'A', 0x00, ");
    EXPECT_EQ(firstSlot(u"'"), u"'\\'', 0x00, ");
    EXPECT_EQ(firstSlot(u"\\"), u"'\\\\', 0x00, ");
    EXPECT_EQ(firstSlot(u"\u00E9"), u"0xE9,0x00, ");
    EXPECT_EQ(firstSlot(u"\u20AC"), u"0xAC,0x20, ");
    EXPECT_EQ(firstSlot(u"\n"), u"0x0A,0x00, ");
    EXPECT_EQ(FormatStringDescriptorBody(std::u16string(62, u'x')).substr(3, 4), u"0x7E");
}

TEST(ValueFormatters, CommentSafeTextBlanksControlCharacters)
{
    using namespace std::string_literals;
    EXPECT_EQ(CommentSafeText(u"Line one\r\nline two\t\u0000\u007F\u0085end"s), u"Line one  line two    end");
    EXPECT_EQ(CommentSafeText(u"Caf\u00E9 'x' \\ \u20AC"), u"Caf\u00E9 'x' \\ \u20AC");
}

}  // namespace
}  // namespace kr
