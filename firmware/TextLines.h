// SPDX-License-Identifier: MIT
#pragma once
// The lines of a text a tool wrote (a map, debug records, its messages).

#include <cstddef>
#include <string_view>
#include <type_traits>

namespace kr::firmware {

// Calls each(line) for every line of text, without its line end ("\n" or
// "\r\n"); a last line without a line end counts too. An each that returns
// bool stops the walk by returning false.
template <typename Each> void ForEachLine(std::string_view text, Each each)
{
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        start = end + 1;
        if constexpr (std::is_same_v<decltype(each(line)), bool>) {
            if (!each(line))
                return;
        } else {
            each(line);
        }
    }
}

}  // namespace kr::firmware
