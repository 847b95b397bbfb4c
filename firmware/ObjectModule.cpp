// SPDX-License-Identifier: MIT
#include "firmware/ObjectModule.h"

#include <charconv>
#include <sstream>

#include "platform/NumberText.h"
#include "platform/Utf.h"

namespace kr::firmware {
namespace {

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r'))
            ++at;
        const std::size_t begin = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t' && line[at] != '\r')
            ++at;
        if (at > begin)
            words.push_back(line.substr(begin, at - begin));
    }
    return words;
}

bool Hex(std::string_view word, std::uint32_t& value)
{
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value, 16);
    return error == std::errc() && end == word.data() + word.size();
}

// "S name Def0000FF" or "S name Ref000000": true with the symbol when defined.
bool ReadSymbol(const std::vector<std::string_view>& words, ObjectSymbol& symbol, bool& ok)
{
    ok = words.size() == 3 && words[2].size() > 3;
    if (!ok || words[2].substr(0, 3) != "Def")
        return false;
    symbol.name = std::string(words[1]);
    ok = Hex(words[2].substr(3), symbol.value);
    return ok;
}

}  // namespace

bool ReadObjectModule(std::string_view text, ObjectModule& module, std::u16string& errorText)
{
    module = {};
    bool bigEndian = false;
    std::size_t addressBytes = 2;
    std::vector<std::uint8_t> pending;  // the last T record's bytes, address first
    std::size_t lineNumber = 0;
    std::size_t start = 0;
    auto fail = [&](const char16_t* what) {
        errorText = u"line " + platform::FormatDecimal(static_cast<long>(lineNumber)) + u": " + what;
        return false;
    };

    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        const std::vector<std::string_view> words = Words(line);
        if (words.empty() || words[0].starts_with(";"))
            continue;
        const std::string_view kind = words[0];
        if (kind.size() == 3 && kind[0] == 'X' && (kind[1] == 'H' || kind[1] == 'L') && kind[2] >= '2'
            && kind[2] <= '4') {
            bigEndian = kind[1] == 'H';
            addressBytes = static_cast<std::size_t>(kind[2] - '0');
        } else if (kind.size() == 3 && kind[0] != 'X' && (kind[1] == 'H' || kind[1] == 'L')) {
            return fail(u"only hexadecimal object files are read");
        } else if (kind == "M" && words.size() == 2) {
            module.name = std::string(words[1]);
        } else if (kind == "A") {
            // A name size S flags F addr A
            ObjectArea area;
            if (words.size() < 8 || words[2] != "size" || words[4] != "flags" || words[6] != "addr"
                || !Hex(words[3], area.size) || !Hex(words[5], area.flags) || !Hex(words[7], area.address))
                return fail(u"an area line cannot be read");
            area.name = std::string(words[1]);
            module.areas.push_back(std::move(area));
        } else if (kind == "S") {
            ObjectSymbol symbol;
            bool ok = false;
            // Symbols before the first area are equates.
            if (ReadSymbol(words, symbol, ok) && !symbol.name.starts_with("."))
                (module.areas.empty() ? module.equates : module.areas.back().symbols).push_back(symbol);
            else if (!ok)
                return fail(u"a symbol line cannot be read");
        } else if (kind == "T") {
            pending.clear();
            for (std::size_t i = 1; i < words.size(); ++i) {
                std::uint32_t byte = 0;
                if (!Hex(words[i], byte) || byte > 0xFF)
                    return fail(u"a data line cannot be read");
                pending.push_back(static_cast<std::uint8_t>(byte));
            }
        } else if (kind == "R") {
            // R 0 0 area-index(2) then four bytes for each relocation.
            std::vector<std::uint32_t> r;
            for (std::size_t i = 1; i < words.size(); ++i) {
                std::uint32_t byte = 0;
                if (!Hex(words[i], byte) || byte > 0xFF)
                    return fail(u"a relocation line cannot be read");
                r.push_back(byte);
            }
            if (r.size() < 4)
                return fail(u"a relocation line cannot be read");
            const std::uint32_t index = bigEndian ? (r[2] << 8 | r[3]) : (r[3] << 8 | r[2]);
            if (index >= module.areas.size())
                return fail(u"a relocation line names an unknown area");
            ObjectArea& area = module.areas[index];
            const bool relocated = r.size() > 4;
            if ((area.flags & kAreaAbsolute) && !relocated && pending.size() > addressBytes) {
                std::uint32_t address = 0;
                for (std::size_t i = 0; i < addressBytes; ++i)
                    address |= static_cast<std::uint32_t>(pending[i]) << (8 * (bigEndian ? addressBytes - 1 - i : i));
                for (std::size_t i = addressBytes; i < pending.size(); ++i)
                    area.bytes[address + static_cast<std::uint32_t>(i - addressBytes)] = pending[i];
            }
            pending.clear();
        }
    }
    if (module.name.empty()) {
        errorText = u"it names no module";
        return false;
    }
    return true;
}

}  // namespace kr::firmware
