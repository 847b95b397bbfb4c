#include "ui/DeviceDlg.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace kr {

CDeviceDlg::CDeviceDlg(QWidget* parent) : CGroupPage(kTemplateId, parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(DefaultButton());
    layout->addLayout(buttons);
}

void CDeviceDlg::DoExchange(ExchangeContext&)
{
    // The page's controls, and with them its exchange order, come with its
    // layout; until then the group is kept as loaded or reset.
}

}  // namespace kr
