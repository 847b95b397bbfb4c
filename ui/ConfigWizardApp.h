// SPDX-License-Identifier: MIT
#pragma once
// The application: reads the command line (an optional save file to open),
// puts the real modal interactions in force and runs the main window. The
// program ends when the main window closes.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QCommandLineParser>

#include "platform/Version.h"
#include "ui/QtInteraction.h"

namespace kr {

class CKR761x_ConfigWizardDlg;

inline const QString kProgramName = QStringLiteral("kr761x-wizard");
inline const QString kProgramVersion = QString::fromLatin1(platform::kProgramVersion);

// The program's options: --help, --version and the optional save file.
void SetUpCommandLine(QCommandLineParser& parser);

class CKR761x_ConfigWizardApp {
public:
    CKR761x_ConfigWizardApp(int& argc, char** argv);
    ~CKR761x_ConfigWizardApp();
    CKR761x_ConfigWizardApp(const CKR761x_ConfigWizardApp&) = delete;
    CKR761x_ConfigWizardApp& operator=(const CKR761x_ConfigWizardApp&) = delete;

    // Reads the command line, shows the main window and opens the save file
    // named on it: everything the program does before its event loop runs.
    // The window lives as long as the application object.
    CKR761x_ConfigWizardDlg& Start();

    // Starts, then runs the main window until it closes, or until
    // endRequested (asked every 100 ms) says the program is to end; returns
    // the exit status.
    int Run(const std::function<bool()>& endRequested = {});

private:
    QApplication application_;
    // The arguments Qt left, as the system gave them.
    std::vector<std::string> arguments_;
    CQtInteraction interaction_;
    CInteraction* previous_;
    std::unique_ptr<CKR761x_ConfigWizardDlg> window_;
};

}  // namespace kr
