// SPDX-License-Identifier: MIT
#include "ui/pages/PageLayout.h"

#include <algorithm>
#include <string>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "ui/pages/Page.h"
#include "ui/TabOrder.h"

namespace kr {
namespace {

// Digits a number box shows without scrolling: the longest clock rate,
// 4000000, with room to spare.
constexpr int kNumberBoxDigits = 9;

// An edit box whose width follows its font: as many digits as the longest
// value, plus the frame the style draws around the text.
class NumberBox : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

    QSize sizeHint() const override
    {
        const QSize base = QLineEdit::sizeHint();
        const QFontMetrics metrics(font());
        // The base hint is 17 'x' wide plus the frame; keep the frame, take
        // the digits instead.
        const int frame = base.width() - 17 * metrics.horizontalAdvance(QLatin1Char('x'));
        return {frame + metrics.horizontalAdvance(QString(kNumberBoxDigits, QLatin1Char('0'))), base.height()};
    }

    QSize minimumSizeHint() const override { return sizeHint(); }
};

}  // namespace

QLabel* MakeLabel(QWidget* parent, const QString& text, int id)
{
    auto* label = new QLabel(text, parent);
    if (id != 0)
        SetControlId(label, id);
    return label;
}

QLineEdit* MakeNumberBox(QWidget* parent, int id)
{
    auto* box = WithId(new NumberBox(parent), id);
    box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return box;
}

QLineEdit* MakeTextBox(QWidget* parent, int id)
{
    return WithId(new QLineEdit(parent), id);
}

QComboBox* MakeList(QWidget* parent, int id, const QStringList& items)
{
    auto* list = WithId(new QComboBox(parent), id);
    list->addItems(items);
    return list;
}

QCheckBox* MakeCheckBox(QWidget* parent, const QString& text, int id)
{
    return WithId(new QCheckBox(text, parent), id);
}

QRadioButton* MakeRadio(QWidget* parent, const QString& text, int id)
{
    return WithId(new QRadioButton(text, parent), id);
}

QButtonGroup* MakeRadioGroup(QWidget* parent, std::initializer_list<QAbstractButton*> buttons)
{
    auto* group = new QButtonGroup(parent);
    for (QAbstractButton* button : buttons)
        group->addButton(button);
    return group;
}

QGroupBox* MakeFrame(QWidget* parent, const QString& caption, QGridLayout*& grid)
{
    auto* frame = new QGroupBox(caption, parent);
    grid = new QGridLayout(frame);
    return frame;
}

QLabel* MakeNote(QWidget* parent, const QString& text, int id)
{
    QLabel* note = MakeLabel(parent, text, id);
    note->setTextFormat(Qt::PlainText);
    QSizePolicy policy = note->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    note->setSizePolicy(policy);
    return note;
}

QSpacerItem* MakeGap(const QWidget* widget, Qt::Orientation orientation)
{
    const int line = widget->fontMetrics().height();
    if (orientation == Qt::Horizontal)
        return new QSpacerItem(line, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    return new QSpacerItem(0, line / 2, QSizePolicy::Minimum, QSizePolicy::Fixed);
}

int ButtonCaptionIndent(const QWidget* widget)
{
    const QStyle* style = widget->style();
    return style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget)
           + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, widget);
}

void AlignFirstColumns(std::initializer_list<QGridLayout*> grids)
{
    int width = 0;
    for (QGridLayout* grid : grids) {
        for (int row = 0; row < grid->rowCount(); ++row) {
            QLayoutItem* item = grid->itemAtPosition(row, 0);
            // Items that span further columns do not set the column's width.
            int r = 0, c = 0, rowSpan = 0, columnSpan = 0;
            if (item)
                grid->getItemPosition(grid->indexOf(item), &r, &c, &rowSpan, &columnSpan);
            if (item && columnSpan == 1)
                width = std::max(width, item->sizeHint().width());
        }
    }
    for (QGridLayout* grid : grids)
        grid->setColumnMinimumWidth(0, width);
}

QVBoxLayout* StartPage(CPage* page)
{
    return new QVBoxLayout(page);
}

void FinishPage(CPage* page, QVBoxLayout* layout)
{
    page->AddRowControls(layout);
    layout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(page->DefaultButton());
    layout->addLayout(buttons);
    SetTabOrderByLayout(page);
}

void EnableControls(const QList<QWidget*>& controls, bool enable)
{
    for (QWidget* control : controls)
        control->setEnabled(enable);
}

void ShowControls(const QList<QWidget*>& controls, bool show)
{
    for (QWidget* control : controls)
        control->setVisible(show);
}

}  // namespace kr
