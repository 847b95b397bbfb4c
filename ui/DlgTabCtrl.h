// SPDX-License-Identifier: MIT
#pragma once
// The strip of tabs with one configuration page per tab. Only the page of
// the selected tab is visible; the others keep their state, hidden, over the
// same area, each in a frame that scrolls it where the window has less room
// than the page needs. The host keeps references to the pages in tab order;
// their owner is the main window.

#include <QList>
#include <QPointer>
#include <QTabWidget>

#include "ui/Exchange.h"

namespace kr {

class CPage;

class CDlgTabCtrl : public QTabWidget {
    Q_OBJECT
public:
    explicit CDlgTabCtrl(QWidget* parent = nullptr);

    // Inserts a tab labelled label for page at position, lays the page over
    // the display area, lets it initialise (show its fields and refresh) and
    // shows the selected page. Returns the position of the new tab.
    int AddPage(int position, CPage* page, const QString& label);

    // Lays page over the display area, the area below the tabs.
    void PositionPage(CPage* page);

    // Lays every page over the display area, shows the page of the selected
    // tab and hides every other page.
    void ShowSelectedPage();

    int PageCount() const { return static_cast<int>(pages_.size()); }
    CPage* Page(int index) const;
    // The tab of page; -1 when it has none. Each page stands in a scrolling
    // frame of its own, which is the tab's widget.
    int PageIndex(const CPage* page) const;

    // Runs every page's exchange in tab order. A commit stops at the first
    // page that refuses a value and brings that page to the front, its
    // refused control focused; the pages after it are not committed. A
    // display goes through all pages. False when any page failed.
    bool ExchangeAllPages(Direction direction);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QList<QPointer<CPage>> pages_;
};

}  // namespace kr
