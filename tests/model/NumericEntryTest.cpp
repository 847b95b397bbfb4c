// SPDX-License-Identifier: MIT
#include "model/NumericEntry.h"

#include <gtest/gtest.h>

namespace kr {
namespace {

std::uint32_t Value(NumberKind kind, std::u16string_view text)
{
    const EntryResult r = ParseEntry(kind, text);
    EXPECT_TRUE(r.ok) << "refused: " << std::string(text.begin(), text.end());
    EXPECT_TRUE(r.message.empty());
    return r.value;
}

std::u16string Refusal(NumberKind kind, std::u16string_view text)
{
    const EntryResult r = ParseEntry(kind, text);
    EXPECT_FALSE(r.ok) << "accepted: " << std::string(text.begin(), text.end());
    return r.message;
}

TEST(NumericEntry, DecimalTextsReadAsPlainDigitsOnly)
{
    EXPECT_EQ(Value(NumberKind::DecimalWord, u""), 0u);
    EXPECT_EQ(Value(NumberKind::DecimalWord, u"007"), 7u);
    EXPECT_EQ(Value(NumberKind::DecimalWord, u"65535"), 65535u);
    EXPECT_EQ(Value(NumberKind::DecimalDWord, u"4294967294"), 4294967294u);
    EXPECT_EQ(Value(NumberKind::DecimalDWord, u"000000000000000000000012"), 12u);

    for (const char16_t* bad : {u"-1", u"+1", u" 1", u"1 ", u"1e3", u"12a", u"0x10", u"1.0", u"\u0661"})
        EXPECT_EQ(Refusal(NumberKind::DecimalDWord, bad), u"Please enter a positive integer.");
}

TEST(NumericEntry, DecimalOverflowIsRefusedAtEachWidth)
{
    EXPECT_EQ(Refusal(NumberKind::DecimalWord, u"65536"), u"Value overflow");
    EXPECT_EQ(Refusal(NumberKind::DecimalDWord, u"4294967295"), u"Value overflow");
    EXPECT_EQ(Refusal(NumberKind::DecimalDWord, u"4294967296"), u"Value overflow");
    // Far past 64 bits: the conversion saturates instead of wrapping round to
    // a small value that would be stored.
    EXPECT_EQ(Refusal(NumberKind::DecimalDWord, u"18446744073709551617"), u"Value overflow");
    EXPECT_EQ(Refusal(NumberKind::DecimalWord, u"99999999999999999999999999"), u"Value overflow");
    // A bad character is reported even when the digits before it overflow.
    EXPECT_EQ(Refusal(NumberKind::DecimalWord, u"99999999x"), u"Please enter a positive integer.");
}

TEST(NumericEntry, HexTextsAcceptBothCasesButNoPrefix)
{
    EXPECT_EQ(Value(NumberKind::HexByte, u"ff"), 0xFFu);
    EXPECT_EQ(Value(NumberKind::HexByte, u"0A"), 0x0Au);
    EXPECT_EQ(Value(NumberKind::HexByte, u""), 0u);
    EXPECT_EQ(Value(NumberKind::HexWord, u"c4"), 0xC4u);
    EXPECT_EQ(Value(NumberKind::HexWord, u"FfFf"), 0xFFFFu);

    for (const char16_t* bad : {u"0x10", u"G", u"-1", u" A", u"h10"})
        EXPECT_EQ(Refusal(NumberKind::HexWord, bad), u"Please enter a hexadecimal value.");
    EXPECT_EQ(Refusal(NumberKind::HexByte, u"100"), u"Value overflow");
    EXPECT_EQ(Refusal(NumberKind::HexWord, u"10000"), u"Value overflow");
    EXPECT_EQ(Refusal(NumberKind::HexWord, u"FFFFFFFFFFFFFFFFFFFF"), u"Value overflow");
}

TEST(NumericEntry, DisplayFormats)
{
    EXPECT_EQ(FormatEntry(NumberKind::HexByte, 0), u"00");
    EXPECT_EQ(FormatEntry(NumberKind::HexByte, 0x0A), u"0A");
    EXPECT_EQ(FormatEntry(NumberKind::HexWord, 0xC4), u"00C4");
    EXPECT_EQ(FormatEntry(NumberKind::HexWord, 0x1F3A), u"1F3A");
    EXPECT_EQ(FormatEntry(NumberKind::DecimalDWord, 115200), u"115200");
    EXPECT_EQ(FormatEntry(NumberKind::DecimalDWord, 4294967294u), u"4294967294");
    EXPECT_EQ(FormatEntry(NumberKind::DecimalWord, 0), u"0");

    // What is shown reads back as the same value.
    for (NumberKind kind :
         {NumberKind::DecimalWord, NumberKind::DecimalDWord, NumberKind::HexByte, NumberKind::HexWord}) {
        for (std::uint32_t v : {0u, 1u, 0x7Fu, LargestEntry(kind)})
            EXPECT_EQ(Value(kind, FormatEntry(kind, v)), v);
    }
}

TEST(NumericEntry, RangeChecksNameTheirBounds)
{
    EXPECT_FALSE(CheckRange(1, 1, 65535));
    EXPECT_FALSE(CheckRange(65535, 1, 65535));
    EXPECT_EQ(CheckRange(0, 1, 65535), u"Please enter an integer between 1 and 65535.");
    EXPECT_EQ(CheckRange(4000001, 100000, 4000000), u"Please enter an integer between 100000 and 4000000.");
    EXPECT_EQ(CheckRange(4294967294u, 0, 4294967293u), u"Please enter an integer between 0 and 4294967293.");
}

TEST(NumericEntry, EvenChecksRefuseOddAndOutOfRange)
{
    EXPECT_FALSE(CheckEvenRangeWord(0, 0, 500));
    EXPECT_FALSE(CheckEvenRangeWord(500, 0, 500));
    for (std::uint16_t v : {499, 501, 502, 99})
        EXPECT_EQ(CheckEvenRangeWord(v, 0, 500), u"Please enter an even integer between 0 and 500.");

    EXPECT_FALSE(CheckEvenRangeHexByte(0xFE, 0x00, 0xFE));
    EXPECT_FALSE(CheckEvenRangeHexByte(0x10, 0x00, 0xFE));
    EXPECT_EQ(CheckEvenRangeHexByte(0xFF, 0x00, 0xFE), u"Please enter an even integer between 0x00 and 0xFE.");
    EXPECT_EQ(CheckEvenRangeHexByte(0x0F, 0x00, 0xFE), u"Please enter an even integer between 0x00 and 0xFE.");
    EXPECT_EQ(CheckEvenRangeHexByte(0x02, 0x0A, 0x20), u"Please enter an even integer between 0x0A and 0x20.");
}

TEST(NumericEntry, MaxCharsCountsUtf16Characters)
{
    EXPECT_FALSE(CheckMaxChars(std::u16string(61, u'x'), 61));
    EXPECT_EQ(CheckMaxChars(std::u16string(62, u'x'), 61), u"Please enter no more than 61 characters.");
    EXPECT_FALSE(CheckMaxChars(u"", 0));
    EXPECT_EQ(CheckMaxChars(u"\u00e9", 0), u"Please enter no more than 0 characters.");
}

}  // namespace
}  // namespace kr
