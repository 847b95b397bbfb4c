// SPDX-License-Identifier: MIT
#include "ui/FormWatcher.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

namespace kr {

CFormWatcher::CFormWatcher(QWidget* form) : QObject(form)
{
    for (auto* edit : form->findChildren<QLineEdit*>())
        connect(edit, &QLineEdit::textChanged, this, &CFormWatcher::Note);
    for (auto* button : form->findChildren<QAbstractButton*>())
        if (button->isCheckable())
            connect(button, &QAbstractButton::toggled, this, &CFormWatcher::Note);
    for (auto* list : form->findChildren<QComboBox*>())
        connect(list, &QComboBox::currentIndexChanged, this, &CFormWatcher::Note);
}

void CFormWatcher::Note()
{
    if (pending_)
        return;
    pending_ = true;
    QTimer::singleShot(0, this, [this] {
        pending_ = false;
        emit changed();
    });
}

}  // namespace kr
