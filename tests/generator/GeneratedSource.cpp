#include "GeneratedSource.h"

#include <cctype>
#include <sstream>
#include <stdexcept>

namespace kr::test {

std::map<std::string, long> ReadDefines(const std::string& source)
{
    std::map<std::string, long> defines;
    std::istringstream lines(source);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string directive, name, value, rest;
        words >> directive >> name >> value >> rest;
        if (directive != "#define" || value.empty() || !std::isdigit(static_cast<unsigned char>(value[0])) || !rest.empty())
            continue;
        std::size_t used = 0;
        const long number = std::stol(value, &used, 0);
        if (used == value.size())
            defines[name] = number;
    }
    return defines;
}

std::vector<int> ArrayBytes(const std::string& source, const std::string& name,
                            const std::map<std::string, long>& defines)
{
    std::size_t at = source.find(" " + name + "[] =");
    if (at == std::string::npos)
        at = source.find(" " + name + " =");
    if (at == std::string::npos || source.find('{', at) == std::string::npos)
        throw std::runtime_error("no initializer of " + name);
    std::size_t i = source.find('{', at) + 1;

    std::vector<int> bytes;
    std::string token;
    auto flush = [&] {
        if (token.empty())
            return;
        long value;
        if (token[0] == '\'') {
            // 'c', '\'' or '\\'
            const std::size_t end = token.size() - 1;
            if (token.size() < 3 || token[end] != '\'' || (token[1] == '\\' ? end != 3 : end != 2))
                throw std::runtime_error(name + ": bad character literal " + token);
            value = static_cast<unsigned char>(token[end - 1]);
        } else if (std::isdigit(static_cast<unsigned char>(token[0]))) {
            std::size_t used = 0;
            value = std::stol(token, &used, 0);
            if (used != token.size())
                throw std::runtime_error(name + ": bad number " + token);
        } else if (defines.contains(token)) {
            value = defines.at(token);
        } else {
            throw std::runtime_error(name + ": unknown element " + token);
        }
        if (value < 0 || value > 255)
            throw std::runtime_error(name + ": not a byte: " + token);
        bytes.push_back(static_cast<int>(value));
        token.clear();
    };

    for (; i < source.size(); ++i) {
        const char c = source[i];
        if (c == '}') {
            flush();
            return bytes;
        }
        if (c == '/' && source.compare(i, 2, "//") == 0) {
            i = source.find('\n', i);
        } else if (c == '\'') {
            const std::size_t close = source.find('\'', i + (source[i + 1] == '\\' ? 3 : 2));
            token += source.substr(i, close - i + 1);
            i = close;
        } else if (c == ',') {
            if (token.empty())
                throw std::runtime_error(name + ": empty element");
            flush();
        } else if (!std::isspace(static_cast<unsigned char>(c))) {
            token += c;
        }
    }
    throw std::runtime_error(name + ": no closing brace");
}

long HidItem::Unsigned() const
{
    long value = 0;
    for (std::size_t i = data.size(); i-- > 0;)
        value = value << 8 | data[i];
    return value;
}

HidItems ParseHidItems(const std::vector<int>& bytes)
{
    enum { kMain = 0, kGlobal = 1 };
    enum { kCollection = 0xA, kEndCollection = 0xC, kPush = 0xA, kPop = 0xB };

    HidItems result;
    auto fault = [&](std::size_t offset, const std::string& what) {
        result.faults.push_back("offset " + std::to_string(offset) + ": " + what);
    };
    int collections = 0;
    int pushes = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const int prefix = bytes[i];
        if (prefix == 0xFE) {
            fault(i, "long item");
            return result;
        }
        static constexpr int kDataSize[] = {0, 1, 2, 4};
        const std::size_t size = kDataSize[prefix & 3];
        if (i + 1 + size > bytes.size()) {
            fault(i, "size bits ask for " + std::to_string(size) + " data bytes, " +
                         std::to_string(bytes.size() - i - 1) + " remain");
            return result;
        }
        HidItem item{i, (prefix >> 2) & 3, prefix >> 4, {bytes.begin() + i + 1, bytes.begin() + i + 1 + size}};
        if (item.type == 3)
            fault(i, "reserved item type");
        const bool closing = (item.type == kMain && item.tag == kEndCollection) ||
                             (item.type == kGlobal && (item.tag == kPush || item.tag == kPop));
        if (closing && size != 0)
            fault(i, "End Collection, Push and Pop carry no data");
        if (item.type == kMain && item.tag == kCollection)
            ++collections;
        if (item.type == kMain && item.tag == kEndCollection && --collections < 0)
            fault(i, "End Collection with no collection open");
        if (item.type == kGlobal && item.tag == kPush)
            ++pushes;
        if (item.type == kGlobal && item.tag == kPop && --pushes < 0)
            fault(i, "Pop with no Push");
        result.items.push_back(std::move(item));
        i += 1 + size;
    }
    if (collections > 0)
        fault(bytes.size(), std::to_string(collections) + " collection(s) left open");
    if (pushes > 0)
        fault(bytes.size(), std::to_string(pushes) + " Push(es) without Pop");
    return result;
}

std::map<int, long> InputReportBits(const std::vector<HidItem>& items)
{
    struct Globals {
        long size = 0, count = 0, id = 0;
    };
    Globals globals;
    std::vector<Globals> stack;
    std::map<int, long> bits;
    for (const HidItem& item : items) {
        if (item.type == 0 && item.tag == 0x8)
            bits[static_cast<int>(globals.id)] += globals.size * globals.count;
        if (item.type != 1)
            continue;
        switch (item.tag) {
        case 0x7: globals.size = item.Unsigned(); break;
        case 0x8: globals.id = item.Unsigned(); break;
        case 0x9: globals.count = item.Unsigned(); break;
        case 0xA: stack.push_back(globals); break;
        case 0xB:
            if (!stack.empty()) {
                globals = stack.back();
                stack.pop_back();
            }
            break;
        }
    }
    return bits;
}

}  // namespace kr::test
