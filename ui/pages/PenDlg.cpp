// SPDX-License-Identifier: MIT
#include "ui/pages/PenDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "model/SettingsRules.h"
#include "ui/pages/PageLayout.h"

namespace kr {

CPenDlg::CPenDlg(QWidget* parent, PenData* record) : CGroupPage(kTemplateId, parent, record)
{
    using namespace pen_id;
    QVBoxLayout* page = StartPage(this);
    QGridLayout* grid = nullptr;
    page->addWidget(MakeFrame(this, tr("Pen Support"), grid));

    // A check box; every one but "Pen Support" joins the controls enabled
    // with it.
    auto check = [&](const QString& caption, int id, bool refreshes) {
        QCheckBox* box = MakeCheckBox(this, caption, id);
        if (refreshes)
            connect(box, &QCheckBox::clicked, this, &CPenDlg::RefreshControls);
        if (id != kPen)
            penSet_ << box;
        return box;
    };
    // A label, a value box and, for tilt, its unit, from column `column` on.
    auto value = [&](int row, int column, const QString& label, int labelId, int boxId, int unitId) {
        QLabel* caption = MakeLabel(this, label, labelId);
        grid->addWidget(caption, row, column);
        QLineEdit* box = MakeNumberBox(this, boxId);
        grid->addWidget(box, row, column + 1);
        penSet_ << caption << box;
        if (unitId != 0) {
            QLabel* unit = MakeLabel(this, tr("(units)"), unitId);
            grid->addWidget(unit, row, column + 2);
            penSet_ << unit;
        }
        return box;
    };

    pen_ = check(tr("Pen Support"), kPen, true);
    grid->addWidget(pen_, 0, 0, 1, 8);
    grid->addItem(MakeGap(this), 1, 0);
    grid->addWidget(pressure_ = check(tr("Pressure"), kPressure, true), 2, 1);
    pressureMax_ = value(2, 2, tr("Max:"), kPressureMaxLabel, kPressureMax, 0);
    grid->addWidget(tiltX_ = check(tr("Tilt X:"), kTiltX, true), 3, 1);
    tiltXMin_ = value(3, 2, tr("Min:"), kTiltXMinLabel, kTiltXMin, kTiltXMinUnit);
    tiltXMax_ = value(3, 5, tr("Max:"), kTiltXMaxLabel, kTiltXMax, kTiltXMaxUnit);
    grid->addWidget(tiltY_ = check(tr("Tilt Y:"), kTiltY, true), 4, 1);
    tiltYMin_ = value(4, 2, tr("Min:"), kTiltYMinLabel, kTiltYMin, kTiltYMinUnit);
    tiltYMax_ = value(4, 5, tr("Max:"), kTiltYMaxLabel, kTiltYMax, kTiltYMaxUnit);
    grid->addWidget(inverted_ = check(tr("Inverted"), kInverted, false), 5, 1, 1, 7);
    grid->addWidget(barrelButton_ = check(tr("Barrel Button"), kBarrelButton, false), 6, 1, 1, 7);

    grid->setColumnMinimumWidth(0, ButtonCaptionIndent(pen_));
    grid->setColumnStretch(8, 1);
    FinishPage(this, page);
}

void CPenDlg::ExchangeGroup(ExchangeContext& ctx, PenData& group)
{
    ExchangeCheckBox(ctx, pen_, group.bPen);
    ExchangeCheckBox(ctx, pressure_, group.bPressure);
    ExchangeCheckBox(ctx, tiltX_, group.bXTilt);
    ExchangeCheckBox(ctx, tiltY_, group.bYTilt);
    ExchangeCheckBox(ctx, inverted_, group.bInverted);
    ExchangeCheckBox(ctx, barrelButton_, group.bBarrelButton);
    // Each value in its range; then, with both of a tilt committed, its
    // minimum not above its maximum, which hosts refuse. A tilt the pen does
    // not report puts no range in the report descriptor, and its boxes are
    // greyed out: its relation is not checked.
    ExchangeDecimalWord(ctx, pressureMax_, group.pressure);
    ValidateField(ctx, u"PenData/pressure", group.pressure);
    ExchangeDecimalWord(ctx, tiltXMin_, group.xTiltMin);
    ValidateField(ctx, u"PenData/xTiltMin", group.xTiltMin);
    ExchangeDecimalWord(ctx, tiltXMax_, group.xTiltMax);
    ValidateField(ctx, u"PenData/xTiltMax", group.xTiltMax);
    if (group.bPen && group.bXTilt)
        ValidateAt(ctx, tiltXMin_, CheckMinimumNotAbove(group.xTiltMin, group.xTiltMax));
    ExchangeDecimalWord(ctx, tiltYMin_, group.yTiltMin);
    ValidateField(ctx, u"PenData/yTiltMin", group.yTiltMin);
    ExchangeDecimalWord(ctx, tiltYMax_, group.yTiltMax);
    ValidateField(ctx, u"PenData/yTiltMax", group.yTiltMax);
    if (group.bPen && group.bYTilt)
        ValidateAt(ctx, tiltYMin_, CheckMinimumNotAbove(group.yTiltMin, group.yTiltMax));
}

void CPenDlg::RefreshControls()
{
    if (!pen_->isChecked()) {
        EnableControls(penSet_, false);
        return;
    }
    EnableControls(penSet_, true);
    pressureMax_->setEnabled(pressure_->isChecked());
    EnableControls({tiltXMin_, tiltXMax_}, tiltX_->isChecked());
    EnableControls({tiltYMin_, tiltYMax_}, tiltY_->isChecked());
}

}  // namespace kr
