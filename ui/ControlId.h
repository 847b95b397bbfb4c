// SPDX-License-Identifier: MIT
#pragma once
// Every control that the wizard numbers keeps that number as its object name,
// so tests find it by number; the program itself keeps its controls as typed
// members and looks none up. Numbers repeat
// between the main window and its pages (every page has a "Default" 1057), so
// a search stays inside one exchange scope: the main window does not look into
// its pages, and a page sees only its own controls.

#include <QString>

class QAction;
class QObject;
class QWidget;

namespace kr {

// Gives a widget or action its number.
void SetControlId(QObject* control, int id);

// Gives control its number and returns it, so a control is made and numbered
// in one expression.
template <class Control> Control* WithId(Control* control, int id)
{
    SetControlId(control, id);
    return control;
}

// The number of a control; 0 when it has none.
int ControlIdOf(const QObject* control);

// Marks a widget as a scope of its own (a page) that searches from outside
// do not enter.
void MarkExchangeScope(QWidget* scope);

// The widget numbered id inside scope, nearest first; nullptr when there is
// none. A control once found stays the answer while it is still numbered id
// inside scope, even if a nearer one with the same number is added later.
QWidget* FindControl(const QWidget* scope, int id);

// The menu action numbered id in window; nullptr when there is none.
QAction* FindAction(const QWidget* window, int id);

}  // namespace kr
