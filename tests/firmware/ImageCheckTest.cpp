// SPDX-License-Identifier: MIT
// The image checks on hand-made images: each broken rule is found and named
// with its addresses, and a good image passes.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "firmware/ImageCheck.h"
#include "platform/Utf.h"

namespace kr::firmware {
namespace {

using ::testing::ElementsAreArray;

struct Image {
    HexImage hex;
    std::string linker;
};

// Vectors at the application start, code from 0x2960, one descriptor array
// and the configuration block.
Image GoodImage()
{
    Image image;
    const std::pair<std::uint32_t, std::vector<std::uint8_t>> runs[] = {{0x2600, {0x02, 0x29, 0x60}},
                                                                        {0x2960, {0x75, 0x81, 0x52, 0x22}},
                                                                        {0x2683, {0x12, 0x01, 0x00, 0x02}},
                                                                        {0xF9EE, {0x80, 0x05}},
                                                                        {0xF9FF, {0xFF}}};
    for (const auto& [address, bytes] : runs)
        for (std::uint32_t i = 0; i < bytes.size(); ++i)
            image.hex.bytes[address + i] = bytes[i];
    return image;
}

struct Case {
    const char* name;
    std::function<void(Image&)> change;
    std::vector<std::string> problems;
};

const std::string kMoved = "No jump at the application start 0x2600: the linker moved the reset and interrupt "
                           "vectors (an interrupt above 15, or library code in the HOME area, does that).";

const Case kCases[] = {
    {"Good", [](Image&) {}, {}},
    {"AjmpAndSjmpAreJumps", [](Image& i) { i.hex.bytes[0x2600] = 0xE1; }, {}},
    {"DoubleWrite",
     [](Image& i) {
         i.hex.writtenTwice = {0x2961, 0x2962, 0x2970};
     },
     {"Written twice: 0x2961-0x2962, 0x2970."}},
    {"VectorsMoved", [](Image& i) { i.hex.bytes.erase(0x2600); }, {kMoved}},
    {"RetiAtStart", [](Image& i) { i.hex.bytes[0x2600] = 0x32; }, {kMoved}},
    {"PastFFFF",
     [](Image& i) {
         i.hex.bytes[0x10000] = 1;
         i.hex.bytes[0x10001] = 2;
     },
     {"Outside the application's flash 0x2600-0xF9FF: 0x010000-0x010001."}},
    {"BelowStartAndAboveFlash",
     [](Image& i) {
         i.hex.bytes[0x0000] = 2;
         i.hex.bytes[0xFA00] = 0;
     },
     {"Outside the application's flash 0x2600-0xF9FF: 0x0000, 0xFA00."}},
    {"LinkerOverlap",
     [](Image& i) { i.linker = "\n?ASlink-Warning-Memory Overlap in area CSEG  \r\nok\n"; },
     {"The linker reported: ?ASlink-Warning-Memory Overlap in area CSEG"}},
    {"SeveralAtOnce",
     [](Image& i) {
         i.hex.bytes.erase(0x2600);
         i.hex.bytes[0xFA00] = 0;
     },
     {kMoved, "Outside the application's flash 0x2600-0xF9FF: 0xFA00."}},
};

class ImageCheck : public ::testing::TestWithParam<Case> {};

TEST_P(ImageCheck, FindsEachBrokenRule)
{
    Image image = GoodImage();
    GetParam().change(image);
    std::vector<std::string> problems;
    for (const std::u16string& problem : CheckImage(image.hex, image.linker, kKR7611Memory))
        problems.push_back(platform::ToUtf8(problem));
    EXPECT_THAT(problems, ElementsAreArray(GetParam().problems));
}

INSTANTIATE_TEST_SUITE_P(Images, ImageCheck, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kr::firmware
