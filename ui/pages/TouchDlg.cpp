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

CTouchDlg::CTouchDlg(const CDeviceDlg* device, QWidget* parent, TouchData* record)
    : CGroupPage(kTemplateId, parent, record), device_(device)
{
    using namespace touch_id;
    // Its rules read the Device page, which may have changed meanwhile.
    SetRefreshOnActivation(true);

    QVBoxLayout* page = StartPage(this);
    QGridLayout* grid = nullptr;
    page->addWidget(MakeFrame(this, tr("Touch Points"), grid));

    points_ = MakeList(this, kTouchPoints, {"0", "1", "2", "3", "4", "5"});
    connect(points_, &QComboBox::activated, this, &CTouchDlg::RefreshControls);
    auto* list = new QHBoxLayout;
    list->addWidget(MakeLabel(this, tr("Number of Touch Points:")));
    list->addWidget(points_);
    list->addSpacing(list->spacing() * 3);
    note_ =
        MakeNote(this, tr("*Requires at least one touch point for\n  Single-Point Touch Default Input Mode"), kNote);
    list->addWidget(note_);
    list->addStretch(1);
    grid->addLayout(list, 0, 0, 1, 5);
    grid->addItem(MakeGap(this), 1, 0);
    grid->addWidget(confidence_ = MakeCheckBox(this, tr("Confidence"), kConfidence), 2, 0);
    touchSet_ << confidence_;

    // A check box, then the largest value it reports.
    auto maximum = [&](int row, const QString& caption, int checkId, QCheckBox*& check, int labelId, int boxId,
                       QLineEdit*& box) {
        check = MakeCheckBox(this, caption, checkId);
        connect(check, &QCheckBox::clicked, this, &CTouchDlg::RefreshControls);
        grid->addWidget(check, row, 0);
        QLabel* label = MakeLabel(this, tr("Max:"), labelId);
        grid->addWidget(label, row, 1);
        grid->addWidget(box = MakeNumberBox(this, boxId), row, 2);
        touchSet_ << check << label << box;
    };
    // The unit after a maximum.
    auto unit = [&](int row, int id) {
        QLabel* label = MakeLabel(this, tr("pixels"), id);
        grid->addWidget(label, row, 3);
        touchSet_ << label;
    };
    maximum(3, tr("Pressure:"), kPressure, pressure_, kPressureMaxLabel, kPressureMax, pressureMax_);
    maximum(4, tr("Touch Point Width:"), kWidth, width_, kWidthMaxLabel, kWidthMax, widthMax_);
    unit(4, kWidthUnit);
    maximum(5, tr("Touch Point Height:"), kHeight, height_, kHeightMaxLabel, kHeightMax, heightMax_);
    unit(5, kHeightUnit);
    // Hybrid reporting with a contact count and a scan time, which Windows
    // requires of a touch screen.
    contactCount_ = MakeCheckBox(this, tr("Windows-ready report (contact count and scan time)"), kContactCount);
    grid->addWidget(contactCount_, 6, 0, 1, 5);
    touchSet_ << contactCount_;
    grid->setColumnStretch(4, 1);
    FinishPage(this, page);
}

void CTouchDlg::ExchangeGroup(ExchangeContext& ctx, TouchData& group)
{
    ExchangeList(ctx, points_, group.numTouchPoints);
    ExchangeCheckBox(ctx, confidence_, group.bConfidence);
    ExchangeCheckBox(ctx, pressure_, group.bPressure);
    ExchangeCheckBox(ctx, width_, group.bWidth);
    ExchangeCheckBox(ctx, height_, group.bHeight);
    ExchangeDecimalWord(ctx, pressureMax_, group.pressure);
    ValidateField(ctx, u"TouchData/pressure", group.pressure);
    ExchangeDecimalWord(ctx, widthMax_, group.width);
    ValidateField(ctx, u"TouchData/width", group.width);
    ExchangeDecimalWord(ctx, heightMax_, group.height);
    ValidateField(ctx, u"TouchData/height", group.height);
    ExchangeCheckBox(ctx, contactCount_, group.bContactCount);
}

void CTouchDlg::RefreshControls()
{
    const int mode = device_ ? device_->InputModeSelection() : -1;
    if (mode == 1) {  // Single-Point Touch
        note_->show();
        // At least one point: also when the list shows none, as it does for a
        // count outside the list loaded from a file.
        if (points_->currentIndex() < 1)
            points_->setCurrentIndex(1);
    } else if (mode == 0) {  // Mouse
        note_->hide();
    }

    if (points_->currentIndex() < 1) {
        EnableControls(touchSet_, false);
        return;
    }
    EnableControls(touchSet_, true);
    pressureMax_->setEnabled(pressure_->isChecked());
    widthMax_->setEnabled(width_->isChecked());
    heightMax_->setEnabled(height_->isChecked());
}

}  // namespace kr
