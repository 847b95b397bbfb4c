// SPDX-License-Identifier: MIT
#include "ui/pages/TouchDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "model/SettingsRules.h"
#include "ui/pages/DeviceDlg.h"
#include "ui/pages/PageLayout.h"

namespace kr {

using namespace touch_id;

namespace {

// Everything that describes a touch point, enabled only when there is one.
const QList<int> kTouchSet = {kConfidence, kPressure,  kPressureMaxLabel, kPressureMax, kWidth,     kWidthMaxLabel,
                              kWidthMax,   kWidthUnit, kHeight,           kHeightMaxLabel, kHeightMax, kHeightUnit};

}  // namespace

CTouchDlg::CTouchDlg(const CDeviceDlg* device, QWidget* parent, TouchData* record)
    : CGroupPage(kTemplateId, parent, record), device_(device)
{
    // Its rules read the Device page, which may have changed meanwhile.
    SetRefreshOnActivation(true);

    QVBoxLayout* page = StartPage(this);
    QGridLayout* grid = nullptr;
    page->addWidget(MakeFrame(this, tr("Touch Points"), grid));

    QComboBox* points = MakeList(this, kTouchPoints, {"0", "1", "2", "3", "4", "5"});
    connect(points, &QComboBox::activated, this, &CTouchDlg::RefreshControls);
    auto* list = new QHBoxLayout;
    list->addWidget(MakeLabel(this, tr("Number of Touch Points:")));
    list->addWidget(points);
    list->addSpacing(list->spacing() * 3);
    list->addWidget(MakeNote(this, tr("*Requires at least one touch point for\n  Single-Point Touch Default Input Mode"),
                             kNote));
    list->addStretch(1);
    grid->addLayout(list, 0, 0, 1, 5);
    grid->addItem(MakeGap(this), 1, 0);
    grid->addWidget(MakeCheckBox(this, tr("Confidence"), kConfidence), 2, 0);

    // A check box, then the largest value it reports.
    auto maximum = [&](int row, const QString& caption, int checkId, int labelId, int boxId) {
        QCheckBox* check = MakeCheckBox(this, caption, checkId);
        connect(check, &QCheckBox::clicked, this, &CTouchDlg::RefreshControls);
        grid->addWidget(check, row, 0);
        grid->addWidget(MakeLabel(this, tr("Max:"), labelId), row, 1);
        grid->addWidget(MakeNumberBox(this, boxId), row, 2);
    };
    maximum(3, tr("Pressure:"), kPressure, kPressureMaxLabel, kPressureMax);
    maximum(4, tr("Touch Point Width:"), kWidth, kWidthMaxLabel, kWidthMax);
    grid->addWidget(MakeLabel(this, tr("pixels"), kWidthUnit), 4, 3);
    maximum(5, tr("Touch Point Height:"), kHeight, kHeightMaxLabel, kHeightMax);
    grid->addWidget(MakeLabel(this, tr("pixels"), kHeightUnit), 5, 3);
    grid->setColumnStretch(4, 1);
    FinishPage(this, page);
}

void CTouchDlg::ExchangeGroup(ExchangeContext& ctx, TouchData& group)
{
    ExchangeList(ctx, kTouchPoints, group.numTouchPoints);
    ExchangeCheckBox(ctx, kConfidence, group.bConfidence);
    ExchangeCheckBox(ctx, kPressure, group.bPressure);
    ExchangeCheckBox(ctx, kWidth, group.bWidth);
    ExchangeCheckBox(ctx, kHeight, group.bHeight);
    ExchangeDecimalWord(ctx, kPressureMax, group.pressure);
    ValidateField(ctx, u"TouchData/pressure", group.pressure);
    ExchangeDecimalWord(ctx, kWidthMax, group.width);
    ValidateField(ctx, u"TouchData/width", group.width);
    ExchangeDecimalWord(ctx, kHeightMax, group.height);
    ValidateField(ctx, u"TouchData/height", group.height);
}

void CTouchDlg::RefreshControls()
{
    auto* points = qobject_cast<QComboBox*>(Control(kTouchPoints));
    const int mode = device_ ? device_->InputModeSelection() : -1;
    if (mode == 1) {  // Single-Point Touch
        Control(kNote)->show();
        // At least one point: also when the list shows none, as it does for a
        // count outside the list loaded from a file.
        if (points->currentIndex() < 1)
            points->setCurrentIndex(1);
    } else if (mode == 0) {  // Mouse
        Control(kNote)->hide();
    }

    if (points->currentIndex() < 1) {
        EnableControls(*this, kTouchSet, false);
        return;
    }
    EnableControls(*this, kTouchSet, true);
    EnableControls(*this, {kPressureMax}, IsChecked(*this, kPressure));
    EnableControls(*this, {kWidthMax}, IsChecked(*this, kWidth));
    EnableControls(*this, {kHeightMax}, IsChecked(*this, kHeight));
}

}  // namespace kr
