// SPDX-License-Identifier: MIT
#include "firmware/Workspace.h"

#include <algorithm>
#include <array>

namespace kr::firmware {

std::optional<std::string> WorkspaceSetting(std::string_view workspace, std::string_view name)
{
    const std::string section = "[WorkState_v1_1." + std::string(name) + "]";
    bool inSection = false;
    std::size_t start = 0;
    while (start < workspace.size()) {
        std::size_t end = workspace.find('\n', start);
        if (end == std::string_view::npos)
            end = workspace.size();
        std::string_view line = workspace.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.starts_with('['))
            inSection = line == section;
        else if (inSection && line.size() > name.size() && line.starts_with(name) && line[name.size()] == '=')
            return std::string(line.substr(name.size() + 1));
    }
    return std::nullopt;
}

std::vector<std::string> BuildFlags(std::string_view setting)
{
    constexpr std::array<std::string_view, 3> kLeftOut = {"--use-stdout", "-V", "-c"};
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < setting.size()) {
        while (i < setting.size() && (setting[i] == ' ' || setting[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < setting.size() && setting[i] != ' ' && setting[i] != '\t')
            ++i;
        const std::string_view word = setting.substr(start, i - start);
        if (!word.empty() && std::find(kLeftOut.begin(), kLeftOut.end(), word) == kLeftOut.end())
            words.emplace_back(word);
    }
    return words;
}

}  // namespace kr::firmware
