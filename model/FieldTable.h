// SPDX-License-Identifier: MIT
#pragma once
// The one table of the record's fields. Each row says where the field stands
// in a save file, the save-file version that introduced it, what the rules
// call it, how its value is written and read, the rule a value must keep and,
// for a list or radio field, the label of each stored value. Saving and loading, the rules of a valid record, the
// pages' checks, the command line's show/set/diff and the generator's choice
// texts all read these rows; a field's default is the record's construction
// default.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "model/Choices.h"
#include "model/ConfigurationSettings.h"
#include "model/NumericEntry.h"

namespace kr {

// Inclusive bounds of a numeric field.
struct ValueRange {
    std::uint32_t lo;
    std::uint32_t hi;
};

inline constexpr ValueRange kMaxPowerLimits{0, 500};  // mA, even
inline constexpr ValueRange kSpiClockLimits{100000, 4000000};  // Hz
inline constexpr ValueRange kSmbusClockLimits{10000, 400000};  // Hz
inline constexpr ValueRange kSmbusAddressLimits{0x00, 0xFE};  // even
inline constexpr ValueRange kUartBaudRateLimits{9600, 500000};  // bits per second
inline constexpr ValueRange kHidValueLimits{1, 65535};  // every screen, touch and pen value
inline constexpr int kMaxUsbTextChars = 61;  // manufacturer and product

// The save-file version of the first fields: every version below it counts
// as this one, and a record that uses no later field is written as it.
inline constexpr std::uint16_t kFirstSaveFileVersion = 0x0100;

// How a field is stored, written to a save file and shown.
enum class FieldKind {
    Flag,  // 32-bit integer, 0 off or 1 on
    Choice,  // 32-bit integer, the position of one of the row's choices
    Count,  // a choice whose position is itself the count chosen ("0" to "n")
    DecimalWord,  // uint16 in decimal
    DecimalDWord,  // uint32 in decimal
    HexByte,  // uint8 in two hex digits
    HexWord,  // uint16 in four hex digits
    Text,  // wide text
};

// The rule a committed value keeps, over the row's range.
enum class FieldRule {
    None,  // any value of its kind (hex words, the project folder)
    Listed,  // one of the row's choices; 0 or 1 for a flag
    Range,  // lo <= value <= hi
    EvenRange,  // lo <= value <= hi and even
    MaxChars,  // at most range.hi characters
};

// Where a field lives inside one record.
using FieldRef = std::variant<std::int32_t*, std::uint8_t*, std::uint16_t*, std::uint32_t*, std::u16string*>;

struct FieldRow {
    std::u16string group;  // "PenData"
    std::u16string list;  // "modes" for a GPIO pin, else empty
    std::u16string name;  // "xTiltMin", "pin3"
    std::u16string path;  // "PenData/xTiltMin", "GpioData/modes/pin3"
    std::u16string label;  // "The X tilt minimum": the subject of the rules' sentences
    FieldKind kind;
    FieldRule rule;
    ValueRange range;  // Range, EvenRange: the bounds; MaxChars: hi characters
    std::vector<std::u16string> choices;  // Choice, Count: the label of each stored value
    int pin;  // a GPIO pin's number, -1 for every other field
    std::function<FieldRef(ConfigurationSettings&)> at;
    // The save-file version that introduced the field: a file of an older
    // version may lack it (it then keeps its default), one of this version
    // or later must hold it.
    std::uint16_t since = kFirstSaveFileVersion;
    // The text of the control its group's page makes from this row alone (a
    // flag's check box, a number's label); empty when the page lays the
    // field out itself.
    std::u16string caption = {};

    // For a row as the table adds it: `.Since(0x0101).OnPage(u"Caption")`.
    FieldRow& Since(std::uint16_t version)
    {
        since = version;
        return *this;
    }
    FieldRow& OnPage(std::u16string text)
    {
        caption = std::move(text);
        return *this;
    }
};

using FieldRows = std::vector<FieldRow>;

// A minimum that must not be above its maximum while every flag of `when`
// is on: hosts refuse a report descriptor with such a range. The refusal is
// given at the minimum.
struct FieldRelation {
    std::u16string minimum;  // path
    std::u16string maximum;  // path
    std::vector<std::u16string> when;  // paths of flags
    std::u16string what;  // "X tilt"
};

// The edit box kind of a number field (a 32-bit decimal box for a flag,
// choice or text, which no box edits).
NumberKind EntryKindOf(FieldKind kind);

// Every field in save-file order.
const FieldRows& FieldTable();
const std::vector<FieldRelation>& FieldRelations();

// The row of a path, nullptr when no field has it.
const FieldRow* FindField(std::u16string_view path);
// The row of a path the code names; the path must be in the table.
const FieldRow& Field(std::u16string_view path);
// A choice field's labels (the list a page offers, the generator's words).
const std::vector<std::u16string>& ChoiceLabels(std::u16string_view path);

// The newest save-file version a table's rows know: the newest a program
// built on it reads.
std::uint16_t NewestSaveFileVersion(const FieldRows& table = FieldTable());
// The oldest version that holds the record: the newest among the fields whose
// value differs from the record's construction default, kFirstSaveFileVersion
// when none does.
std::uint16_t VersionHolding(const ConfigurationSettings& settings, const FieldRows& table = FieldTable());

FieldRef FieldIn(const FieldRow& row, ConfigurationSettings& settings);
// Whether the field holds the same value in both records.
bool SameValue(const FieldRow& row, const ConfigurationSettings& a, const ConfigurationSettings& b);
// Sets the field to its value in `from`.
void CopyValue(const FieldRow& row, const ConfigurationSettings& from, ConfigurationSettings& to);
// A numeric field's value (flags and choices included); 0 for text.
std::int64_t NumberIn(const FieldRow& row, const ConfigurationSettings& settings);
// A text field's value; empty for a number.
std::u16string TextIn(const FieldRow& row, const ConfigurationSettings& settings);

// The value as a save file writes it: "200", "0F", "\"text\"".
std::u16string SavedValue(const FieldRow& row, const ConfigurationSettings& settings);
// The value as the wizard shows it: "on"/"off" for a flag, a choice's
// label, "0x1F3A" for a hex value, the plain text of a text field. A stored
// value outside the choices shows as its number.
std::u16string ShownValue(const FieldRow& row, const ConfigurationSettings& settings);
// Reads text written as ShownValue writes it (a choice also takes its stored
// number unless its labels are numbers themselves; a flag 1/0; a hex value
// with or without "0x") into the field. False with the reason when the text
// is not a value of the field's kind; the rule is not applied here.
bool ReadShownValue(const FieldRow& row, std::u16string_view text, ConfigurationSettings& settings,
                    std::u16string& errorText);

// The message the field's page refuses a committed value with, nothing when
// the rule accepts it. Only numbers and texts are checked: a page offers no
// other choice than the listed ones.
std::optional<std::u16string> PageRefusal(const FieldRow& row, std::uint32_t value);
std::optional<std::u16string> PageRefusal(const FieldRow& row, std::u16string_view text);

// The sentence the rules refuse the field's value with, nothing when the
// value keeps the rule.
std::optional<std::u16string> RuleRefusal(const FieldRow& row, const ConfigurationSettings& settings);

}  // namespace kr
