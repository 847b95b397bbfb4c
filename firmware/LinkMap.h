// SPDX-License-Identifier: MIT
#pragma once
// What the linker's map file (.map) says of a link: where each relocatable
// area begins and how long it is, from the s_AREA and l_AREA symbols the
// linker defines, and the global symbols it lists area by area with the
// module, library modules included, that defines each; and what its memory
// summary (.mem) draws of the internal RAM, byte by byte.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kr::firmware {

struct AreaPlacement {
    std::uint32_t start = 0;
    std::uint32_t length = 0;
};

using LinkMap = std::map<std::string, AreaPlacement>;  // by area name

// Reads the map. False with errorText when it holds no area placement at all.
bool ReadLinkMap(std::string_view text, LinkMap& map, std::u16string& errorText);

// A global symbol of the map's listing of an area.
struct MapSymbol {
    std::string area;  // "XSEG"
    std::string name;  // "___sdcc_heap"
    std::uint32_t value = 0;
    std::string module;  // "_heap"
};

// The global symbols the map lists under each area, in the map's order.
std::vector<MapSymbol> ReadMapSymbols(std::string_view text);

// The internal RAM as the memory summary draws it: one character a byte,
// ' ' for a byte nothing was placed in, '0'-'3' a register bank, 'T' bit
// registers, 'B' the bytes of the bit segment, 'a'-'z' data (one letter a
// module), 'Q' overlays, 'I' indirect data, 'S' the stack, 'A' absolute
// areas. known is false when the summary draws no layout.
struct InternalRamLayout {
    bool known = false;
    std::array<char, 256> bytes{};
};

InternalRamLayout ReadInternalRamLayout(std::string_view memText);

}  // namespace kr::firmware
