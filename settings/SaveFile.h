// SPDX-License-Identifier: MIT
#pragma once
// The save file: one ConfigurationSettings as an XML document, written and
// read through one CSerialXml per call. Neither operation shows anything;
// both clear errorText first and fill it with the message to show on failure.

#include <filesystem>
#include <string>

#include "model/ConfigurationSettings.h"
#include "model/FieldTable.h"
#include "settings/SaveFileSize.h"
#include "settings/SerialXml.h"

namespace kr {

// Writes the record to path, indented, replacing any file there only once
// the new one is complete. The file is of the oldest version that holds the
// record (VersionHolding) and holds every field introduced up to it, so that
// every program reading that version reads it. False with "Failed to save settings to:\n<path>"
// and a line with the reason (the library's, or the path written and the
// system's) when the stylesheet resource is missing, the file cannot be
// written, a text holds a character XML cannot carry, a path is not UTF-8, or
// the file would be larger than kMaxSaveFileBytes (so could not be loaded
// again).
bool SaveSettings(const std::filesystem::path& path, const ConfigurationSettings& settings, std::u16string& errorText,
                  const FieldRows& table = FieldTable());

// Fills settings from the file at path: every field from the first element its
// path "//Group/field" selects, whatever version the file claims. A version
// below kFirstSaveFileVersion, or an empty one, counts as that version; a
// field introduced after the file's version that the file lacks takes its
// default. Refuses, with the record untouched, a file larger than
// kMaxSaveFileBytes (by its size, before reading it), one that cannot be
// parsed, one whose SAVE_FILE_VERSION is absent or newer than the table knows
// (a line naming both versions follows the message) and one lacking a field
// of its version (a line naming the missing paths follows). fileVersion, when
// given, receives the version of a loaded file.
bool LoadSettings(const std::filesystem::path& path, ConfigurationSettings& settings, std::u16string& errorText,
                  std::uint16_t* fileVersion = nullptr, const FieldRows& table = FieldTable());

}  // namespace kr
