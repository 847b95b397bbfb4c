// SPDX-License-Identifier: MIT
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
        if (directive != "#define" || value.empty() || !std::isdigit(static_cast<unsigned char>(value[0]))
            || !rest.empty())
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

}  // namespace kr::test
