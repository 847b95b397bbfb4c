// SPDX-License-Identifier: MIT
// Finding the user's code regions in a file's bytes and carrying them into a
// newly generated file by name.

#include "generator/UserCodeRegions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace kr {
namespace {

using ::testing::ElementsAre;

std::string B(std::string_view name)
{
    return "//! BEGIN user code: " + std::string(name) + "\r\n";
}
std::string E(std::string_view name)
{
    return "//! END user code: " + std::string(name) + "\r\n";
}

// Every byte value but the line end, spread over lines, and a CR alone.
std::string EveryByte()
{
    std::string text;
    for (int b = 0; b < 256; ++b) {
        if (b != '\n')
            text += static_cast<char>(b);
        if (b % 64 == 63)
            text += "\r\n";
    }
    return text + "\r\n";
}

struct PairingCase {
    const char* label;
    std::string bytes;
    std::vector<std::string> names;  // the intact regions
    std::vector<std::string> broken;  // regions whose markers do not pair up
};

class Pairing : public ::testing::TestWithParam<PairingCase> {};

TEST_P(Pairing, FindsTheIntactRegionsAndNamesTheBrokenOnes)
{
    const UserCodeScan scan = ScanUserCodeRegions(GetParam().bytes);
    std::vector<std::string> names;
    for (const UserCodeRegion& r : scan.regions)
        names.push_back(r.name);
    EXPECT_EQ(names, GetParam().names);
    EXPECT_EQ(scan.broken, GetParam().broken);
    // The strict reading refuses a file with any broken region.
    EXPECT_EQ(FindUserCodeRegions(GetParam().bytes).has_value(), GetParam().broken.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Markers, Pairing,
    ::testing::Values(
        PairingCase{"none", "int x;\r\n// BEGIN user code: a\r\n", {}, {}},
        PairingCase{"two", "x\r\n" + B("a") + "y\r\n" + E("a") + B("b c") + E("b c"), {"a", "b c"}, {}},
        PairingCase{"indentedLfAndTrailingBlanks", "   //! BEGIN user code: a \t\n\t//! END user code: a\n", {"a"}, {}},
        PairingCase{"lastLineWithoutLineEnd", B("a") + "//! END user code: a", {"a"}, {}},
        PairingCase{"markerInsideText", "x = 1; //! BEGIN user code: a\r\n", {}, {}},
        PairingCase{"nested", B("a") + B("b") + E("b") + E("a"), {"b"}, {"a"}},
        PairingCase{"endLineLost", B("a") + "x\r\n" + B("b") + "y\r\n" + E("b") + B("c") + E("c"), {"b", "c"}, {"a"}},
        PairingCase{"beginLineLost", B("a") + E("a") + "x\r\n" + E("b") + B("c") + E("c"), {"a", "c"}, {"b"}},
        PairingCase{"otherName", B("a") + E("b"), {}, {"a", "b"}},
        PairingCase{"leftOpen", B("b") + E("b") + B("a") + "code\r\n", {"b"}, {"a"}},
        PairingCase{"sameNameTwice", B("a") + E("a") + B("b") + E("b") + B("a") + E("a"), {"b"}, {"a"}},
        PairingCase{"emptyNames", "//! BEGIN user code:\r\n//! END user code: \r\n", {""}, {}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CarryUserCode, RegionTextsMoveByNameByteForByte)
{
    const std::string user = EveryByte();
    const std::string existing = "old head\r\n" + B("b") + "  b();\n" + E("b") + B("a") + user + E("a") + "old tail";
    const std::string generated = "new head\r\n" + B("a") + "// a here\r\n" + E("a") + "mid\r\n" + B("c")
                                  + "// c here\r\n" + E("c") + "   " + B("b") + E("b") + "new tail\r\n";

    const UserCodeCarry carry = CarryUserCode(existing, generated);

    EXPECT_EQ(carry.bytes, "new head\r\n" + B("a") + user + E("a") + "mid\r\n" + B("c") + "// c here\r\n" + E("c")
                               + "   " + B("b") + "  b();\n" + E("b") + "new tail\r\n");
    EXPECT_FALSE(carry.KeepExisting());
}

TEST(CarryUserCode, ExistingFilesThatCannotBeCarriedWhole)
{
    const std::string generated = "new\r\n" + B("a") + "default\r\n" + E("a");
    struct Row {
        const char* label;
        std::string existing;
        std::string bytes;
        std::vector<std::string> orphaned;
        std::vector<std::string> broken;
    };
    const Row rows[] = {
        {"noMarkers", "int main;\r\n", generated, {}, {}},
        {"empty", "", generated, {}, {}},
        {"regionsTheNewFileLacks",
         B("x") + "mine\r\n" + E("x") + B("a") + "kept\r\n" + E("a") + B("y") + E("y"),
         "new\r\n" + B("a") + "kept\r\n" + E("a"),
         {"x", "y"},
         {}},
        {"leftOpen", B("a") + "mine\r\n", generated, {}, {"a"}},
        // The END line of x is gone: a is carried all the same.
        {"oneBrokenAmongIntact",
         B("x") + "lost\r\n" + B("a") + "kept\r\n" + E("a"),
         "new\r\n" + B("a") + "kept\r\n" + E("a"),
         {},
         {"x"}},
    };
    for (const Row& row : rows) {
        const UserCodeCarry carry = CarryUserCode(row.existing, generated);
        EXPECT_EQ(carry.bytes, row.bytes) << row.label;
        EXPECT_EQ(carry.orphaned, row.orphaned) << row.label;
        EXPECT_EQ(carry.broken, row.broken) << row.label;
        EXPECT_FALSE(carry.unpaired) << row.label;
        EXPECT_EQ(carry.KeepExisting(), !row.broken.empty() || !row.orphaned.empty()) << row.label;
    }
    // A generated file whose own markers do not pair up carries nothing, and
    // the existing file's code must then be kept.
    const UserCodeCarry broken = CarryUserCode(B("a") + "mine\r\n" + E("a"), B("a"));
    EXPECT_EQ(broken.bytes, B("a"));
    EXPECT_TRUE(broken.unpaired);
    EXPECT_TRUE(broken.KeepExisting());
}

}  // namespace
}  // namespace kr
