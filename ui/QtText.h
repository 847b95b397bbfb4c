// SPDX-License-Identifier: MIT
#pragma once
// The core's UTF-16 strings and Qt's QString hold the same code units; these
// convert between them without loss.

#include <string>
#include <string_view>

#include <QString>

namespace kr {

inline QString ToQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline std::u16string ToU16(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()));
}

}  // namespace kr
