// SPDX-License-Identifier: MIT
#include "ui/Exchange.h"

#include <stdexcept>
#include <utility>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>

#include "model/FieldTable.h"
#include "model/NumericEntry.h"
#include "ui/InputLimit.h"
#include "ui/Interaction.h"
#include "ui/QtText.h"

namespace kr {
namespace {

QLineEdit* PrepareEdit(ExchangeContext& ctx, QLineEdit* edit)
{
    ctx.lastControl = edit;
    ctx.lastIsEdit = true;
    ctx.undoLast = nullptr;
    return edit;
}

void PrepareOther(ExchangeContext& ctx, QWidget* control)
{
    ctx.lastControl = control;
    ctx.lastIsEdit = false;
    ctx.undoLast = nullptr;
}

// Stores a committed value, remembering the old one for a check that follows.
template <class Field> void Store(ExchangeContext& ctx, Field& field, Field value)
{
    ctx.undoLast = [&field, old = field] { field = old; };
    field = std::move(value);
}

void ShowText(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

void ExchangeNumber(ExchangeContext& ctx, QLineEdit* edit, NumberKind kind, std::uint32_t& value)
{
    PrepareEdit(ctx, edit);
    if (!ctx.commit) {
        ShowText(edit, ToQString(FormatEntry(kind, value)));
        return;
    }
    const EntryResult read = ParseEntry(kind, ToU16(edit->text()));
    if (!read.ok)
        RefuseValue(ctx, ToQString(read.message));
    value = read.value;
}

template <class Field> void ExchangeNumberField(ExchangeContext& ctx, QLineEdit* edit, NumberKind kind, Field& field)
{
    std::uint32_t value = field;
    ExchangeNumber(ctx, edit, kind, value);
    if (ctx.commit)
        Store(ctx, field, static_cast<Field>(value));  // ParseEntry keeps the value within the field's width
}

void Check(ExchangeContext& ctx, const std::optional<std::u16string>& refusal)
{
    if (ctx.commit && refusal)
        RefuseValue(ctx, ToQString(*refusal));
}

void LimitLastEdit(ExchangeContext& ctx, int n)
{
    if (!ctx.lastControl || !ctx.lastIsEdit)
        return;
    CInputLimit::Apply(qobject_cast<QLineEdit*>(ctx.lastControl), n);
}

}  // namespace

bool RunExchange(QWidget* page, Direction direction, const std::function<void(ExchangeContext&)>& exchange,
                 Feedback feedback)
{
    ExchangeContext ctx;
    ctx.commit = direction == Direction::Commit;
    ctx.quiet = feedback == Feedback::Silent;
    ctx.page = page;
    try {
        exchange(ctx);
    } catch (const ExchangeFailure&) {
        return false;
    }
    return true;
}

void RefuseValue(ExchangeContext& ctx, const QString& message)
{
    if (ctx.undoLast)
        ctx.undoLast();
    if (ctx.quiet)
        throw ExchangeFailure{};
    Interaction().ShowMessage(ctx.page->window(), kApplicationName, message, MessageIcon::Warning);
    if (ctx.lastControl) {
        ctx.lastControl->setFocus(Qt::OtherFocusReason);
        if (ctx.lastIsEdit)
            qobject_cast<QLineEdit*>(ctx.lastControl)->selectAll();
    }
    throw ExchangeFailure{};
}

void ExchangeDecimalWord(ExchangeContext& ctx, QLineEdit* edit, std::uint16_t& field)
{
    ExchangeNumberField(ctx, edit, NumberKind::DecimalWord, field);
}

void ExchangeDecimalDWord(ExchangeContext& ctx, QLineEdit* edit, std::uint32_t& field)
{
    ExchangeNumberField(ctx, edit, NumberKind::DecimalDWord, field);
}

void ExchangeHexByte(ExchangeContext& ctx, QLineEdit* edit, std::uint8_t& field)
{
    ExchangeNumberField(ctx, edit, NumberKind::HexByte, field);
}

void ExchangeHexWord(ExchangeContext& ctx, QLineEdit* edit, std::uint16_t& field)
{
    ExchangeNumberField(ctx, edit, NumberKind::HexWord, field);
}

void ValidateRange(ExchangeContext& ctx, std::uint32_t value, std::uint32_t lo, std::uint32_t hi)
{
    Check(ctx, CheckRange(value, lo, hi));
}

void ValidateEvenRangeWord(ExchangeContext& ctx, std::uint16_t value, std::uint16_t lo, std::uint16_t hi)
{
    Check(ctx, CheckEvenRangeWord(value, lo, hi));
}

void ValidateEvenRangeHexByte(ExchangeContext& ctx, std::uint8_t value, std::uint8_t lo, std::uint8_t hi)
{
    Check(ctx, CheckEvenRangeHexByte(value, lo, hi));
}

void ValidateField(ExchangeContext& ctx, std::u16string_view path, std::uint32_t value)
{
    Check(ctx, PageRefusal(Field(path), value));
}

void ValidateField(ExchangeContext& ctx, std::u16string_view path, const std::u16string& text)
{
    const FieldRow& row = Field(path);
    ValidateMaxChars(ctx, text, static_cast<int>(row.range.hi));
}

void ValidateAt(ExchangeContext& ctx, QLineEdit* edit, const std::optional<std::u16string>& refusal)
{
    if (!ctx.commit || !refusal)
        return;
    PrepareEdit(ctx, edit);
    Check(ctx, refusal);
}

void ValidateMaxChars(ExchangeContext& ctx, const std::u16string& text, int n)
{
    LimitLastEdit(ctx, n);
    Check(ctx, CheckMaxChars(text, n));
}

void LimitHexDigits(ExchangeContext& ctx, int n)
{
    LimitLastEdit(ctx, n);
}

void ExchangeCheckBox(ExchangeContext& ctx, QAbstractButton* box, std::int32_t& field)
{
    PrepareOther(ctx, box);
    if (ctx.commit) {
        field = box->isChecked() ? 1 : 0;
        return;
    }
    if (field < 0 || field > 2)
        field = 0;
    // 2 is the third state of a three-state box; these boxes have two states,
    // so it shows as checked.
    box->setChecked(field != 0);
}

void ExchangeRadioGroup(ExchangeContext& ctx, QAbstractButton* first, std::int32_t& field)
{
    PrepareOther(ctx, first);
    QButtonGroup* group = first->group();
    const QList<QAbstractButton*> buttons = group ? group->buttons() : QList<QAbstractButton*>{first};
    if (ctx.commit) {
        field = -1;
        for (qsizetype i = 0; i < buttons.size(); ++i) {
            if (buttons[i]->isChecked()) {
                field = static_cast<std::int32_t>(i);
                break;
            }
        }
        return;
    }
    // An exclusive group refuses to clear its checked button; lift that while
    // setting, so that a position outside the group checks none.
    const bool exclusive = group && group->exclusive();
    if (exclusive)
        group->setExclusive(false);
    for (qsizetype i = 0; i < buttons.size(); ++i)
        buttons[i]->setChecked(i == field);
    if (exclusive)
        group->setExclusive(true);
}

void ExchangeList(ExchangeContext& ctx, QComboBox* list, std::int32_t& field)
{
    PrepareOther(ctx, list);
    if (ctx.commit) {
        field = list->currentIndex();
        return;
    }
    list->setCurrentIndex(field >= 0 && field < list->count() ? field : -1);
}

void ExchangeText(ExchangeContext& ctx, QLineEdit* edit, std::u16string& field)
{
    PrepareEdit(ctx, edit);
    if (ctx.commit)
        Store(ctx, field, ToU16(edit->text()));
    else
        ShowText(edit, ToQString(field));
}

}  // namespace kr
