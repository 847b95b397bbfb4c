// SPDX-License-Identifier: MIT
#include "firmware/ImageCheck.h"

#include "platform/NumberText.h"
#include "platform/Utf.h"

namespace kr::firmware {
namespace {

// An 8051 jump: LJMP, SJMP or any of the eight AJMP opcodes.
bool IsJump(std::uint8_t opcode)
{
    return opcode == 0x02 || opcode == 0x80 || (opcode & 0x1F) == 0x01;
}

}  // namespace

std::u16string Address(std::uint32_t address)
{
    return platform::FormatHexLiteral(address, address > 0xFFFF ? 6 : 4);
}

std::u16string AddressRuns(const std::vector<std::uint32_t>& addresses)
{
    std::u16string out;
    for (std::size_t i = 0; i < addresses.size();) {
        std::size_t j = i;
        while (j + 1 < addresses.size() && addresses[j + 1] == addresses[j] + 1)
            ++j;
        if (!out.empty())
            out += u", ";
        out += Address(addresses[i]);
        if (j > i)
            out += u"-" + Address(addresses[j]);
        i = j + 1;
    }
    return out;
}

std::vector<std::u16string> CheckImage(const HexImage& image, std::string_view linkerOutput, const MemoryMap& memory)
{
    std::vector<std::u16string> problems;
    const std::u16string flash = Address(memory.applicationStart) + u"-" + Address(memory.flashLast);

    if (!image.writtenTwice.empty())
        problems.push_back(u"Written twice: " + AddressRuns(image.writtenTwice) + u".");

    const auto reset = image.bytes.find(memory.applicationStart);
    if (reset == image.bytes.end() || !IsJump(reset->second))
        problems.push_back(u"No jump at the application start " + Address(memory.applicationStart)
                           + u": the linker moved the reset and interrupt vectors (an interrupt above 15, or "
                             u"library code in the HOME area, does that).");

    std::vector<std::uint32_t> outside;
    for (const auto& [address, byte] : image.bytes)
        if (address < memory.applicationStart || address > memory.flashLast)
            outside.push_back(address);
    if (!outside.empty())
        problems.push_back(u"Outside the application's flash " + flash + u": " + AddressRuns(outside) + u".");

    // The linker reports overlapping areas but still writes the image and
    // exits 0; each line it wrote about it is a failure.
    std::size_t start = 0;
    while (start < linkerOutput.size()) {
        std::size_t end = linkerOutput.find('\n', start);
        if (end == std::string_view::npos)
            end = linkerOutput.size();
        std::string line(linkerOutput.substr(start, end - start));
        start = end + 1;
        std::string lower = line;
        for (char& c : lower)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (lower.find("overlap") != std::string::npos) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.pop_back();
            problems.push_back(u"The linker reported: " + platform::FromUtf8(line));
        }
    }
    return problems;
}

}  // namespace kr::firmware
