// SPDX-License-Identifier: MIT
#include "platform/Utf.h"
#include "platform/Windows1252.h"

#include <gtest/gtest.h>

namespace kr::platform {
namespace {

TEST(Windows1252, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const std::u16string text = DecodeWindows1252(all);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(EncodeWindows1252(text), all);
}

TEST(Windows1252, DecodesTheCodePageCharacters)
{
    EXPECT_EQ(DecodeWindows1252("\x80\x9F\xA6\xAB\xBB\xB6\xE9"), u"\u20AC\u0178\u00A6\u00AB\u00BB\u00B6\u00E9");
    // The five undefined bytes become the control characters of the same value.
    EXPECT_EQ(DecodeWindows1252("\x81\x8D\x8F\x90\x9D"), u"\u0081\u008D\u008F\u0090\u009D");
}

TEST(Windows1252, UnrepresentableCharactersBecomeQuestionMarks)
{
    // U+0080 is a C1 control the code page does not hold; U+0100 and U+4E2D
    // are outside it; a surrogate pair is one character and one '?'.
    EXPECT_EQ(EncodeWindows1252(u"a\u0080b\u0100c\u4E2Dd\U0001F600e"), "a?b?c?d?e");
    EXPECT_EQ(EncodeWindows1252(u"\u20AC\u2122"), "\x80\x99");
}

TEST(Utf, ConvertsBothWaysWithoutLoss)
{
    const std::u16string text = u"A\u00E9\u20AC\U0001F600z";
    const std::string utf8 = ToUtf8(text);
    EXPECT_EQ(utf8, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z");
    EXPECT_EQ(FromUtf8(utf8), text);
}

TEST(Utf, InvalidInputBecomesReplacementCharacters)
{
    EXPECT_EQ(FromUtf8("a\xFF"
                       "b"),
              u"a\uFFFDb");
    EXPECT_EQ(FromUtf8("a\xC3"), u"a\uFFFD");  // truncated sequence
    EXPECT_EQ(FromUtf8("\xC0\xAF"
                       "x"),
              u"\uFFFDx");  // overlong form
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD");  // encoded surrogate
    EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

}  // namespace
}  // namespace kr::platform
