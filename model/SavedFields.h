// SPDX-License-Identifier: MIT
#pragma once
// Walks the fields of the record a save file of a given version holds (those
// introduced up to it, by default every field) in the order the file holds
// them, as the field table lists them, with its element name and the value
// kind it is written as.
//
// The visitor receives BeginGroup(name) before the fields of each group that
// has any,
// BeginList(name) before the pins of a GPIO array (inside the current group),
// and one call per field: Int, DecimalWord, DecimalDWord, HexByte, HexWord or
// String, with the element name and the field.

#include <string>
#include <type_traits>
#include <variant>

#include "model/ConfigurationSettings.h"
#include "model/FieldTable.h"

namespace kr {

// Record is ConfigurationSettings or const ConfigurationSettings.
template <class Record, class Visitor>
void ForEachSavedField(Record& s, Visitor& v, const FieldRows& table = FieldTable(), std::uint16_t upTo = 0xFFFF)
{
    constexpr bool kReading = !std::is_const_v<Record>;
    std::u16string group;
    std::u16string list;
    for (const FieldRow& row : table) {
        if (row.since > upTo)
            continue;
        if (row.group != group) {
            group = row.group;
            list.clear();
            v.BeginGroup(group);
        }
        if (row.list != list) {
            list = row.list;
            v.BeginList(list);
        }
        std::visit(
            [&](auto* field) {
                using Field = std::remove_pointer_t<decltype(field)>;
                using Ref = std::conditional_t<kReading, Field&, const Field&>;
                Ref value = *field;
                if constexpr (std::is_same_v<Field, std::int32_t>)
                    v.Int(row.name, value);
                else if constexpr (std::is_same_v<Field, std::uint8_t>)
                    v.HexByte(row.name, value);
                else if constexpr (std::is_same_v<Field, std::uint32_t>)
                    v.DecimalDWord(row.name, value);
                else if constexpr (std::is_same_v<Field, std::u16string>)
                    v.String(row.name, value);
                else if (row.kind == FieldKind::HexWord)
                    v.HexWord(row.name, value);
                else
                    v.DecimalWord(row.name, value);
            },
            FieldIn(row, const_cast<ConfigurationSettings&>(s)));
    }
}

}  // namespace kr
