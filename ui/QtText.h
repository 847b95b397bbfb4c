// SPDX-License-Identifier: MIT
#pragma once
// The core's UTF-16 strings and Qt's QString hold the same code units; these
// convert between them without loss.

#include <string>
#include <string_view>

#include <QString>
#include <QStringList>

#include "model/FieldTable.h"

namespace kr {

inline QString ToQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline std::u16string ToU16(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
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
