// SPDX-License-Identifier: MIT
#include "batch/BuilderOutput.h"

#include "platform/Utf.h"

namespace kr {
namespace {

// One line without its line end (LF, or CR LF) as a log line.
std::u16string LogLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return platform::FromUtf8(line) + u"\r\n";
}

}  // namespace

std::u16string BuilderOutput::Add(std::string_view text)
{
    std::u16string lines;
    for (std::size_t end; (end = text.find('\n')) != std::string_view::npos; text.remove_prefix(end + 1)) {
        if (partial_.empty()) {
            lines += LogLine(text.substr(0, end));
        } else {
            partial_.append(text.substr(0, end));
            lines += LogLine(partial_);
            partial_.clear();
        }
    }
    partial_.append(text);
    return lines;
}

std::u16string BuilderOutput::Finish()
{
    if (partial_.empty())
        return {};
    std::u16string line = LogLine(partial_);
    partial_.clear();
    return line;
}

}  // namespace kr
