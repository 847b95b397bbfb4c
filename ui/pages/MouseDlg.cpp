// SPDX-License-Identifier: MIT
#include "ui/pages/MouseDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/pages/DeviceDlg.h"
#include "ui/pages/PageLayout.h"

namespace kr {

CMouseDlg::CMouseDlg(const CDeviceDlg* device, QWidget* parent, MouseData* record)
    : CGroupPage(kTemplateId, parent, record), device_(device)
{
    using namespace mouse_id;
    // Its rules read the Device page, which may have changed meanwhile.
    SetRefreshOnActivation(true);

    QVBoxLayout* page = StartPage(this);
    QGridLayout* grid = nullptr;
    page->addWidget(MakeFrame(this, tr("Mouse Support"), grid));

    mouse_ = MakeCheckBox(this, tr("Mouse Support"), kMouse);
    connect(mouse_, &QCheckBox::clicked, this, &CMouseDlg::RefreshControls);
    buttons_ = MakeList(this, kButtons, {"0", "1", "2", "3", "4", "5", "6", "7", "8"});
    connect(buttons_, &QComboBox::activated, this, &CMouseDlg::RefreshControls);

    grid->addWidget(mouse_, 0, 0, 1, 2);
    grid->addWidget(note_ = MakeNote(this, tr("*Required for Mouse Default Input Mode"), kNote), 0, 2);
    grid->addItem(MakeGap(this), 1, 0);
    grid->addWidget(buttonsLabel_ = MakeLabel(this, tr("Number of Buttons:"), kButtonsLabel), 2, 1);
    grid->addWidget(buttons_, 2, 2, Qt::AlignLeft);
    grid->setColumnMinimumWidth(0, ButtonCaptionIndent(mouse_));
    grid->setColumnStretch(3, 1);
    FinishPage(this, page);
}

void CMouseDlg::ExchangeGroup(ExchangeContext& ctx, MouseData& group)
{
    ExchangeCheckBox(ctx, mouse_, group.bMouse);
    ExchangeList(ctx, buttons_, group.numButtons);
}

void CMouseDlg::RefreshControls()
{
    const int mode = device_ ? device_->InputModeSelection() : -1;
    if (mode == 0) {  // Mouse: the device must report one
        mouse_->setChecked(true);
        mouse_->setEnabled(false);
        note_->show();
    } else if (mode == 1) {
        mouse_->setEnabled(true);
        note_->hide();
    }
    EnableControls({buttonsLabel_, buttons_}, mouse_->isChecked());
}

}  // namespace kr
