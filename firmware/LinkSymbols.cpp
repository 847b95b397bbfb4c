// SPDX-License-Identifier: MIT
#include "firmware/LinkSymbols.h"

#include <algorithm>
#include <regex>

namespace kr::firmware {

LinkSymbols ReadLinkSymbols(std::string_view mapText)
{
    LinkSymbols symbols;
    // "C:   00002965  C$KR761x_Main.c$185$1_0$5      KR761x_Main"
    // "     00000100  _USB_Position_Buffer            KR761x_Main"
    const std::regex symbol(R"(^\s*(?:[A-Z]:)?\s*([0-9A-Fa-f]{8})\s+(\S+))");
    const std::regex line(R"(^C\$(.+)\$(\d+)\$[^$]*\$[^$]*$)");
    std::size_t start = 0;
    while (start < mapText.size()) {
        std::size_t end = mapText.find('\n', start);
        if (end == std::string_view::npos)
            end = mapText.size();
        const std::string text(mapText.substr(start, end - start));
        start = end + 1;
        std::smatch m, l;
        if (!std::regex_search(text, m, symbol))
            continue;
        const std::uint32_t address = static_cast<std::uint32_t>(std::stoul(m[1].str(), nullptr, 16));
        const std::string name = m[2].str();
        if (std::regex_match(name, l, line))
            symbols.lines.push_back({l[1].str(), std::stoi(l[2].str()), address});
        else
            symbols.addresses.emplace(name, address);
    }
    std::stable_sort(symbols.lines.begin(), symbols.lines.end(),
                     [](const SourceLine& a, const SourceLine& b) { return a.address < b.address; });
    return symbols;
}

std::optional<SourceLine> NearestSourceLine(const LinkSymbols& symbols, std::uint32_t address)
{
    const auto after = std::upper_bound(symbols.lines.begin(), symbols.lines.end(), address,
                                        [](std::uint32_t a, const SourceLine& l) { return a < l.address; });
    if (after == symbols.lines.begin())
        return std::nullopt;
    // Of lines that begin at the same address, the last the compiler named
    // is the statement whose code follows.
    return *std::prev(after);
}

std::optional<std::uint32_t> SourceLineAddress(const LinkSymbols& symbols, std::string_view file, int line)
{
    std::optional<std::uint32_t> first;
    for (const SourceLine& l : symbols.lines)
        if (l.line == line && l.file == file && (!first || l.address < *first))
            first = l.address;
    return first;
}

}  // namespace kr::firmware
