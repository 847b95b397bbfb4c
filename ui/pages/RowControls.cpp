// SPDX-License-Identifier: MIT
#include "ui/pages/RowControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "ui/QtText.h"
#include "ui/pages/PageLayout.h"

namespace kr {

void CRowControls::MakeFor(QWidget* page, QVBoxLayout* layout, const FieldRows& table, ConfigurationSettings& whole,
                           const void* group, std::size_t size)
{
    const auto* begin = static_cast<const char*>(group);
    QGridLayout* grid = nullptr;
    for (const FieldRow& row : table) {
        if (row.caption.empty())
            continue;
        const void* field = std::visit([](auto* f) -> const void* { return f; }, FieldIn(row, whole));
        const auto* at = static_cast<const char*>(field);
        if (at < begin || at >= begin + size)
            continue;
        if (!grid) {
            grid = new QGridLayout;
            layout->addLayout(grid);
        }
        const QString caption = QCoreApplication::translate("Field", ToQString(row.caption).toUtf8().constData());
        const int line = grid->rowCount();
        QWidget* control = nullptr;
        switch (row.kind) {
        case FieldKind::Flag:
            control = MakeCheckBox(page, caption, 0);
            grid->addWidget(control, line, 0, 1, 2);
            break;
        case FieldKind::Choice:
        case FieldKind::Count: {
            QStringList items;
            for (const std::u16string& choice : row.choices)
                items << ToQString(choice);
            control = MakeList(page, 0, items);
            break;
        }
        case FieldKind::Text:
            control = MakeTextBox(page, 0);
            break;
        default:
            control = MakeNumberBox(page, 0);
            break;
        }
        if (row.kind != FieldKind::Flag) {
            grid->addWidget(MakeLabel(page, caption), line, 0);
            grid->addWidget(control, line, 1);
        }
        control->setObjectName(ToQString(row.path));
        controls_.emplace_back(&row, control);
    }
    if (grid)
        grid->setColumnStretch(2, 1);
}

void CRowControls::ExchangeAll(ExchangeContext& ctx, ConfigurationSettings& whole) const
{
    for (const auto& [row, control] : controls_) {
        const FieldRef field = FieldIn(*row, whole);
        switch (row->kind) {
        case FieldKind::Flag:
            ExchangeCheckBox(ctx, static_cast<QCheckBox*>(control), *std::get<std::int32_t*>(field));
            break;
        case FieldKind::Choice:
        case FieldKind::Count:
            ExchangeList(ctx, static_cast<QComboBox*>(control), *std::get<std::int32_t*>(field));
            break;
        case FieldKind::Text: {
            std::u16string& text = *std::get<std::u16string*>(field);
            ExchangeText(ctx, static_cast<QLineEdit*>(control), text);
            ValidateField(ctx, row->path, text);
            continue;
        }
        case FieldKind::DecimalWord:
            ExchangeDecimalWord(ctx, static_cast<QLineEdit*>(control), *std::get<std::uint16_t*>(field));
            break;
        case FieldKind::DecimalDWord:
            ExchangeDecimalDWord(ctx, static_cast<QLineEdit*>(control), *std::get<std::uint32_t*>(field));
            break;
        case FieldKind::HexByte:
            ExchangeHexByte(ctx, static_cast<QLineEdit*>(control), *std::get<std::uint8_t*>(field));
            LimitHexDigits(ctx, 2);
            break;
        case FieldKind::HexWord:
            ExchangeHexWord(ctx, static_cast<QLineEdit*>(control), *std::get<std::uint16_t*>(field));
            LimitHexDigits(ctx, 4);
            break;
        }
        if (row->kind != FieldKind::Flag && row->kind != FieldKind::Choice && row->kind != FieldKind::Count)
            ValidateField(ctx, row->path, static_cast<std::uint32_t>(NumberIn(*row, whole)));
    }
}

}  // namespace kr
