// SPDX-License-Identifier: MIT
#include "ui/dialogs/FolderBrowser.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace kr {

CFolderBrowser::CFolderBrowser(QWidget* owner, const QString& title, const QString& initialFolder)
    : QFileDialog(owner, title)
{
    // Qt's own dialog, so that refusing a typed name works the same on every
    // desktop.
    setOption(QFileDialog::DontUseNativeDialog);
    setOption(QFileDialog::ShowDirsOnly);
    setFileMode(QFileDialog::Directory);
    setAcceptMode(QFileDialog::AcceptOpen);
    const bool initialExists = !initialFolder.isEmpty() && QFileInfo(initialFolder).isDir();
    setDirectory(initialExists ? initialFolder : QDir::homePath());
}

void CFolderBrowser::accept()
{
    const QStringList chosen = selectedFiles();
    for (const QString& path : chosen) {
        if (!QFileInfo(path).isDir()) {
            QApplication::beep();
            return;
        }
    }
    QFileDialog::accept();
}

}  // namespace kr
