// SPDX-License-Identifier: MIT
#pragma once
// The modal interactions as tests drive them: every message is recorded with
// its title and text, every question is answered from a script, and a
// question the script did not expect fails the test and is cancelled.

#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <QDialog>
#include <QGuiApplication>
#include <QString>

#include <gtest/gtest.h>

#include "ui/Interaction.h"

namespace kr::test {

struct ShownMessage {
    QString title;
    QString text;
    MessageIcon icon;
    bool operator==(const ShownMessage&) const = default;
};

inline void PrintTo(const ShownMessage& m, std::ostream* os)
{
    *os << "[" << m.title.toStdString() << "] " << m.text.toStdString();
}

struct FolderAnswer {
    int result;
    QString folder;
};

struct FolderRequest {
    QString title;
    QString initialFolder;
};

class ScriptedInteraction : public CInteraction {
public:
    ScriptedInteraction() : previous_(InstallInteraction(this)) {}
    ~ScriptedInteraction() override { InstallInteraction(previous_); }
    ScriptedInteraction(const ScriptedInteraction&) = delete;
    ScriptedInteraction& operator=(const ScriptedInteraction&) = delete;

    // Answers, used in order; std::nullopt cancels a file dialog.
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<FolderAnswer> folderAnswers;
    std::deque<SaveChoice> saveChangesAnswers;
    // Runs a dialog of the wizard's own instead of showing it.
    std::function<int(QDialog&)> runModal;
    // Whether a file manager shows the folders explored.
    bool exploreWorks = true;

    // What was asked and shown.
    std::vector<ShownMessage> messages;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::vector<FolderRequest> folderRequests;
    std::vector<ShownMessage> saveChangesQuestions;  // title and text of each
    std::vector<QString> explored;
    std::vector<QString> dialogsRun;  // window titles
    // Whether the wait cursor was up at each question or message, in order.
    std::vector<bool> waitCursorSeen;

    void ShowMessage(QWidget*, const QString& title, const QString& text, MessageIcon icon) override
    {
        NoteCursor();
        messages.push_back({title, text, icon});
    }

    SaveChoice AskSaveChanges(QWidget*, const QString& title, const QString& text) override
    {
        NoteCursor();
        saveChangesQuestions.push_back({title, text, MessageIcon::None});
        if (saveChangesAnswers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text.toStdString();
            return SaveChoice::Cancel;
        }
        const SaveChoice answer = saveChangesAnswers.front();
        saveChangesAnswers.pop_front();
        return answer;
    }

    bool GetOpenFileName(QWidget*, const FileDialogRequest& request, QString& path) override
    {
        NoteCursor();
        openRequests.push_back(request);
        return Answer(openAnswers, "open file", path);
    }

    bool GetSaveFileName(QWidget*, const FileDialogRequest& request, QString& path) override
    {
        NoteCursor();
        saveRequests.push_back(request);
        return Answer(saveAnswers, "save file", path);
    }

    int ChooseFolder(QWidget*, const QString& title, const QString& initialFolder, QString& folder) override
    {
        NoteCursor();
        folderRequests.push_back({title, initialFolder});
        if (folderAnswers.empty()) {
            ADD_FAILURE() << "unexpected folder chooser: " << title.toStdString();
            return kFolderCancel;
        }
        const FolderAnswer answer = folderAnswers.front();
        folderAnswers.pop_front();
        if (answer.result == kFolderOk)
            folder = answer.folder;
        return answer.result;
    }

    bool Explore(const QString& folder) override
    {
        explored.push_back(folder);
        return exploreWorks;
    }

    int RunModal(QDialog& dialog) override
    {
        dialogsRun.push_back(dialog.windowTitle());
        if (!runModal) {
            ADD_FAILURE() << "unexpected dialog: " << dialog.windowTitle().toStdString();
            return QDialog::Rejected;
        }
        return runModal(dialog);
    }

private:
    bool Answer(std::deque<std::optional<QString>>& answers, const char* what, QString& path)
    {
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected " << what << " dialog";
            return false;
        }
        const std::optional<QString> answer = answers.front();
        answers.pop_front();
        if (!answer)
            return false;
        path = *answer;
        return true;
    }

    void NoteCursor()
    {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        waitCursorSeen.push_back(cursor && cursor->shape() == Qt::WaitCursor);
    }

    CInteraction* previous_;
};

}  // namespace kr::test
