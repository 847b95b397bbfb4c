#include "ui/ControlId.h"

#include <QAction>
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
    QObject::connect(scope, &QObject::destroyed, [scope] { Scopes().remove(scope); });
}

QWidget* FindControl(const QWidget* scope, int id)
{
    const QString name = QString::number(id);
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

QAction* FindAction(const QWidget* window, int id)
{
    return window->findChild<QAction*>(QString::number(id));
}

}  // namespace kr
