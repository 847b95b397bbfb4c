// SPDX-License-Identifier: MIT
#include "ui/ControlId.h"

#include <QAction>
#include <QHash>
#include <QPointer>
#include <QQueue>
#include <QSet>
#include <QWidget>

namespace kr {
namespace {

// The widgets marked as scopes, each until it is destroyed. A set rather than
// a property on the widget: a search asks every widget it passes whether it
// is a scope, the exchanges at start-up search hundreds of times, and a
// property lookup by name walks the class's meta-objects every time. Never
// freed, so a scope destroyed late in the program's exit still finds it.
QSet<const QObject*>& Scopes()
{
    static auto* scopes = new QSet<const QObject*>;
    return *scopes;
}

bool IsScope(const QObject* object)
{
    return Scopes().contains(object);
}

// The controls found so far, by scope and number. An exchange looks up every
// control of its page, and a search walks the page's whole tree, so without
// this each exchange costs the square of the page's size. An entry is only a
// guess: it is used after checking that the control still exists, still has
// its number and still lies in the scope, and searched for again otherwise.
using FoundControls = QHash<const QWidget*, QHash<int, QPointer<QWidget>>>;

FoundControls& Found()
{
    static auto* found = new FoundControls;
    return *found;
}

// Whether a search from scope can reach control: it lies inside scope and
// neither it nor anything between is another scope.
bool LiesIn(const QWidget* control, const QWidget* scope)
{
    if (IsScope(control))
        return false;
    for (const QObject* parent = control->parent(); parent; parent = parent->parent()) {
        if (parent == scope)
            return true;
        if (IsScope(parent))
            return false;
    }
    return false;
}

QWidget* SearchControl(const QWidget* scope, const QString& name)
{
    QQueue<const QObject*> pending;
    pending.enqueue(scope);
    while (!pending.isEmpty()) {
        const QObject* parent = pending.dequeue();
        for (QObject* child : parent->children()) {
            auto* widget = qobject_cast<QWidget*>(child);
            if (!widget || IsScope(widget))
                continue;
            if (widget->objectName() == name)
                return widget;
            pending.enqueue(widget);
        }
    }
    return nullptr;
}

}  // namespace

void SetControlId(QObject* control, int id)
{
    control->setObjectName(QString::number(id));
}

int ControlIdOf(const QObject* control)
{
    bool ok = false;
    const int id = control->objectName().toInt(&ok);
    return ok ? id : 0;
}

void MarkExchangeScope(QWidget* scope)
{
    if (Scopes().contains(scope))
        return;
    Scopes().insert(scope);
    QObject::connect(scope, &QObject::destroyed, [scope] {
        Scopes().remove(scope);
        Found().remove(scope);
    });
}

QWidget* FindControl(const QWidget* scope, int id)
{
    const QString name = QString::number(id);
    QPointer<QWidget>& known = Found()[scope][id];
    if (known && known->objectName() == name && LiesIn(known, scope))
        return known;
    known = SearchControl(scope, name);
    return known;
}

QAction* FindAction(const QWidget* window, int id)
{
    return window->findChild<QAction*>(QString::number(id));
}

}  // namespace kr
