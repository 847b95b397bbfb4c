// SPDX-License-Identifier: MIT
// Writes the fuzz targets' seed corpora and dictionaries from the project's
// own files, so they follow the templates and the save-file format:
//
//   OUTDIR/template/   every embedded template, byte for byte
//   OUTDIR/savefile/   save files of a spread of configurations, one of them
//                      padded to exactly the size cap, plus the files given
//                      after OUTDIR (the documentation's example)
//   OUTDIR/hid/        the HID report descriptors those configurations generate
//   OUTDIR/template.dict, savefile.dict, hid.dict
//                      libFuzzer dictionaries: the markers with every tag and
//                      key name; every element name; every item the
//                      generated descriptors hold, and the items they lack
//
//   kr761x-fuzz-seeds OUTDIR [SAVEFILE...]

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "generator/GenerateProject.h"
#include "generator/ReportDescriptor.h"
#include "generator/SubstitutionValues.h"
#include "generator/Switches.h"
#include "model/ConfigurationSettings.h"
#include "platform/Resources.h"
#include "platform/Utf.h"
#include "settings/SaveFile.h"
#include "settings/SaveFileSize.h"
#include "model/SavedFields.h"
#include "tests/support/Configurations.h"

namespace {

// The configurations of the golden files, with awkward texts and GPIO pins,
// and each bus.
std::vector<kr::ConfigurationSettings> Configurations()
{
    std::vector<kr::ConfigurationSettings> list;
    for (kr::test::NamedConfiguration& named : kr::test::GoldenConfigurations()) {
        kr::ConfigurationSettings& s = named.settings;
        const std::string_view name = named.name;
        if (name == "raisonance-kr7610-touch-pen")
            s.device.manufacturer += u" <&>";
        if (name == "sdcc-kr7610-mouse") {
            s.project.projectPath = u"/home/\u00E5sa/projects/";
            s.gpio.modes = {2, 1, 0, 2, 1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        }
        list.push_back(s);
    }

    for (int protocol : {1, 2}) {
        kr::ConfigurationSettings bus;
        bus.communication.protocol = protocol;
        bus.communication.smbusAddress = 0x5A;
        bus.communication.uartDataBits = 0;
        bus.touch.numTouchPoints = 2;
        bus.touch.bPressure = 1;
        list.push_back(bus);
    }
    return list;
}

void Write(const std::filesystem::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

// One dictionary entry, bytes escaped as libFuzzer reads them.
std::string Entry(std::string_view bytes)
{
    std::string line = "\"";
    for (const unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
            line += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            line += hex;
        }
    }
    return line + "\"\n";
}

std::string Cp1252(const std::u16string& text)
{
    std::string bytes;
    for (const char16_t c : text)
        bytes += static_cast<char>(c);  // names are ASCII
    return bytes;
}

void WriteTemplates(const std::filesystem::path& out)
{
    std::filesystem::create_directories(out / "template");
    for (const kr::TemplateRow& row : kr::TemplateTable) {
        const auto bytes = kr::platform::FindResource("TEMPLATE", row.resource);
        if (!bytes)
            throw std::runtime_error("missing template " + std::to_string(row.resource));
        Write(out / "template" / (std::to_string(row.resource) + "-" + kr::platform::ToUtf8(row.fileName)), *bytes);
    }

    // Every name a template may use, so mutations hit known names.
    kr::SwitchSet switches;
    kr::SubstitutionMap keys;
    kr::BuildSwitchSet(kr::ConfigurationSettings{}, switches);
    kr::BuildSubstitutionMap(kr::ConfigurationSettings{}, keys);
    std::string dict = Entry("\xAB") + Entry("\xBB") + Entry("\xB6") + Entry("\xA6") + Entry("\r\n");
    for (const auto& [tag, active] : switches)
        dict += Entry("\xAB" + Cp1252(tag) + "\xBB");
    for (const auto& [key, text] : keys)
        dict += Entry("\xA6" + Cp1252(key) + "\xA6");
    Write(out / "template.dict", dict);
}

// Collects every element name the save file uses.
struct NameCollector {
    std::set<std::string> names;
    void BeginGroup(const std::u16string& name) { Add(name); }
    void BeginList(const std::u16string& name) { Add(name); }
    template <class T> void Int(const std::u16string& name, T&) { Add(name); }
    template <class T> void DecimalWord(const std::u16string& name, T&) { Add(name); }
    template <class T> void DecimalDWord(const std::u16string& name, T&) { Add(name); }
    template <class T> void HexByte(const std::u16string& name, T&) { Add(name); }
    template <class T> void HexWord(const std::u16string& name, T&) { Add(name); }
    template <class T> void String(const std::u16string& name, T&) { Add(name); }
    void Add(const std::u16string& name) { names.insert(kr::platform::ToUtf8(name)); }
};

void WriteSaveFiles(const std::filesystem::path& out, const std::vector<kr::ConfigurationSettings>& configurations,
                    const std::vector<std::filesystem::path>& extra)
{
    std::filesystem::create_directories(out / "savefile");
    for (std::size_t i = 0; i < configurations.size(); ++i) {
        const auto path = out / "savefile" / ("config-" + std::to_string(i) + ".kcw");
        std::u16string error;
        if (!kr::SaveSettings(path.u16string(), configurations[i], error))
            throw std::runtime_error(kr::platform::ToUtf8(error));
    }
    for (const auto& file : extra)
        std::filesystem::copy_file(file, out / "savefile" / file.filename(),
                                   std::filesystem::copy_options::overwrite_existing);

    // A file exactly at the size cap, its length made of indentation, so the
    // fuzzer starts from the largest file a load accepts.
    std::ifstream in(out / "savefile" / "config-0.kcw", std::ios::binary);
    std::string atCap((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t at = atCap.find("<Touch");
    if (at == std::string::npos || atCap.size() > kr::kMaxSaveFileBytes)
        throw std::runtime_error("the default save file has no root element");
    atCap.insert(at, kr::kMaxSaveFileBytes - atCap.size(), ' ');
    Write(out / "savefile" / "at-size-cap.kcw", atCap);

    NameCollector collector;
    kr::ConfigurationSettings any;
    kr::ForEachSavedField(any, collector);
    collector.names.insert({"Touch_Config_Wizard_Save", "Settings", "SAVE_FILE_VERSION"});
    std::string dict;
    for (const std::string& name : collector.names)
        dict += Entry("<" + name + ">") + Entry("</" + name + ">");
    for (const char* markup :
         {"<?xml version=\"1.0\"?>", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>",
          "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "<!DOCTYPE x>", "<![CDATA[", "]]>", "<!--", "-->", "&lt;",
          "&amp;", "&#13;", "&#x10FFFF;", "xmlns=\"urn:x\"", "\"\"", "0x", "-2147483648", "4294967296", "\xEF\xBB\xBF"})
        dict += Entry(markup);
    Write(out / "savefile.dict", dict);
}

void WriteDescriptors(const std::filesystem::path& out, const std::vector<kr::ConfigurationSettings>& configurations)
{
    std::filesystem::create_directories(out / "hid");
    std::set<std::string> items;
    for (std::size_t i = 0; i < configurations.size(); ++i) {
        kr::ReportDescriptorView view;
        std::u16string error;
        if (!kr::DescribeReportDescriptor(configurations[i], view, error))
            throw std::runtime_error(kr::platform::ToUtf8(error));
        const std::string bytes(view.bytes.begin(), view.bytes.end());
        Write(out / "hid" / ("config-" + std::to_string(i) + ".bin"), bytes);
        for (const kr::HidItem& item : view.decoding.items)
            items.insert(bytes.substr(item.offset, 1 + item.data.size()));
    }
    // Items the generated descriptors never hold: Push and Pop, delimiters,
    // a long item, 4-byte usages and values, a report id.
    for (std::string item :
         {std::string("\xA4"), std::string("\xB4"), std::string("\xA9\x01"), std::string("\xA9\x00", 2),
          std::string("\xFE\x02\x10", 3), std::string("\x0B\x30\x00\x01\x00", 5), std::string("\x27\xFF\xFF\xFF\x7F"),
          std::string("\x17\x00\x00\x00\x80", 5), std::string("\x85\x02")})
        items.insert(item);
    std::string dict;
    for (const std::string& item : items)
        dict += Entry(item);
    Write(out / "hid.dict", dict);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: kr761x-fuzz-seeds OUTDIR [SAVEFILE...]\n");
        return 2;
    }
    try {
        const std::filesystem::path out = argv[1];
        const std::vector<std::filesystem::path> extra(argv + 2, argv + argc);
        const auto configurations = Configurations();
        WriteTemplates(out);
        WriteSaveFiles(out, configurations, extra);
        WriteDescriptors(out, configurations);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kr761x-fuzz-seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
