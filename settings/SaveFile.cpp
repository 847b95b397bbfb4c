// SPDX-License-Identifier: MIT
#include "settings/SaveFile.h"

#include <algorithm>
#include <optional>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/NumberText.h"
#include "platform/PathText.h"
#include "platform/Resources.h"
#include "platform/Utf.h"
#include "platform/Windows1252.h"
#include "model/SavedFields.h"
#include "settings/ValueText.h"

namespace kr {
namespace {

constexpr int kIndentStylesheetResource = 150;

// Creates each field's element in the current group (or GPIO array) in turn.
class FieldWriter {
public:
    FieldWriter(CSerialXml& document, XmlNode settings) : document_(document), settings_(settings) {}

    void BeginGroup(const std::u16string& name)
    {
        group_ = document_.AppendChild(settings_, document_.CreateElement(name));
        container_ = group_;
    }
    void BeginList(const std::u16string& name)
    {
        container_ = document_.AppendChild(group_, document_.CreateElement(name));
    }

    void Int(const std::u16string& name, std::int32_t value) { Add(document_.CreateIntElement(name, value)); }
    void DecimalWord(const std::u16string& name, std::uint16_t value)
    {
        Add(document_.CreateDecimalWordElement(name, value));
    }
    void DecimalDWord(const std::u16string& name, std::uint32_t value)
    {
        Add(document_.CreateDecimalDWordElement(name, value));
    }
    void HexByte(const std::u16string& name, std::uint8_t value) { Add(document_.CreateHexByteElement(name, value)); }
    void HexWord(const std::u16string& name, std::uint16_t value) { Add(document_.CreateHexWordElement(name, value)); }
    void String(const std::u16string& name, const std::u16string& value)
    {
        Add(document_.CreateStringElement(name, value));
    }

private:
    void Add(XmlNode element) { document_.AppendChild(container_, element); }

    CSerialXml& document_;
    XmlNode settings_;
    XmlNode group_;
    XmlNode container_;
};

// Reads the field from "//Group/field" (or "//GpioData/modes/pinN"); false
// when no element is there.
bool ReadField(CSerialXml& document, const FieldRow& row, ConfigurationSettings& settings)
{
    const std::u16string path = u"//" + row.path;
    try {
        std::visit(
            [&](auto* field) {
                using Field = std::remove_pointer_t<decltype(field)>;
                if constexpr (std::is_same_v<Field, std::int32_t>)
                    document.GetInt(path, *field);
                else if constexpr (std::is_same_v<Field, std::uint8_t>)
                    document.GetHexByte(path, *field);
                else if constexpr (std::is_same_v<Field, std::uint32_t>)
                    document.GetDecimalDWord(path, *field);
                else if constexpr (std::is_same_v<Field, std::u16string>)
                    document.GetString(path, *field);
                else if (row.kind == FieldKind::HexWord)
                    document.GetHexWord(path, *field);
                else
                    document.GetDecimalWord(path, *field);
            },
            FieldIn(row, settings));
        return true;
    } catch (const MissingNodeError&) {
        return false;
    }
}

// "0x0100"; a version read beyond 16 bits keeps all its digits.
std::u16string ShownVersion(std::uint32_t version)
{
    return platform::FormatHexLiteral(version, version > 0xFFFF ? 8 : 4);
}

// The line naming the first five missing paths and how many more there are.
std::u16string MissingLine(const std::vector<std::u16string>& paths)
{
    constexpr std::size_t kNamed = 5;
    std::u16string line = u"Missing fields: ";
    for (std::size_t i = 0; i < paths.size() && i < kNamed; ++i)
        line += (i > 0 ? u", " : u"") + paths[i];
    if (paths.size() > kNamed)
        line += u" and " + platform::FormatDecimal(static_cast<std::int64_t>(paths.size() - kNamed)) + u" more";
    return line + u".";
}

std::optional<std::u16string> IndentStylesheet()
{
    const auto bytes = platform::FindResource("XML", kIndentStylesheetResource);
    if (!bytes)
        return std::nullopt;
    return platform::DecodeWindows1252(*bytes);
}

// False with the reason: the library's or the system's, or our own for a
// record no save file can hold.
bool WriteSettings(const std::filesystem::path& path, const ConfigurationSettings& settings, const FieldRows& table,
                   std::string& reason)
{
    try {
        const std::uint16_t version = VersionHolding(settings, table);
        CSerialXml document;
        const XmlNode root = document.CreateElement(u"Touch_Config_Wizard_Save");
        document.AppendToDocument(root);
        const XmlNode settingsElement = document.AppendChild(root, document.CreateElement(u"Settings"));
        document.AppendChild(settingsElement, document.CreateHexWordElement(u"SAVE_FILE_VERSION", version));

        FieldWriter writer(document, settingsElement);
        ForEachSavedField(settings, writer, table, version);

        const auto stylesheet = IndentStylesheet();
        if (!stylesheet || !document.SaveWithStylesheet(path, *stylesheet)) {
            reason = "the indenting stylesheet cannot be used";
            return false;
        }
        return true;
    } catch (const XmlLibraryError& e) {
        reason = e.what();
        return false;
    }
}

std::u16string LoadFailure(const std::filesystem::path& path, const char16_t* reason)
{
    return u"Failed to load settings from:\n" + platform::ShownPath(path) + u"\n\n" + reason;
}

}  // namespace

bool SaveSettings(const std::filesystem::path& path, const ConfigurationSettings& settings, std::u16string& errorText,
                  const FieldRows& table)
{
    errorText.clear();
    std::string reason;
    if (WriteSettings(path, settings, table, reason))
        return true;
    // The reason follows the message on a line of its own.
    errorText = u"Failed to save settings to:\n" + platform::ShownPath(path) + u"\n" + platform::FromUtf8(reason);
    return false;
}

bool LoadSettings(const std::filesystem::path& path, ConfigurationSettings& settings, std::u16string& errorText,
                  std::uint16_t* fileVersion, const FieldRows& table)
{
    errorText.clear();
    try {
        CSerialXml document;
        std::string reason;
        if (!document.Load(path, &reason)) {
            // The system's reason, when the file could not be read, follows
            // the message on a line of its own.
            errorText = LoadFailure(path, u"The file does not exist, or the file format is invalid.");
            if (!reason.empty())
                errorText += u"\n" + platform::ShownPath(path) + u": " + platform::FromUtf8(reason);
            return false;
        }

        // Read in full, so that "10100" is not taken for 0x0100.
        const XmlNode versionNode = document.SelectNode(u"//SAVE_FILE_VERSION");
        const std::uint16_t newest = NewestSaveFileVersion(table);
        if (!versionNode) {
            errorText = LoadFailure(path, u"The file version is unsupported.") + u"\nThe file states no version; "
                        + u"this program reads versions up to " + ShownVersion(newest) + u".";
            return false;
        }
        const std::uint32_t claimed = ParseLooseUnsigned(document.GetNodeText(versionNode), 16);
        if (claimed > newest) {
            errorText = LoadFailure(path, u"The file version is unsupported.") + u"\nThe file is version "
                        + ShownVersion(claimed) + u"; this program reads versions up to " + ShownVersion(newest) + u".";
            return false;
        }
        const auto version = std::max(kFirstSaveFileVersion, static_cast<std::uint16_t>(claimed));

        // Read into a copy, so that a refused file leaves the record as it was.
        static const ConfigurationSettings defaults;
        ConfigurationSettings loaded = settings;
        std::vector<std::u16string> missing;
        for (const FieldRow& row : table) {
            if (ReadField(document, row, loaded))
                continue;
            if (row.since <= version)
                missing.push_back(row.path);
            else
                CopyValue(row, defaults, loaded);
        }
        if (!missing.empty()) {
            errorText =
                LoadFailure(path, u"The file is missing configuration settings.") + u"\n" + MissingLine(missing);
            return false;
        }
        settings = std::move(loaded);
        if (fileVersion)
            *fileVersion = version;
        return true;
    } catch (const XmlLibraryError&) {
        // The library failed on a file it had parsed; to the user the file is
        // simply not one this program can read.
        errorText = LoadFailure(path, u"The file does not exist, or the file format is invalid.");
        return false;
    }
}

}  // namespace kr
