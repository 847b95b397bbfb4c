// SPDX-License-Identifier: MIT
#include "cli/TerminalText.h"

#include "platform/Utf.h"

namespace kr::cli {

std::string ForTerminal(const std::u16string& text)
{
    std::string result = platform::ToUtf8(text);
    std::string::size_type at = 0;
    while ((at = result.find("\r\n", at)) != std::string::npos)
        result.erase(at, 1);
    return result;
}

std::u16string AsFolder(std::u16string path)
{
    if (path.empty() || path.back() != u'/')
        path += u'/';
    return path;
}

}  // namespace kr::cli
