// SPDX-License-Identifier: MIT
#pragma once
// The save file: one ConfigurationSettings as an XML document, written and
// read through one CSerialXml per call. Neither operation shows anything;
// both clear errorText first and fill it with the message to show on failure.

#include <filesystem>
#include <string>

#include "model/ConfigurationSettings.h"
#include "settings/SaveFileSize.h"
#include "settings/SerialXml.h"

namespace kr {

// Writes every field to path, indented, replacing any file there only once
// the new one is complete. False with "Failed to save settings to:\n<path>"
// and a line with the reason (the library's, or the path written and the
// system's) when the stylesheet resource is missing, the file cannot be
// written, a text holds a character XML cannot carry, a path is not UTF-8, or
// the file would be larger than kMaxSaveFileBytes (so could not be loaded
// again).
bool SaveSettings(const std::filesystem::path& path, const ConfigurationSettings& settings, std::u16string& errorText);

// Fills settings from the file at path. Refuses, with the record untouched,
// a file larger than kMaxSaveFileBytes (by its size, before reading it), one
// that cannot be parsed and one whose SAVE_FILE_VERSION is absent or above
// 0x0100. A file lacking a field is refused too, but the fields before
// it have been filled already: load into a fresh record and adopt it only on
// true.
bool LoadSettings(const std::filesystem::path& path, ConfigurationSettings& settings, std::u16string& errorText);

// The reading step of LoadSettings over an already parsed document: every
// field from the first element its path "//Group/field" selects. False at the
// first field that has no element; the fields read before it keep their new
// values.
bool ReadSettings(CSerialXml& document, ConfigurationSettings& settings);

}  // namespace kr
