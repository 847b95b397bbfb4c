// SPDX-License-Identifier: MIT
// What a build reads from the project besides the image: the data the C
// sources place at fixed addresses, the workspace's flags, and the linker's
// memory summary.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "firmware/FixedPlacements.h"
#include "firmware/SizeSummary.h"
#include "firmware/Workspace.h"
#include "platform/Utf.h"

namespace kr::firmware {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(FixedPlacements, ArraysStructuresAndBytesWithInitializersOnly)
{
    const std::u16string source =
        u"// __code __at (0x1000) U8 InComment[] = { 1 };\r\n"
        u"__sfr __at (0x90) GPIO_LO;\r\n"
        u"__xdata __at (0x01F0) U8 Status;\r\n"
        u"__bit __at (0x00) Flag;\r\n"
        u"__code __at (0x2683) U8 Dev[] =\r\n{\r\n   0x12, ID, /* a, b */ ' ', ',',\r\n};\r\n"
        u"__code __at (0xF9EE) Caps_t Caps = { ID, 5 };\r\n"
        u"__code __at ( BASE ) U8 Lock = 0xFF;\r\n"
        u"U8 __at_not_a_placement = 3;\r\n"
        u"#define AT(a) __at a\r\n"
        u"U8 x = 4;\r\n";
    const std::map<std::u16string, long> defines = {{u"ID", 0x81}, {u"BASE", 0xF9FF}};
    std::vector<FixedPlacement> placements;
    std::u16string error = u"stale";
    ASSERT_TRUE(ReadFixedPlacements(source, defines, placements, error)) << platform::ToUtf8(error);
    EXPECT_THAT(error, IsEmpty());
    ASSERT_EQ(placements.size(), 3u);
    EXPECT_EQ(placements[0].address, 0x2683u);
    EXPECT_EQ(placements[0].name, u"Dev");
    EXPECT_THAT(placements[0].bytes, ElementsAre(0x12, 0x81, ' ', ','));
    EXPECT_EQ(placements[1].name, u"Caps");
    EXPECT_THAT(placements[1].bytes, ElementsAre(0x81, 5));
    EXPECT_EQ(placements[2].address, 0xF9FFu);
    EXPECT_THAT(placements[2].bytes, ElementsAre(0xFF));

    const std::pair<std::u16string, std::string> bad[] = {
        {u"__code __at (0x2683) U8 A[] = { 1, NOPE };", "A: unknown element NOPE"},
        {u"__code __at (WHERE) U8 B = 1;", "Cannot read the placement of B"},
        {u"__code __at (0x12345) U8 C = 1;", "Cannot read the placement of C"},
        {u"__code __at (0x2683) U8 D[] = { 1, 2 ;", "D: no closing brace"},
    };
    for (const auto& [text, message] : bad) {
        EXPECT_FALSE(ReadFixedPlacements(text, defines, placements, error));
        EXPECT_EQ(platform::ToUtf8(error), message);
    }
}

TEST(Workspace, SettingsAndTheFlagsABuildUses)
{
    const std::string workspace = "[WorkState_v1_1.CompFlag]\r\nCompFlag=-c --debug --use-stdout -V\r\n"
                                  "[WorkState_v1_1.LinkFlag]\r\nLinkFlag=--debug  -V --code-loc 0x2600\t-Wl -bX=1\r\n"
                                  "[WorkState_v1_1.Empty]\r\nEmpty=\r\n";
    EXPECT_EQ(WorkspaceSetting(workspace, "CompFlag"), "-c --debug --use-stdout -V");
    EXPECT_EQ(WorkspaceSetting(workspace, "Empty"), "");
    EXPECT_EQ(WorkspaceSetting(workspace, "Comp"), std::nullopt);
    EXPECT_EQ(WorkspaceSetting(workspace, "WorkState_v1_1.CompFlag"), std::nullopt);
    EXPECT_THAT(BuildFlags(*WorkspaceSetting(workspace, "CompFlag")), ElementsAre("--debug"));
    EXPECT_THAT(BuildFlags(*WorkspaceSetting(workspace, "LinkFlag")),
                ElementsAre("--debug", "--code-loc", "0x2600", "-Wl", "-bX=1"));
}

TEST(SizeSummary, CodeFromTheImageAndRamFromTheLinkersSummary)
{
    HexImage image;
    for (std::uint32_t a = 0x2600; a < 0x2610; ++a)
        image.bytes[a] = 0;
    image.bytes[0xF9FF] = 0xFF;
    image.bytes[0x10000] = 0;   // outside the flash: not counted
    const std::string mem = "Stack starts at: 0x53 (sp set to 0x52) with 173 bytes available.\n"
                            "   PAGED EXT. RAM   0x0200   0x0202       3      256   \n"
                            "   EXTERNAL RAM     0x0203   0x020a       8    65536   \n";
    EXPECT_EQ(platform::ToUtf8(SizeSummary(image, mem, kKR7611Memory)),
              "Code:         17 bytes used, 54255 free of 54272 (0x2600-0xF9FF)\n"
              "Internal RAM: 9 bytes of variables, 173 bytes left for the stack\n"
              "XRAM:         11 bytes of variables\n");
    EXPECT_EQ(platform::ToUtf8(SizeSummary(image, "", kKR7611Memory)),
              "Code:         17 bytes used, 54255 free of 54272 (0x2600-0xF9FF)\n"
              "Internal RAM: ? bytes of variables, ? bytes left for the stack\n"
              "XRAM:         ? bytes of variables\n");
}

}  // namespace
}  // namespace kr::firmware
