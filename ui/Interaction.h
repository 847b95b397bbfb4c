// SPDX-License-Identifier: MIT
#pragma once
// The one door through which the wizard asks the user something modally:
// message boxes, the question whether to save changes, the open and save
// file dialogs, the folder chooser, showing a folder in the file manager, and
// running a dialog of its own. The application installs the real one; tests
// install a scripted one, so no test ever waits on a real modal dialog.

#include <QString>

class QDialog;
class QWidget;

namespace kr {

// The title of messages that have no title of their own (refused values).
inline const QString kApplicationName = QStringLiteral("KR761x_ConfigWizard");

enum class MessageIcon { Warning, None };

// The answers to "save the changes first?".
enum class SaveChoice { Save, Discard, Cancel };

// What a folder chooser returns.
enum FolderChoice : int { kFolderNoPath = -1, kFolderOk = 1, kFolderCancel = 2 };

struct FileDialogRequest {
    QString filter;  // Qt filter text: "Name (*.ext);;All Files (*)"
    QString defaultSuffix;  // appended to a typed name without one; empty: none
    QString initialName;  // file name proposed at opening; empty: none
    QString folder;  // folder shown at opening; empty: the current one
};

class CInteraction {
public:
    virtual ~CInteraction() = default;

    // A modal box with an OK button. Line ends in text are shown as breaks.
    virtual void ShowMessage(QWidget* owner, const QString& title, const QString& text, MessageIcon icon) = 0;

    // Asks whether to save unsaved changes before they would be lost: Save
    // (the default), Discard, or Cancel (also Escape and the close box).
    virtual SaveChoice AskSaveChanges(QWidget* owner, const QString& title, const QString& text) = 0;

    // Open dialog for an existing file. True with path set when confirmed.
    virtual bool GetOpenFileName(QWidget* owner, const FileDialogRequest& request, QString& path) = 0;

    // Save dialog that asks before overwriting. True with path set when confirmed.
    virtual bool GetSaveFileName(QWidget* owner, const FileDialogRequest& request, QString& path) = 0;

    // Folder chooser opened on initialFolder when it exists. kFolderOk with
    // folder set to the chosen folder's path, kFolderCancel, or kFolderNoPath
    // when the confirmed item is no folder of the file system.
    virtual int ChooseFolder(QWidget* owner, const QString& title, const QString& initialFolder, QString& folder) = 0;

    // Shows the folder in the file manager. False when none could be
    // started to show it; the caller tells the user.
    virtual bool Explore(const QString& folder) = 0;

    // Runs a dialog of the wizard's own modally and returns its result.
    virtual int RunModal(QDialog& dialog) = 0;
};

// Shows folder (path text) in the file manager, or tells the user in a
// message from owner that no file manager could show it.
void ShowFolder(QWidget* owner, const QString& folder);

// The interaction in force: the installed one, else the real one.
CInteraction& Interaction();

// Puts interaction in force (nullptr: the real one again) and returns the
// one it replaces.
CInteraction* InstallInteraction(CInteraction* interaction);

}  // namespace kr
