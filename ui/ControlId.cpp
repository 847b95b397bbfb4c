#include "ui/ControlId.h"

#include <QAction>
#include <QQueue>
#include <QWidget>

namespace kr {
namespace {

constexpr char kScopeProperty[] = "krExchangeScope";

bool IsScope(const QObject* object)
{
    return object->property(kScopeProperty).toBool();
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
    scope->setProperty(kScopeProperty, true);
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
