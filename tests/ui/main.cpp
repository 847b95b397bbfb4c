// SPDX-License-Identifier: MIT
// One QApplication for all user-interface tests, on the offscreen platform
// unless the environment names another; there its one screen is 1024 by 600,
// the smallest the wizard is made for, so every window is tried at that size. Outside a test's own scripted
// interaction, any modal question or message fails the test instead of
// opening a real dialog that would wait for ever. Settings the dialogs
// remember are kept in a temporary folder.
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include "ui/Interaction.h"

namespace {

class UnscriptedInteraction : public kr::CInteraction {
public:
    void ShowMessage(QWidget*, const QString& title, const QString& text, kr::MessageIcon) override
    {
        ADD_FAILURE() << "message outside a script: [" << title.toStdString() << "] " << text.toStdString();
    }
    kr::SaveChoice AskSaveChanges(QWidget*, const QString&, const QString&) override
    {
        Refuse("save changes question");
        return kr::SaveChoice::Cancel;
    }
    bool GetOpenFileName(QWidget*, const kr::FileDialogRequest&, QString&) override { return Refuse("open file"); }
    bool GetSaveFileName(QWidget*, const kr::FileDialogRequest&, QString&) override { return Refuse("save file"); }
    int ChooseFolder(QWidget*, const QString&, const QString&, QString&) override
    {
        Refuse("folder chooser");
        return kr::kFolderCancel;
    }
    bool Explore(const QString&) override { return Refuse("explore"); }
    int RunModal(QDialog&) override { return Refuse("modal dialog") ? 1 : 0; }

private:
    static bool Refuse(const char* what)
    {
        ADD_FAILURE() << what << " outside a script";
        return false;
    }
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryFile screens;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && screens.open()) {
        screens.write(R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 1024, "height": 600,
                                       "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        screens.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    }
    QApplication app(argc, argv);
    // What the dialogs remember goes to a folder of the run, not the user's.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    UnscriptedInteraction unscripted;
    kr::InstallInteraction(&unscripted);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    kr::InstallInteraction(nullptr);
    return result;
}
