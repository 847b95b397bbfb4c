// SPDX-License-Identifier: MIT
#include "ui/QtInteraction.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QUrl>

#include "ui/dialogs/FolderBrowser.h"

namespace kr {
namespace {

// A command may show the wait cursor while it asks something; the user
// answers with the ordinary pointer.
class NormalCursor {
public:
    NormalCursor() { QGuiApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~NormalCursor() { QGuiApplication::restoreOverrideCursor(); }
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;
};

bool RunFileDialog(QWidget* owner, const FileDialogRequest& request, QFileDialog::AcceptMode mode, QString& path)
{
    NormalCursor cursor;
    QFileDialog dialog(owner);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.folder.isEmpty())
        dialog.setDirectory(request.folder);
    if (!request.initialName.isEmpty())
        dialog.selectFile(request.initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().constFirst();
    return true;
}

}  // namespace

void CQtInteraction::ShowMessage(QWidget* owner, const QString& title, const QString& text, MessageIcon icon)
{
    NormalCursor cursor;
    QMessageBox box(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
                    QMessageBox::Ok, owner);
    box.exec();
}

SaveChoice CQtInteraction::AskSaveChanges(QWidget* owner, const QString& title, const QString& text)
{
    NormalCursor cursor;
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                    owner);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

bool CQtInteraction::GetOpenFileName(QWidget* owner, const FileDialogRequest& request, QString& path)
{
    return RunFileDialog(owner, request, QFileDialog::AcceptOpen, path);
}

bool CQtInteraction::GetSaveFileName(QWidget* owner, const FileDialogRequest& request, QString& path)
{
    return RunFileDialog(owner, request, QFileDialog::AcceptSave, path);
}

int CQtInteraction::ChooseFolder(QWidget* owner, const QString& title, const QString& initialFolder, QString& folder)
{
    NormalCursor cursor;
    CFolderBrowser browser(owner, title, initialFolder);
    if (browser.exec() != QDialog::Accepted)
        return kFolderCancel;
    const QStringList chosen = browser.selectedFiles();
    if (chosen.isEmpty() || !QFileInfo(chosen.constFirst()).isDir())
        return kFolderNoPath;
    folder = chosen.constFirst();
    return kFolderOk;
}

bool CQtInteraction::Explore(const QString& folder)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

int CQtInteraction::RunModal(QDialog& dialog)
{
    NormalCursor cursor;
    return dialog.exec();
}

}  // namespace kr
