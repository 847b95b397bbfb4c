// SPDX-License-Identifier: MIT
#include "settings/SaveFile.h"

#include <optional>

#include "platform/PathText.h"
#include "platform/Resources.h"
#include "platform/Utf.h"
#include "platform/Windows1252.h"
#include "model/SavedFields.h"

namespace kr {
namespace {

constexpr std::uint16_t kSaveFileVersion = 0x0100;
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

// Reads each field from "//Group/field" (or "//GpioData/modes/pinN").
// A missing element ends the walk with MissingNodeError.
class FieldReader {
public:
    explicit FieldReader(CSerialXml& document) : document_(document) {}

    void BeginGroup(const std::u16string& name)
    {
        prefix_ = u"//" + name + u"/";
        groupPrefix_ = prefix_;
    }
    void BeginList(const std::u16string& name) { prefix_ = groupPrefix_ + name + u"/"; }

    void Int(const std::u16string& name, std::int32_t& field) { document_.GetInt(prefix_ + name, field); }
    void DecimalWord(const std::u16string& name, std::uint16_t& field)
    {
        document_.GetDecimalWord(prefix_ + name, field);
    }
    void DecimalDWord(const std::u16string& name, std::uint32_t& field)
    {
        document_.GetDecimalDWord(prefix_ + name, field);
    }
    void HexByte(const std::u16string& name, std::uint8_t& field) { document_.GetHexByte(prefix_ + name, field); }
    void HexWord(const std::u16string& name, std::uint16_t& field) { document_.GetHexWord(prefix_ + name, field); }
    void String(const std::u16string& name, std::u16string& field) { document_.GetString(prefix_ + name, field); }

private:
    CSerialXml& document_;
    std::u16string groupPrefix_;
    std::u16string prefix_;
};

std::optional<std::u16string> IndentStylesheet()
{
    const auto bytes = platform::FindResource("XML", kIndentStylesheetResource);
    if (!bytes)
        return std::nullopt;
    return platform::DecodeWindows1252(*bytes);
}

// False with the reason: the library's or the system's, or our own for a
// record no save file can hold.
bool WriteSettings(const std::filesystem::path& path, const ConfigurationSettings& settings, std::string& reason)
{
    try {
        CSerialXml document;
        const XmlNode root = document.CreateElement(u"Touch_Config_Wizard_Save");
        document.AppendToDocument(root);
        const XmlNode settingsElement = document.AppendChild(root, document.CreateElement(u"Settings"));
        document.AppendChild(settingsElement, document.CreateHexWordElement(u"SAVE_FILE_VERSION", kSaveFileVersion));

        FieldWriter writer(document, settingsElement);
        ForEachSavedField(settings, writer);

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

bool SaveSettings(const std::filesystem::path& path, const ConfigurationSettings& settings, std::u16string& errorText)
{
    errorText.clear();
    std::string reason;
    if (WriteSettings(path, settings, reason))
        return true;
    // The reason follows the message on a line of its own.
    errorText = u"Failed to save settings to:\n" + platform::ShownPath(path) + u"\n" + platform::FromUtf8(reason);
    return false;
}

bool LoadSettings(const std::filesystem::path& path, ConfigurationSettings& settings, std::u16string& errorText)
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

        std::uint16_t version = 0xFFFF;
        try {
            document.GetHexWord(u"//SAVE_FILE_VERSION", version);
        } catch (const MissingNodeError&) {
            // Absent: stays above every supported version.
        }
        if (version > kSaveFileVersion) {
            errorText = LoadFailure(path, u"The file version is unsupported.");
            return false;
        }

        if (!ReadSettings(document, settings)) {
            errorText = LoadFailure(path, u"The file is missing configuration settings.");
            return false;
        }
        return true;
    } catch (const XmlLibraryError&) {
        // The library failed on a file it had parsed; to the user the file is
        // simply not one this program can read.
        errorText = LoadFailure(path, u"The file does not exist, or the file format is invalid.");
        return false;
    }
}

bool ReadSettings(CSerialXml& document, ConfigurationSettings& settings)
{
    try {
        FieldReader reader(document);
        ForEachSavedField(settings, reader);
        return true;
    } catch (const MissingNodeError&) {
        return false;
    }
}

}  // namespace kr
