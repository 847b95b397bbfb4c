// SPDX-License-Identifier: MIT
#include "cli/TerminalText.h"

#include "platform/Utf.h"

namespace kr::cli {

std::string ForTerminal(const std::u16string& text)
{
    return platform::ToUtf8(text);
}

std::u16string AsFolder(std::u16string path)
{
    if (path.empty() || path.back() != u'/')
        path += u'/';
    return path;
}

}  // namespace kr::cli
