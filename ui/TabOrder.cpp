#include "ui/TabOrder.h"

#include <algorithm>
#include <tuple>

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
    for (int i = 0; i < layout->count(); ++i)
        items << layout->itemAt(i);
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        auto position = [grid](QLayoutItem* item) {
            int row = 0, column = 0, rows = 0, columns = 0;
            grid->getItemPosition(grid->indexOf(item), &row, &column, &rows, &columns);
            return std::tuple(row, column);
        };
        std::stable_sort(items.begin(), items.end(),
                         [&](QLayoutItem* a, QLayoutItem* b) { return position(a) < position(b); });
    }
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
