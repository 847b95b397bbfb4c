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

using namespace pen_id;

namespace {

// Everything but "Pen Support" itself, enabled only with it.
const QList<int> kPenSet = {kPressure,      kPressureMaxLabel, kPressureMax,   kTiltX,        kTiltXMinLabel,
                            kTiltXMin,      kTiltXMinUnit,     kTiltXMaxLabel, kTiltXMax,     kTiltXMaxUnit,
                            kTiltY,         kTiltYMinLabel,    kTiltYMin,      kTiltYMinUnit, kTiltYMaxLabel,
                            kTiltYMax,      kTiltYMaxUnit,     kInverted,      kBarrelButton};

}  // namespace

CPenDlg::CPenDlg(QWidget* parent, PenData* record) : CGroupPage(kTemplateId, parent, record)
{
    QVBoxLayout* page = StartPage(this);
    QGridLayout* grid = nullptr;
    page->addWidget(MakeFrame(this, tr("Pen Support"), grid));

    auto check = [&](const QString& caption, int id, bool refreshes) {
        QCheckBox* box = MakeCheckBox(this, caption, id);
        if (refreshes)
            connect(box, &QCheckBox::clicked, this, &CPenDlg::RefreshControls);
        return box;
    };
    // A label, a value box and, for tilt, its unit, from column `column` on.
    auto value = [&](int row, int column, const QString& label, int labelId, int boxId, int unitId) {
        grid->addWidget(MakeLabel(this, label, labelId), row, column);
        grid->addWidget(MakeNumberBox(this, boxId), row, column + 1);
        if (unitId != 0)
            grid->addWidget(MakeLabel(this, tr("(units)"), unitId), row, column + 2);
    };

    QCheckBox* pen = check(tr("Pen Support"), kPen, true);
    grid->addWidget(pen, 0, 0, 1, 8);
    grid->addItem(MakeGap(this), 1, 0);
    grid->addWidget(check(tr("Pressure"), kPressure, true), 2, 1);
    value(2, 2, tr("Max:"), kPressureMaxLabel, kPressureMax, 0);
    grid->addWidget(check(tr("Tilt X:"), kTiltX, true), 3, 1);
    value(3, 2, tr("Min:"), kTiltXMinLabel, kTiltXMin, kTiltXMinUnit);
    value(3, 5, tr("Max:"), kTiltXMaxLabel, kTiltXMax, kTiltXMaxUnit);
    grid->addWidget(check(tr("Tilt Y:"), kTiltY, true), 4, 1);
    value(4, 2, tr("Min:"), kTiltYMinLabel, kTiltYMin, kTiltYMinUnit);
    value(4, 5, tr("Max:"), kTiltYMaxLabel, kTiltYMax, kTiltYMaxUnit);
    grid->addWidget(check(tr("Inverted"), kInverted, false), 5, 1, 1, 7);
    grid->addWidget(check(tr("Barrel Button"), kBarrelButton, false), 6, 1, 1, 7);

    grid->setColumnMinimumWidth(0, ButtonCaptionIndent(pen));
    grid->setColumnStretch(8, 1);
    FinishPage(this, page);
}

void CPenDlg::ExchangeGroup(ExchangeContext& ctx, PenData& group)
{
    ExchangeCheckBox(ctx, kPen, group.bPen);
    ExchangeCheckBox(ctx, kPressure, group.bPressure);
    ExchangeCheckBox(ctx, kTiltX, group.bXTilt);
    ExchangeCheckBox(ctx, kTiltY, group.bYTilt);
    ExchangeCheckBox(ctx, kInverted, group.bInverted);
    ExchangeCheckBox(ctx, kBarrelButton, group.bBarrelButton);
    // Each value in its range; then, with both of a tilt committed, its
    // minimum not above its maximum, which hosts refuse. A tilt the pen does
    // not report puts no range in the report descriptor, and its boxes are
    // greyed out: its relation is not checked.
    ExchangeDecimalWord(ctx, kPressureMax, group.pressure);
    ValidateField(ctx, u"PenData/pressure", group.pressure);
    ExchangeDecimalWord(ctx, kTiltXMin, group.xTiltMin);
    ValidateField(ctx, u"PenData/xTiltMin", group.xTiltMin);
    ExchangeDecimalWord(ctx, kTiltXMax, group.xTiltMax);
    ValidateField(ctx, u"PenData/xTiltMax", group.xTiltMax);
    if (group.bPen && group.bXTilt)
        ValidateAt(ctx, kTiltXMin, CheckMinimumNotAbove(group.xTiltMin, group.xTiltMax));
    ExchangeDecimalWord(ctx, kTiltYMin, group.yTiltMin);
    ValidateField(ctx, u"PenData/yTiltMin", group.yTiltMin);
    ExchangeDecimalWord(ctx, kTiltYMax, group.yTiltMax);
    ValidateField(ctx, u"PenData/yTiltMax", group.yTiltMax);
    if (group.bPen && group.bYTilt)
        ValidateAt(ctx, kTiltYMin, CheckMinimumNotAbove(group.yTiltMin, group.yTiltMax));
}

void CPenDlg::RefreshControls()
{
    if (!IsChecked(*this, kPen)) {
        EnableControls(*this, kPenSet, false);
        return;
    }
    EnableControls(*this, kPenSet, true);
    EnableControls(*this, {kPressureMax}, IsChecked(*this, kPressure));
    EnableControls(*this, {kTiltXMin, kTiltXMax}, IsChecked(*this, kTiltX));
    EnableControls(*this, {kTiltYMin, kTiltYMax}, IsChecked(*this, kTiltY));
}

}  // namespace kr
