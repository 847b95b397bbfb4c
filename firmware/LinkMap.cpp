// SPDX-License-Identifier: MIT
#include "firmware/LinkMap.h"

#include <regex>
#include <string>

#include "firmware/TextLines.h"

namespace kr::firmware {

bool ReadLinkMap(std::string_view text, LinkMap& map, std::u16string& errorText)
{
    map = {};
    // "C:   00002600  s_HOME"
    const std::regex symbol(R"(^\s*\w?:?\s*([0-9A-Fa-f]{4,8})\s+([sl]_\S+)\s*$)");
    ForEachLine(text, [&](std::string_view view) {
        const std::string line(view);
        std::smatch m;
        if (!std::regex_match(line, m, symbol))
            return;
        const std::uint32_t value = static_cast<std::uint32_t>(std::stoul(m[1].str(), nullptr, 16));
        const std::string name = m[2].str();
        AreaPlacement& area = map[name.substr(2)];
        (name[0] == 's' ? area.start : area.length) = value;
    });
    if (map.empty()) {
        errorText = u"the linker's map names no area";
        return false;
    }
    return true;
}

}  // namespace kr::firmware
