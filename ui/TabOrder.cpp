// SPDX-License-Identifier: MIT
#include "ui/TabOrder.h"

#include <algorithm>
#include <tuple>
#include <vector>

#include <QGridLayout>
#include <QLayout>
#include <QList>
#include <QWidget>

namespace kr {
namespace {

// The items of layout in reading order.
QList<QLayoutItem*> ItemsInOrder(QLayout* layout)
{
    QList<QLayoutItem*> items;
    auto* grid = qobject_cast<QGridLayout*>(layout);
    if (!grid) {
        for (int i = 0; i < layout->count(); ++i)
            items << layout->itemAt(i);
        return items;
    }
    // Positions read once by index: asking the grid for an item's index
    // inside the sort's comparison made a large grid cost n squared log n.
    std::vector<std::tuple<int, int, int>> order;  // row, column, index
    for (int i = 0; i < grid->count(); ++i) {
        int row = 0, column = 0, rows = 0, columns = 0;
        grid->getItemPosition(i, &row, &column, &rows, &columns);
        order.emplace_back(row, column, i);
    }
    std::sort(order.begin(), order.end());
    for (const auto& [row, column, index] : order)
        items << grid->itemAt(index);
    return items;
}

void Collect(QLayout* layout, QList<QWidget*>& controls)
{
    for (QLayoutItem* item : ItemsInOrder(layout)) {
        if (QWidget* widget = item->widget()) {
            if (widget->focusPolicy() & Qt::TabFocus)
                controls << widget;
            if (widget->layout())
                Collect(widget->layout(), controls);
        } else if (QLayout* inner = item->layout()) {
            Collect(inner, controls);
        }
    }
}

}  // namespace

void SetTabOrderByLayout(QWidget* form)
{
    if (!form->layout())
        return;
    QList<QWidget*> controls;
    Collect(form->layout(), controls);
    for (qsizetype i = 1; i < controls.size(); ++i)
        QWidget::setTabOrder(controls[i - 1], controls[i]);
}

}  // namespace kr
