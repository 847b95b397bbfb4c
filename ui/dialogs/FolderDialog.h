// SPDX-License-Identifier: MIT
#pragma once
// Choosing one folder: the project folder of the main window, the input and
// output folders of a batch run. Constructed for one choice, run once.

#include <QString>

#include "ui/Interaction.h"

class QWidget;

namespace kr {

class CFolderDialog {
public:
    // owner and initialFolder may be empty.
    CFolderDialog(QWidget* owner, QString title, QString initialFolder = {});

    // kFolderOk with SelectedFolder() filled in, kFolderCancel, or
    // kFolderNoPath when the confirmed item has no file-system path.
    int DoModal();

    // The chosen folder after kFolderOk; empty otherwise.
    const QString& SelectedFolder() const { return selected_; }

private:
    QWidget* owner_;
    QString title_;
    QString initial_;
    QString selected_;
};

// folder with exactly one "/" at its end, as callers append names to it; "/"
// itself stays as it is, an empty text stays empty.
QString WithTrailingSeparator(const QString& folder);

}  // namespace kr
