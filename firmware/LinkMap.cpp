// SPDX-License-Identifier: MIT
#include "firmware/LinkMap.h"

#include <regex>
#include <string>

namespace kr::firmware {

bool ReadLinkMap(std::string_view text, LinkMap& map, std::u16string& errorText)
{
    map = {};
    // "C:   00002600  s_HOME"
    const std::regex symbol(R"(^\s*\w?:?\s*([0-9A-Fa-f]{4,8})\s+([sl]_\S+)\s*$)");
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string line(text.substr(start, end - start));
        start = end + 1;
        std::smatch m;
        if (!std::regex_match(line, m, symbol))
            continue;
        const std::uint32_t value = static_cast<std::uint32_t>(std::stoul(m[1].str(), nullptr, 16));
        const std::string name = m[2].str();
        AreaPlacement& area = map[name.substr(2)];
        (name[0] == 's' ? area.start : area.length) = value;
    }
    if (map.empty()) {
        errorText = u"the linker's map names no area";
        return false;
    }
    return true;
}

}  // namespace kr::firmware
