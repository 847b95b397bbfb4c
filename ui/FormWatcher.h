// SPDX-License-Identifier: MIT
#pragma once
// Notices that something in a form may have changed: any edit box, button
// or list inside the watched widget. Many changes in one go (a page showing
// its fields, a refresh forcing values) give one changed() once control
// returns to the event loop, so whoever listens compares the form once.

#include <QObject>

class QWidget;

namespace kr {

class CFormWatcher : public QObject {
    Q_OBJECT
public:
    // Watches the controls inside form that exist now.
    explicit CFormWatcher(QWidget* form);

signals:
    void changed();

private:
    void Note();

    bool pending_ = false;
};

}  // namespace kr
