// SPDX-License-Identifier: MIT
#pragma once
// What the tests with the real SDCC tools share: generating an SDCC project
// and reading an Intel HEX image on their own, independently of the build's
// reader.

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "generator/GenerateProject.h"
#include "platform/Utf.h"
#include "support/TempDir.h"

namespace kr::test {

// Written without the check of the configuration, so that values no page
// lets through (texts longer than the string descriptors) are compiled too.
inline void GenerateSdccProject(ConfigurationSettings settings, const TempDir& dir)
{
    settings.project.toolchain = 2;
    settings.project.projectPath = dir.folder();
    std::u16string error;
    ASSERT_TRUE(GenerateFiles(settings, TemplateTable, error)) << platform::ToUtf8(error);
}

// Address -> byte of every data record of an Intel HEX image; writes, when
// given, counts every byte written, so it exceeds the map's size when an
// address is written twice.
inline std::map<unsigned, unsigned> HexBytes(const std::string& text, std::size_t* writes = nullptr)
{
    if (writes)
        *writes = 0;
    std::map<unsigned, unsigned> image;
    std::istringstream in(text);
    std::string record;
    while (std::getline(in, record)) {
        if (record.size() < 11 || record[0] != ':' || record.substr(7, 2) != "00")
            continue;
        const unsigned count = std::stoul(record.substr(1, 2), nullptr, 16);
        const unsigned address = std::stoul(record.substr(3, 4), nullptr, 16);
        for (unsigned i = 0; i < count; ++i)
            image[address + i] = std::stoul(record.substr(9 + 2 * i, 2), nullptr, 16);
        if (writes)
            *writes += count;
    }
    return image;
}

// count bytes from address; 0x100 where nothing is placed.
inline std::vector<unsigned> BytesAt(const std::map<unsigned, unsigned>& image, unsigned address, unsigned count)
{
    std::vector<unsigned> bytes;
    for (unsigned i = 0; i < count; ++i) {
        const auto it = image.find(address + i);
        bytes.push_back(it == image.end() ? 0x100 : it->second);
    }
    return bytes;
}

// Puts text into the main program just before main().
inline void AddToMainProgram(const TempDir& dir, const std::string& text)
{
    std::string main = ReadBytes(dir / "KR761x_Main.c");
    const std::size_t at = main.find("void main (void)");
    ASSERT_NE(at, std::string::npos);
    main.insert(at, text);
    WriteBytes(dir / "KR761x_Main.c", main);
}

}  // namespace kr::test
