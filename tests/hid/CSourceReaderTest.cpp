// SPDX-License-Identifier: MIT
#include "hid/CSourceReader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/Utf.h"

namespace kr {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

TEST(CSourceReader, NumericDefinesInEveryCNotation)
{
    const std::u16string header = u"#ifndef _H_\r\n"
                                  u"#define _H_\r\n"
                                  u"#define HEX          0x1A\r\n"
                                  u"#define DECIMAL      18   // trailing comment\r\n"
                                  u"  #define   OCTAL\t010\r\n"
                                  u"#define WORD 0xFFFF\n"
                                  u"#define TEXT \"0x10\"\r\n"
                                  u"#define EXPR (1 + 2)\r\n"
                                  u"#define CALL(x) 1\r\n"
                                  u"#define SUFFIXED 1U\r\n"
                                  u"// #define COMMENTED 5\r\n"
                                  u"#defineGLUED 1\r\n";
    EXPECT_THAT(ReadNumericDefines(header),
                ElementsAre(Pair(u"DECIMAL", 18), Pair(u"HEX", 0x1A), Pair(u"OCTAL", 8), Pair(u"WORD", 0xFFFF)));
}

TEST(CSourceReader, ByteArrayElementsAreNumbersCharactersAndMacrosBetweenComments)
{
    const std::map<std::u16string, long> defines = {{u"ID", 0x85}, {u"BIG", 256}};
    const std::u16string source = u"// HidReportDesc[] = { 9 } in a comment is not the array\r\n"
                                  u"code U8 OtherHidReportDesc[] = { 7 };\r\n"
                                  u"char note[] = \"HidReportDesc[] = { 8 }\";\r\n"
                                  u"code U8 HidReportDesc [ ] =\r\n{\r\n"
                                  u"   0x06, 0x00, 0xFF,   // USAGE_PAGE (1, 2)\r\n"
                                  u"   /* a, b */ ID, 255, 010,\r\n"
                                  u"   ' ', ',', '\\'', '\\\\', '\\x41', '\\0',\r\n"
                                  u"};\r\n";
    std::vector<std::uint8_t> bytes;
    std::u16string error = u"stale";
    ASSERT_TRUE(ReadByteArray(source, u"HidReportDesc", defines, bytes, error)) << platform::ToUtf8(error);
    EXPECT_THAT(bytes, ElementsAre(0x06, 0x00, 0xFF, 0x85, 0xFF, 8, ' ', ',', '\'', '\\', 0x41, 0));
    EXPECT_THAT(error, IsEmpty());

    struct Case {
        std::u16string source;
        const char* error;
    };
    const Case bad[] = {
        {u"U8 Other[] = { 1 };", "no initializer of A"},
        {u"U8 A[] = { 1, UNKNOWN };", "A: unknown element UNKNOWN"},
        {u"U8 A[] = { 1, BIG };", "A: not a byte: BIG"},
        {u"U8 A[] = { 0x100 };", "A: not a byte: 0x100"},
        {u"U8 A[] = { 1,, 2 };", "A: empty element"},
        {u"U8 A[] = { 0x1G };", "A: unknown element 0x1G"},
        {u"U8 A[] = { 1, 2", "A: no closing brace"},
        {u"U8 A[] = { 'ab' };", "A: unknown element 'ab'"},
        {u"U8 A[] = { '\\q' };", "A: unknown element '\\q'"},
    };
    for (const Case& c : bad) {
        EXPECT_FALSE(ReadByteArray(c.source, u"A", defines, bytes, error));
        EXPECT_EQ(platform::ToUtf8(error), c.error);
    }
}

}  // namespace
}  // namespace kr
