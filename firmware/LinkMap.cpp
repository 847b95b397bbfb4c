// SPDX-License-Identifier: MIT
#include "firmware/LinkMap.h"

#include <cctype>
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

std::vector<MapSymbol> ReadMapSymbols(std::string_view text)
{
    // "XSEG                                00000200    00000402 =        1026. bytes (REL,CON,XDATA)"
    // "D:   00000202  ___sdcc_heap                       _heap"
    const std::regex area(R"(^(\S+)\s+[0-9A-Fa-f]{8}\s+[0-9A-Fa-f]{8}\s+=\s+\d+\. bytes \()");
    const std::regex symbol(R"(^\s*(?:\w:)?\s+([0-9A-Fa-f]{8})\s+(\S+)\s+(\S+)\s*$)");
    std::vector<MapSymbol> symbols;
    std::string current;
    ForEachLine(text, [&](std::string_view view) {
        const std::string line(view);
        std::smatch m;
        if (std::regex_search(line, m, area))
            current = m[1].str();
        else if (!current.empty() && std::regex_match(line, m, symbol))
            symbols.push_back(
                {current, m[2].str(), static_cast<std::uint32_t>(std::stoul(m[1].str(), nullptr, 16)), m[3].str()});
    });
    return symbols;
}

InternalRamLayout ReadInternalRamLayout(std::string_view memText)
{
    // "0x40:| | | | | | | | | | |a|a|a|a|a|I|"
    InternalRamLayout layout;
    int rows = 0;
    ForEachLine(memText, [&](std::string_view line) {
        if (line.size() < 38 || !line.starts_with("0x") || line[4] != ':' || line[5] != '|'
            || !std::isxdigit(static_cast<unsigned char>(line[2])) || line[3] != '0')
            return;
        const unsigned row = static_cast<unsigned>(std::stoul(std::string(line.substr(2, 2)), nullptr, 16));
        if (row % 16 != 0)
            return;
        for (unsigned i = 0; i < 16; ++i)
            layout.bytes[row + i] = line[6 + 2 * i];
        ++rows;
    });
    layout.known = rows == 16;
    return layout;
}

}  // namespace kr::firmware
