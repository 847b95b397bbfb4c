// SPDX-License-Identifier: MIT
#pragma once
// What the linker's map file (.map) says of a link: where each relocatable
// area begins and how long it is, from the s_AREA and l_AREA symbols the
// linker defines.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace kr::firmware {

struct AreaPlacement {
    std::uint32_t start = 0;
    std::uint32_t length = 0;
};

using LinkMap = std::map<std::string, AreaPlacement>;  // by area name

// Reads the map. False with errorText when it holds no area placement at all.
bool ReadLinkMap(std::string_view text, LinkMap& map, std::u16string& errorText);

}  // namespace kr::firmware
