// SPDX-License-Identifier: MIT
#include "firmware/SizeSummary.h"

#include <optional>
#include <regex>
#include <string>

#include "firmware/ImageCheck.h"
#include "platform/NumberText.h"

namespace kr::firmware {

using platform::FormatDecimal;

namespace {

std::optional<long> Match(std::string_view text, const std::regex& pattern, int group)
{
    std::match_results<std::string_view::const_iterator> match;
    if (!std::regex_search(text.begin(), text.end(), match, pattern))
        return std::nullopt;
    return std::stol(match[group].str(), nullptr, 0);
}

std::u16string Figure(std::optional<long> value)
{
    return value ? FormatDecimal(*value) : u"?";
}

}  // namespace

std::u16string SizeSummary(const HexImage& image, std::string_view memText, const MemoryMap& memory, long minimumStack,
                           const LinkFigures& figures)
{
    long code = 0;
    for (const auto& [address, byte] : image.bytes)
        if (address >= memory.applicationStart && address <= memory.flashLast)
            ++code;
    const long flash = static_cast<long>(memory.flashLast - memory.applicationStart + 1);

    const std::regex stack(
        R"(Stack starts at: (0x[0-9a-fA-F]+) \(sp set to 0x[0-9a-fA-F]+\) with (\d+) bytes available)");
    const std::optional<long> stackStart = Match(memText, stack, 1);
    std::optional<long> stackBytes = Match(memText, stack, 2);
    if (figures.stackRoom)
        stackBytes = static_cast<long>(*figures.stackRoom);
    std::optional<long> variables;
    if (stackStart)
        variables = *stackStart - static_cast<long>(memory.userDataStart);
    const std::optional<long> paged =
        Match(memText, std::regex(R"(PAGED EXT\. RAM(?:\s+0x[0-9a-fA-F]+){0,2}\s+(\d+)\s+\d+)"), 1);
    const std::optional<long> unpaged =
        Match(memText, std::regex(R"(\n\s*EXTERNAL RAM(?:\s+0x[0-9a-fA-F]+){0,2}\s+(\d+)\s+\d+)"), 1);
    std::optional<long> external;
    if (paged && unpaged)
        external = *paged + *unpaged;

    return u"Code:         " + FormatDecimal(code) + u" bytes used, " + FormatDecimal(flash - code) + u" free of "
           + FormatDecimal(flash) + u" (" + Address(memory.applicationStart) + u"-" + Address(memory.flashLast) + u")\n"
           + u"Internal RAM: " + Figure(variables) + u" bytes of variables, " + Figure(stackBytes)
           + u" bytes left for the stack (at least " + FormatDecimal(minimumStack) + u" needed)\n" + u"XRAM:         "
           + Figure(external) + u" bytes of variables"
           + (figures.highestExternalRam ? u"; the image uses XRAM 0x0000-" + Address(*figures.highestExternalRam)
                                               + u" (the chip's XRAM size is not known, so it is not checked)"
                                         : u"")
           + u"\n";
}

}  // namespace kr::firmware
