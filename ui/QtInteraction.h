// SPDX-License-Identifier: MIT
#pragma once
// The real modal interactions: Qt's message boxes and file dialogs, the
// wizard's folder browser, and the desktop's file manager.

#include "ui/Interaction.h"

namespace kr {

class CQtInteraction : public CInteraction {
public:
    void ShowMessage(QWidget* owner, const QString& title, const QString& text, MessageIcon icon) override;
    SaveChoice AskSaveChanges(QWidget* owner, const QString& title, const QString& text) override;
    bool GetOpenFileName(QWidget* owner, const FileDialogRequest& request, QString& path) override;
    bool GetSaveFileName(QWidget* owner, const FileDialogRequest& request, QString& path) override;
    int ChooseFolder(QWidget* owner, const QString& title, const QString& initialFolder, QString& folder) override;
    bool Explore(const QString& folder) override;
    int RunModal(QDialog& dialog) override;
};

}  // namespace kr
