// SPDX-License-Identifier: MIT
#include "ui/pages/GpioDlg.h"

#include <algorithm>

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/pages/DeviceDlg.h"
#include "ui/pages/PageLayout.h"

namespace kr {

namespace {

constexpr int kShortPins = 7;

// The grid: a label column, the three mode columns and the two level
// columns, each block with a narrow column on either side that keeps its
// buttons off its frame's lines.
constexpr int kLabelColumn = 0;
constexpr int kFirstModeColumn = 2;
constexpr int kFirstLevelColumn = 8;
constexpr int kModePads[] = {1, 5};
constexpr int kLevelPads[] = {7, 10};

// Rows: a pad, the headings, pins 0-6, the short layout's "All" row and its
// bottom pad, pins 7-15, the tall layout's "All" row and its bottom pad. Each
// layout hides the other's rows, so the short "All" row stands just below
// pin 6 and the tall one below pin 15.
constexpr int kHeadingRow = 1;
constexpr int kShortAllRow = 2 + kShortPins;
constexpr int kShortPadRow = kShortAllRow + 1;
constexpr int kTallAllRow = kShortPadRow + 1 + kPinCount - kShortPins;
constexpr int kTallPadRow = kTallAllRow + 1;

constexpr int PinRow(int pin)
{
    return pin < kShortPins ? 2 + pin : kShortPadRow + 1 + pin - kShortPins;
}

constexpr int ColumnOf(int column)
{
    return column < 3 ? kFirstModeColumn + column : kFirstLevelColumn + column - 3;
}

// Half a line's height: the space between a block's frame and its buttons.
int Pad(const QWidget* widget)
{
    return widget->fontMetrics().height() / 2;
}

}  // namespace

CGpioDlg::CGpioDlg(const CDeviceDlg* device, QWidget* parent, GpioData* record)
    : CGroupPage(kTemplateId, parent, record), device_(device)
{
    using namespace gpio_id;
    // Its rules read the Device page, which may have changed meanwhile.
    SetRefreshOnActivation(true);

    QVBoxLayout* page = StartPage(this);
    auto* box = new QGroupBox(tr("GPIO"), this);
    page->addWidget(box);
    grid_ = new QGridLayout(box);
    grid_->setVerticalSpacing(0);

    // The frames first, so that the buttons lie over them.
    auto frame = [&](int id, int lastRow, const int(&pads)[2]) {
        auto* f = WithId(new QFrame(this), id);
        f->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        grid_->addWidget(f, 0, pads[0], lastRow + 1, pads[1] - pads[0] + 1);
        (lastRow == kShortPadRow ? shortSet_ : tallSet_) << f;
    };
    frame(kShortModeFrame, kShortPadRow, kModePads);
    frame(kShortLevelFrame, kShortPadRow, kLevelPads);
    frame(kTallModeFrame, kTallPadRow, kModePads);
    frame(kTallLevelFrame, kTallPadRow, kLevelPads);

    const QString headings[] = {tr("Input\n(Open-Drain)"), tr("Output\n(Open-Drain)"), tr("Output\n(Push-Pull)"),
                                tr("Low\n'0'"), tr("High\n'1'")};
    for (int column = 0; column < 5; ++column) {
        QLabel* heading = MakeLabel(this, headings[column]);
        heading->setAlignment(Qt::AlignCenter);
        grid_->addWidget(heading, kHeadingRow, ColumnOf(column));
    }

    for (int pin = 0; pin < kPinCount; ++pin) {
        const int row = PinRow(pin);
        QLabel* label = MakeLabel(this, tr("GPIO.%1:").arg(pin), RowLabel(pin));
        // As wide as the widest label, shown or not, so that the columns
        // stay in place when the chip changes.
        grid_->setColumnMinimumWidth(kLabelColumn,
                                     std::max(grid_->columnMinimumWidth(kLabelColumn), label->sizeHint().width()));
        grid_->addWidget(label, row, kLabelColumn);
        std::array<QRadioButton*, 5>& buttons = pins_[pin];
        const int ids[] = {Input(pin), OutputOpenDrain(pin), OutputPushPull(pin), Low(pin), High(pin)};
        for (int column = 0; column < 5; ++column) {
            buttons[column] = MakeRadio(this, QString(), ids[column]);
            buttons[column]->setAccessibleName(
                tr("GPIO.%1 %2").arg(pin).arg(QString(headings[column]).replace('\n', ' ')));
            grid_->addWidget(buttons[column], row, ColumnOf(column), Qt::AlignCenter);
        }
        MakeRadioGroup(this, {buttons[0], buttons[1], buttons[2]});
        MakeRadioGroup(this, {buttons[3], buttons[4]});
        for (int column = 0; column < 3; ++column)
            connect(buttons[column], &QRadioButton::clicked, this, &CGpioDlg::RefreshControls);
        if (pin >= kShortPins) {
            tallSet_ << label;
            for (QRadioButton* button : buttons)
                tallSet_ << button;
        }
    }

    for (int column = 0; column < 5; ++column) {
        for (auto [id, row] : {std::pair{kShortAll, kShortAllRow}, std::pair{kTallAll, kTallAllRow}}) {
            auto* all = WithId(new QPushButton(tr("All"), this), id + column);
            all->setAutoDefault(false);
            all->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
            connect(all, &QPushButton::clicked, this, [this, column] { SetAll(column); });
            grid_->addWidget(all, row, ColumnOf(column), Qt::AlignCenter);
            (id == kShortAll ? shortSet_ : tallSet_) << all;
        }
    }

    const int pad = Pad(this);
    for (int column : {kModePads[0], kModePads[1], kLevelPads[0], kLevelPads[1]})
        grid_->setColumnMinimumWidth(column, pad);
    grid_->setRowMinimumHeight(0, pad);
    grid_->setColumnStretch(kLevelPads[1] + 1, 1);
    FinishPage(this, page);
}

void CGpioDlg::ExchangeGroup(ExchangeContext& ctx, GpioData& group)
{
    // All 16 pins, shown or not: the modes, then the levels.
    for (int pin = 0; pin < kPinCount; ++pin)
        ExchangeRadioGroup(ctx, pins_[pin][0], group.modes[pin]);
    for (int pin = 0; pin < kPinCount; ++pin)
        ExchangeRadioGroup(ctx, pins_[pin][3], group.values[pin]);
}

void CGpioDlg::RefreshControls()
{
    const bool tall = !(device_ && device_->DeviceSelection() == 0);
    ShowControls(shortSet_, !tall);
    ShowControls(tallSet_, tall);
    // The bottom pad of the layout not shown would leave a gap.
    const int pad = Pad(this);
    grid_->setRowMinimumHeight(kShortPadRow, tall ? 0 : pad);
    grid_->setRowMinimumHeight(kTallPadRow, tall ? pad : 0);

    for (int pin = 0; pin < kPinCount; ++pin) {
        const bool input = pins_[pin][0]->isChecked();
        if (input)
            pins_[pin][4]->setChecked(true);
        EnableControls({pins_[pin][3], pins_[pin][4]}, !input);
    }
}

void CGpioDlg::SetAll(int column)
{
    if (!ExchangeData(Direction::Commit))
        return;
    for (int pin = 0; pin < kPinCount; ++pin) {
        if (column < 3)
            data.modes[pin] = column;
        else
            data.values[pin] = column - 3;
    }
    ExchangeData(Direction::Show);
    RefreshControls();
}

}  // namespace kr
