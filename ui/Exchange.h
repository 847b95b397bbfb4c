// SPDX-License-Identifier: MIT
#pragma once
// Moving a page's fields to and from its controls. One ExchangeContext runs
// one exchange in one direction: display (fields to controls) or commit
// (controls to fields, checking each value). A refused value shows its
// message, puts the focus on its control with the whole text selected, and
// throws ExchangeFailure, which ends the exchange: controls after the refused
// one are not read, fields read before it keep their new values, the refused
// field keeps its old one (also when a check after its exchange refuses it).
//
// A page passes its controls themselves, kept as its members.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <QString>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QWidget;

namespace kr {

struct ExchangeContext {
    bool commit = false;  // true: controls to fields, checking
    bool quiet = false;  // a refusal shows nothing and leaves the focus
    QWidget* page = nullptr;  // whose controls are exchanged
    QWidget* lastControl = nullptr;  // the control last prepared; none before the first
    bool lastIsEdit = false;  // whether it was prepared as an edit box
    // Puts back the value the last committed field had before, so that a
    // field whose check refuses its new value keeps its old one.
    std::function<void()> undoLast;
};

// Which way an exchange moves values: fields to controls, or controls to
// fields with every check.
enum class Direction { Show, Commit };
// Whether a refusal is told to the user (message, focus, selection) or only
// returned.
enum class Feedback { Tell, Silent };

// Raised by a refused value; the message has been shown already.
struct ExchangeFailure {};

// Runs exchange over page's controls in one direction. False when a value
// was refused. A silent exchange refuses the same values without saying so.
bool RunExchange(QWidget* page, Direction direction, const std::function<void(ExchangeContext&)>& exchange,
                 Feedback feedback = Feedback::Tell);

// Numeric edit boxes.
void ExchangeDecimalWord(ExchangeContext& ctx, QLineEdit* edit, std::uint16_t& field);
void ExchangeDecimalDWord(ExchangeContext& ctx, QLineEdit* edit, std::uint32_t& field);
void ExchangeHexByte(ExchangeContext& ctx, QLineEdit* edit, std::uint8_t& field);
void ExchangeHexWord(ExchangeContext& ctx, QLineEdit* edit, std::uint16_t& field);

// Checks on the value just committed; they do nothing when displaying.
void ValidateRange(ExchangeContext& ctx, std::uint32_t value, std::uint32_t lo, std::uint32_t hi);
void ValidateEvenRangeWord(ExchangeContext& ctx, std::uint16_t value, std::uint16_t lo, std::uint16_t hi);
void ValidateEvenRangeHexByte(ExchangeContext& ctx, std::uint8_t value, std::uint8_t lo, std::uint8_t hi);

// The rule the field table gives the field at path, on the value just
// committed (a text field's also limits the last edit box to its length).
void ValidateField(ExchangeContext& ctx, std::u16string_view path, std::uint32_t value);
void ValidateField(ExchangeContext& ctx, std::u16string_view path, const std::u16string& text);

// A check between two committed fields: when refusal is set (and only when
// committing) it is shown, and the focus goes to the edit box, the field the
// user should change, with its text selected. Both fields keep what was
// committed to them.
void ValidateAt(ExchangeContext& ctx, QLineEdit* edit, const std::optional<std::u16string>& refusal);

// Limits the last edit box to n typed characters (both directions) and, when
// committing, refuses a text longer than n.
void ValidateMaxChars(ExchangeContext& ctx, const std::u16string& text, int n);

// Limits the last edit box to n typed characters, in both directions.
void LimitHexDigits(ExchangeContext& ctx, int n);

// Check box: 0 unchecked, 1 checked. A field outside 0-2 is set to 0 before
// it is shown.
void ExchangeCheckBox(ExchangeContext& ctx, QAbstractButton* box, std::int32_t& field);

// Radio group named by its first button: the position of the checked button
// in its QButtonGroup, -1 when none is checked.
void ExchangeRadioGroup(ExchangeContext& ctx, QAbstractButton* first, std::int32_t& field);

// Drop-down list: the position of the selected item, -1 when none.
void ExchangeList(ExchangeContext& ctx, QComboBox* list, std::int32_t& field);

// Edit box holding plain text.
void ExchangeText(ExchangeContext& ctx, QLineEdit* edit, std::u16string& field);

// Shows message as a refusal in ctx's page and throws ExchangeFailure.
[[noreturn]] void RefuseValue(ExchangeContext& ctx, const QString& message);

}  // namespace kr
