// SPDX-License-Identifier: MIT
#pragma once
// The About box: the program's name, version and licence, and that what it
// generates is the user's.

#include <QDialog>

namespace kr {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace kr
