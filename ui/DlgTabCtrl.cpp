// SPDX-License-Identifier: MIT
#include "ui/DlgTabCtrl.h"

#include <QStyle>
#include <QStyleOptionTabWidgetFrame>

#include "ui/pages/Page.h"

namespace kr {

CDlgTabCtrl::CDlgTabCtrl(QWidget* parent) : QTabWidget(parent)
{
    connect(this, &QTabWidget::currentChanged, this, &CDlgTabCtrl::ShowSelectedPage);
}

int CDlgTabCtrl::AddPage(int position, CPage* page, const QString& label)
{
    const int index = insertTab(position, page, label);
    pages_.insert(index, page);
    page->Initialize();
    PositionPage(page);
    ShowSelectedPage();
    return index;
}

void CDlgTabCtrl::PositionPage(CPage* page)
{
    // The display area as the style lays it out below the tabs. The pages
    // stand in the tab widget's stack, which covers exactly that area but
    // sizes only its visible page itself.
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    const QRect area = style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this);
    page->setGeometry(QRect(QPoint(0, 0), area.size()));
}

void CDlgTabCtrl::ShowSelectedPage()
{
    const int selected = currentIndex();
    for (qsizetype i = 0; i < pages_.size(); ++i) {
        if (CPage* page = pages_[i]) {
            PositionPage(page);
            page->setVisible(i == selected);
        }
    }
}

void CDlgTabCtrl::resizeEvent(QResizeEvent* event)
{
    QTabWidget::resizeEvent(event);
    ShowSelectedPage();
}

CPage* CDlgTabCtrl::Page(int index) const
{
    return index >= 0 && index < pages_.size() ? pages_[index].data() : nullptr;
}

bool CDlgTabCtrl::ExchangeAllPages(bool commit)
{
    bool result = true;
    for (int i = 0; i < count() && i < pages_.size(); ++i) {
        CPage* page = pages_[i];
        if (!page)
            continue;
        if (page->ExchangeData(commit))
            continue;
        result = false;
        if (commit) {
            setCurrentIndex(i);
            ShowSelectedPage();
            page->FocusRefusedControl();
            break;
        }
    }
    return result;
}

}  // namespace kr
