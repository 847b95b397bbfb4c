// SPDX-License-Identifier: MIT
#pragma once
// The memory a built image uses, as embedded builds report it after a link:
// code bytes used and free, internal RAM, external RAM.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "firmware/IntelHex.h"
#include "firmware/MemoryMap.h"

namespace kr::firmware {

// Three lines, each ending in "\n". Code counts the image's bytes in the
// application's flash; internal RAM is read from the linker's memory summary
// (memText, the .mem file: where the stack starts and what is left for it);
// external RAM from its paged and unpaged external RAM sizes. The stack's
// line states the minimum room it needs. A figure the summary does not give
// is shown as "?".
// What the check of the link found, where it knows better than the summary:
// the stack's room below any variable placed in it, and the highest XRAM
// address a variable lies at. The chip's XRAM size is not known, so the XRAM
// line states what the image uses and nothing is refused for its size.
struct LinkFigures {
    std::optional<std::uint32_t> stackRoom;
    std::optional<std::uint32_t> highestExternalRam;
};

std::u16string SizeSummary(const HexImage& image, std::string_view memText, const MemoryMap& memory, long minimumStack,
                           const LinkFigures& figures = {});

}  // namespace kr::firmware
