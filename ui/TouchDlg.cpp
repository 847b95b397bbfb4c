#include "ui/TouchDlg.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace kr {

CTouchDlg::CTouchDlg(QWidget* parent) : CGroupPage(kTemplateId, parent)
{
    // Its rules read the Device page, which may have changed meanwhile.
    SetRefreshOnActivation(true);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(DefaultButton());
    layout->addLayout(buttons);
}

void CTouchDlg::DoExchange(ExchangeContext&)
{
    // The page's controls, and with them its exchange order, come with its
    // layout; until then the group is kept as loaded or reset.
}

}  // namespace kr
