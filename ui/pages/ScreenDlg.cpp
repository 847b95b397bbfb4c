// SPDX-License-Identifier: MIT
#include "ui/pages/ScreenDlg.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "model/SettingsRules.h"
#include "ui/pages/PageLayout.h"

namespace kr {

CScreenDlg::CScreenDlg(QWidget* parent, ScreenData* record) : CGroupPage(kTemplateId, parent, record)
{
    using namespace screen_id;
    QVBoxLayout* page = StartPage(this);
    QGridLayout* grid = nullptr;
    page->addWidget(MakeFrame(this, tr("Screen Dimensions"), grid));

    auto dimension = [&](int row, const QString& label, int mmId, QLineEdit*& mm, int pxId, QLineEdit*& px) {
        grid->addWidget(MakeLabel(this, label), row, 0);
        grid->addWidget(mm = MakeNumberBox(this, mmId), row, 1);
        grid->addWidget(MakeLabel(this, tr("millimeters")), row, 2);
        grid->addItem(MakeGap(this, Qt::Horizontal), row, 3);
        grid->addWidget(px = MakeNumberBox(this, pxId), row, 4);
        grid->addWidget(MakeLabel(this, tr("pixels")), row, 5);
    };
    dimension(0, tr("Screen Width:"), kWidthMm, widthMm_, kWidthPx, widthPx_);
    dimension(1, tr("Screen Height:"), kHeightMm, heightMm_, kHeightPx, heightPx_);
    grid->setColumnStretch(6, 1);
    FinishPage(this, page);
}

void CScreenDlg::ExchangeGroup(ExchangeContext& ctx, ScreenData& group)
{
    ExchangeDecimalWord(ctx, widthMm_, group.width_mm);
    ValidateField(ctx, u"ScreenData/width_mm", group.width_mm);
    ExchangeDecimalWord(ctx, widthPx_, group.width_px);
    ValidateField(ctx, u"ScreenData/width_px", group.width_px);
    ExchangeDecimalWord(ctx, heightMm_, group.height_mm);
    ValidateField(ctx, u"ScreenData/height_mm", group.height_mm);
    ExchangeDecimalWord(ctx, heightPx_, group.height_px);
    ValidateField(ctx, u"ScreenData/height_px", group.height_px);
}

}  // namespace kr
