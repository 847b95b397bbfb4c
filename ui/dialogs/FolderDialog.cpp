// SPDX-License-Identifier: MIT
#include "ui/dialogs/FolderDialog.h"

#include <utility>

#include <QDir>

namespace kr {

CFolderDialog::CFolderDialog(QWidget* owner, QString title, QString initialFolder)
    : owner_(owner), title_(std::move(title)), initial_(std::move(initialFolder))
{
}

int CFolderDialog::DoModal()
{
    selected_.clear();
    QString chosen;
    const int result = Interaction().ChooseFolder(owner_, title_, initial_, chosen);
    if (result == kFolderOk)
        selected_ = chosen;
    return result;
}

QString WithTrailingSeparator(const QString& folder)
{
    if (folder.isEmpty())
        return folder;
    const QString clean = QDir::cleanPath(folder);  // no doubled or trailing "/" but for the root
    return clean.endsWith(QLatin1Char('/')) ? clean : clean + QLatin1Char('/');
}

}  // namespace kr
