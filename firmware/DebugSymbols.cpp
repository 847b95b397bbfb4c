// SPDX-License-Identifier: MIT
#include "firmware/DebugSymbols.h"

#include <map>
#include <optional>
#include <regex>

#include "firmware/TextLines.h"

namespace kr::firmware {
namespace {

// The memory space a record's space letter stands for at address, or none
// for what is not a variable in memory.
std::optional<MemorySpace> SpaceOf(char letter, std::uint32_t address)
{
    switch (letter) {
    case 'C':
    case 'D':
        return MemorySpace::Code;
    case 'E':
        return MemorySpace::DirectRam;
    case 'G':
        return MemorySpace::InternalRam;
    case 'H':
        return MemorySpace::Bits;
    case 'F':
        return MemorySpace::ExternalRam;
    case 'P':
        return MemorySpace::PagedExternalRam;
    // A register or register bit named below 0x80 is internal RAM.
    case 'I':
        if (address < 0x80)
            return MemorySpace::DirectRam;
        return std::nullopt;
    case 'J':
        if (address < 0x80)
            return MemorySpace::Bits;
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

// The module an "M:" record names, without the line's trailing blanks.
std::string ModuleOfRecord(const std::string& line)
{
    std::string module = line.substr(2);
    while (!module.empty() && (module.back() == '\r' || module.back() == ' '))
        module.pop_back();
    return module;
}

}  // namespace

std::vector<DebugSymbol> ReadDebugSymbols(std::string_view text)
{
    // S:G$name$0_0$0({size}type),space,...   L:G$name$0_0$0:address
    // Scopes: G$ global, F<module>$ file, L<module>.<function>$ function.
    const std::regex record(R"(^S:(G|F[^$]*|L[^$]*)\$([^$]+)\$([^(]*)\(\{(\d+)\}[^)]*\),([A-Z]),)");
    const std::regex location(R"(^L:([GFL][^:]*):([0-9A-Fa-f]+)\s*$)");
    struct Described {
        DebugSymbol symbol;
        char space;
        bool function;
    };
    std::map<std::string, Described> described;  // by the record's whole name
    std::map<std::string, std::uint32_t> located;
    std::string module;

    ForEachLine(text, [&](std::string_view view) {
        const std::string line(view);
        std::smatch m;
        if (line.starts_with("M:")) {
            module = ModuleOfRecord(line);
        } else if (line.starts_with("S:") && std::regex_search(line, m, record)) {
            const std::string scope = m[1].str();
            const std::string whole = scope + "$" + m[2].str() + "$" + m[3].str();
            Described d;
            d.symbol.name = m[2].str();
            d.symbol.record = whole;
            d.symbol.module = scope[0] == 'G' ? module : scope.substr(1, scope.find('.') - 1);
            d.symbol.size = static_cast<std::uint32_t>(std::stoul(m[4].str()));
            d.space = m[5].str()[0];
            d.function = line.find("DF,") != std::string::npos;
            described.emplace(whole, d);
        } else if (std::regex_match(line, m, location)) {
            located[m[1].str()] = static_cast<std::uint32_t>(std::stoul(m[2].str(), nullptr, 16));
        }
    });

    std::vector<DebugSymbol> symbols;
    for (auto& [whole, d] : described) {
        const auto at = located.find(whole);
        if (d.function || at == located.end())
            continue;
        const std::optional<MemorySpace> space = SpaceOf(d.space, at->second);
        if (!space || *space == MemorySpace::Code)
            continue;
        d.symbol.space = *space;
        d.symbol.address = at->second;
        // A bit record's size is that of its byte; it is one bit.
        if (*space == MemorySpace::Bits)
            d.symbol.size = 1;
        symbols.push_back(d.symbol);
    }
    return symbols;
}

std::vector<DebugFunction> ReadDebugFunctions(std::string_view text)
{
    // F:G$name$0_0$0({2}DF,SV:S),C,0,0,<interrupt>,<number>,<bank>
    const std::regex record(R"(^F:(G|F[^$]*|L[^$]*)\$([^$]+)\$[^(]*\(.*\),C,\d+,\d+,(\d{1,3}),(\d{1,3}),(\d{1,3})\b)");
    std::vector<DebugFunction> functions;
    std::string module;
    ForEachLine(text, [&](std::string_view view) {
        const std::string line(view);
        std::smatch m;
        if (line.starts_with("M:")) {
            module = ModuleOfRecord(line);
        } else if (std::regex_search(line, m, record)) {
            const std::string scope = m[1].str();
            DebugFunction f;
            f.name = m[2].str();
            f.module = scope[0] == 'G' ? module : scope.substr(1, scope.find('.') - 1);
            f.interrupt = m[3].str() != "0";
            f.number = static_cast<unsigned>(std::stoul(m[4].str()));
            f.bank = static_cast<unsigned>(std::stoul(m[5].str()));
            functions.push_back(f);
        }
    });
    return functions;
}

}  // namespace kr::firmware
