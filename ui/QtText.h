// SPDX-License-Identifier: MIT
#pragma once
// The core's UTF-16 strings and Qt's QString hold the same code units; these
// convert between them without loss. Paths cross here too: the core's are
// the system's bytes.

#include <filesystem>
#include <string>
#include <string_view>

#include <QString>
#include <QStringList>

#include "model/FieldTable.h"
#include "platform/PathText.h"

namespace kr {

inline QString ToQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline std::u16string ToU16(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

// A path as Qt takes file names on this system (UTF-8, as QFile::decodeName
// and encodeName read and write them), and back. Unlike those, the round trip
// keeps every byte: bytes that are not UTF-8 travel as lone surrogates
// (platform::PathAsText), which a QString holds untouched, so a path the core
// gave comes back to it unchanged. To show a path to a person, use
// ShownPath instead.
inline QString PathToQString(const std::filesystem::path& path)
{
    return ToQString(platform::PathAsText(path));
}

inline std::filesystem::path QStringToPath(const QString& text)
{
    return platform::PathFromText(ToU16(text));
}

// A path held as text (as PathToQString makes it) the way a person reads it:
// bytes that are not UTF-8 show as U+FFFD.
inline QString ShownPathText(const QString& text)
{
    return ToQString(platform::ShownPath(QStringToPath(text)));
}

// The items of a list control for a choice field, as the field table labels
// its stored values.
inline QStringList ChoiceItems(std::u16string_view path)
{
    QStringList items;
    for (const std::u16string& label : ChoiceLabels(path))
        items << ToQString(label);
    return items;
}

}  // namespace kr
