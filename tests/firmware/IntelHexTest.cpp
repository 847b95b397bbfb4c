// SPDX-License-Identifier: MIT
// Reading Intel HEX images: bytes by address, addresses written twice,
// extended addresses, and records that are not what they claim.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "firmware/IntelHex.h"
#include "platform/Utf.h"

namespace kr::firmware {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

TEST(IntelHex, ReadsBytesAndAddressesWrittenTwice)
{
    const std::string text = ":032600000229604C\r\n"
                             "\r\n"
                             ":02260100AABB72\n"  // rewrites 0x2601-0x2602
                             ":020000040001F9\n"  // extended linear address 0x10000
                             ":01000000CC33\n"
                             ":00000001FF\n"
                             ":01000000DD22\n";  // after the end: not read
    HexImage image;
    std::u16string error = u"stale";
    ASSERT_TRUE(ReadIntelHex(text, image, error)) << platform::ToUtf8(error);
    EXPECT_TRUE(error.empty());
    EXPECT_THAT(image.bytes,
                ElementsAre(Pair(0x2600u, 0x02), Pair(0x2601u, 0xAA), Pair(0x2602u, 0xBB), Pair(0x10000u, 0xCC)));
    EXPECT_THAT(image.writtenTwice, ElementsAre(0x2601u, 0x2602u));
}

TEST(IntelHex, RecordCrossingFFFFRunsPastIt)
{
    HexImage image;
    std::u16string error;
    ASSERT_TRUE(ReadIntelHex(":02FFFF001122CD\n", image, error)) << platform::ToUtf8(error);
    EXPECT_THAT(image.bytes, ElementsAre(Pair(0xFFFFu, 0x11), Pair(0x10000u, 0x22)));
}

TEST(IntelHex, RefusesMalformedRecordsNamingTheLine)
{
    const std::pair<std::string, std::string> cases[] = {
        {":032600000229604D\n", "Wrong checksum: line 1"},
        {":00000001FF\n", ""},
        {":00000001FF\r\nnot read after the end-of-file record\n", ""},
        {"\r\n:032600000229604D\r\n", "Wrong checksum: line 2"},
        {"\n032600000229604C\n", "Not an Intel HEX record: line 2"},
        {":0326000002296\n", "Not an Intel HEX record: line 1"},
        {":042600000229604C\n", "Not an Intel HEX record: line 1"},
        {":0326000002G9604C\n", "Not an Intel HEX record: line 1"},
        {":00000003FD\n", "Unknown Intel HEX record type: line 1"},
        {":0100000401FA\n", "Not an Intel HEX record: line 1"},
    };
    for (const auto& [text, message] : cases) {
        HexImage image;
        std::u16string error;
        EXPECT_EQ(ReadIntelHex(text, image, error), message.empty()) << text;
        EXPECT_EQ(platform::ToUtf8(error), message) << text;
    }
}

}  // namespace
}  // namespace kr::firmware
