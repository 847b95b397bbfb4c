// SPDX-License-Identifier: MIT
#include "cli/TerminalText.h"

#include "platform/Utf.h"

namespace kr::cli {

std::string ForTerminal(const std::u16string& text)
{
    return platform::ToUtf8(text);
}

std::filesystem::path AsFolder(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

}  // namespace kr::cli
