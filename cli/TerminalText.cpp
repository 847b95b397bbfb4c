// SPDX-License-Identifier: MIT
#include "cli/TerminalText.h"

#include "platform/Utf.h"

namespace kr::cli {

std::string ForTerminal(const std::u16string& text)
{
    // One pass: each CR that starts a CR LF is left out as the rest moves up.
    std::string result = platform::ToUtf8(text);
    std::size_t out = 0;
    for (std::size_t in = 0; in < result.size(); ++in) {
        if (result[in] == '\r' && in + 1 < result.size() && result[in + 1] == '\n')
            continue;
        result[out++] = result[in];
    }
    result.resize(out);
    return result;
}

std::filesystem::path AsFolder(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

}  // namespace kr::cli
