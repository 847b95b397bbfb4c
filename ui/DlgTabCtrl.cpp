// SPDX-License-Identifier: MIT
#include "ui/DlgTabCtrl.h"

#include <QScrollArea>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>

#include "ui/pages/Page.h"

namespace kr {
namespace {

// The frame of one page: where the window has less room than the page asks
// for, the page scrolls, and Tab scrolls the focused control into view. It
// asks for the page's whole size, so a window with room shows every page
// without scroll bars, and never squeezes a page below its preferred size.
class PageScroller : public QScrollArea {
public:
    explicit PageScroller(CPage* page)
    {
        setFrameShape(QFrame::NoFrame);
        setWidgetResizable(true);
        page->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Minimum);
        setWidget(page);
    }

    QSize sizeHint() const override
    {
        return widget() ? widget()->sizeHint().expandedTo(widget()->minimumSizeHint()) : QScrollArea::sizeHint();
    }
};

}  // namespace

CDlgTabCtrl::CDlgTabCtrl(QWidget* parent) : QTabWidget(parent)
{
    connect(this, &QTabWidget::currentChanged, this, &CDlgTabCtrl::ShowSelectedPage);
}

int CDlgTabCtrl::AddPage(int position, CPage* page, const QString& label)
{
    const int index = insertTab(position, new PageScroller(page), label);
    pages_.insert(index, page);
    page->Initialize();
    PositionPage(page);
    ShowSelectedPage();
    return index;
}

void CDlgTabCtrl::PositionPage(CPage* page)
{
    // The display area as the style lays it out below the tabs. The pages'
    // frames stand in the tab widget's stack, which covers exactly that area
    // but sizes only its visible frame itself. A hidden frame lays its page
    // out once shown; until then the page takes the area, or its preferred
    // size when that is more.
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    const QRect area = style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this);
    QWidget* frame = page->parentWidget() ? page->parentWidget()->parentWidget() : nullptr;  // viewport, scroller
    if (frame && frame->isVisible())
        return;
    if (frame)
        frame->setGeometry(QRect(QPoint(0, 0), area.size()));
    page->resize(area.size().expandedTo(page->sizeHint()).expandedTo(page->minimumSizeHint()));
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

int CDlgTabCtrl::PageIndex(const CPage* page) const
{
    for (qsizetype i = 0; i < pages_.size(); ++i)
        if (pages_[i] == page)
            return static_cast<int>(i);
    return -1;
}

CPage* CDlgTabCtrl::Page(int index) const
{
    return index >= 0 && index < pages_.size() ? pages_[index].data() : nullptr;
}

bool CDlgTabCtrl::ExchangeAllPages(Direction direction)
{
    bool result = true;
    for (int i = 0; i < count() && i < pages_.size(); ++i) {
        CPage* page = pages_[i];
        if (!page)
            continue;
        if (page->ExchangeData(direction))
            continue;
        result = false;
        if (direction == Direction::Commit) {
            setCurrentIndex(i);
            ShowSelectedPage();
            page->FocusRefusedControl();
            break;
        }
    }
    return result;
}

}  // namespace kr
