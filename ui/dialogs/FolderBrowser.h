// SPDX-License-Identifier: MIT
#pragma once
// The folder browser the user picks a folder in: folders only, opened on the
// initial folder when it still exists. A typed name that is no existing
// folder is refused with the error beep and the browser stays open.

#include <QFileDialog>

namespace kr {

class CFolderBrowser : public QFileDialog {
    Q_OBJECT
public:
    CFolderBrowser(QWidget* owner, const QString& title, const QString& initialFolder);

    void accept() override;
};

}  // namespace kr
