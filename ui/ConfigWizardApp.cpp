// SPDX-License-Identifier: MIT
#include "ui/ConfigWizardApp.h"

#include <QTimer>

#include "ui/AppArt.h"
#include "ui/ConfigWizardDlg.h"
#include "ui/QtText.h"

namespace kr {

CKR761x_ConfigWizardApp::CKR761x_ConfigWizardApp(int& argc, char** argv)
    : application_(argc, argv), previous_(InstallInteraction(&interaction_))
{
    for (int i = 1; i < argc; ++i)
        arguments_.emplace_back(argv[i]);
    QApplication::setApplicationName(kProgramName);
    QApplication::setApplicationVersion(kProgramVersion);
    QGuiApplication::setDesktopFileName(kProgramName);
    QApplication::setWindowIcon(AppIcon());
}

CKR761x_ConfigWizardApp::~CKR761x_ConfigWizardApp()
{
    window_.reset();
    InstallInteraction(previous_);
}

void SetUpCommandLine(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        QStringLiteral("KR761x Configuration Wizard: describe a KR7610 or KR7611 touch controller product "
                       "and generate its 8051 firmware project."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Save file (.kcw) to open at start."),
                                 QStringLiteral("[file]"));
}

CKR761x_ConfigWizardDlg& CKR761x_ConfigWizardApp::Start()
{
    QCommandLineParser parser;
    SetUpCommandLine(parser);
    parser.process(application_);

    // Qt reads an argument whose bytes are not UTF-8 with U+FFFD, which
    // names no file; the file is the one the argument's own bytes name.
    QString file = parser.positionalArguments().value(0);
    for (const std::string& argument : arguments_) {
        if (!file.isEmpty() && QString::fromLocal8Bit(argument) == file) {
            file = PathToQString(argument);
            break;
        }
    }
    window_ = std::make_unique<CKR761x_ConfigWizardDlg>(file);
    window_->show();
    window_->OpenStartupFile();
    return *window_;
}

int CKR761x_ConfigWizardApp::Run(const std::function<bool()>& endRequested)
{
    Start();
    QTimer endWatch;
    if (endRequested) {
        QObject::connect(&endWatch, &QTimer::timeout, [&] {
            if (endRequested())
                QCoreApplication::quit();
        });
        endWatch.start(100);
    }
    return application_.exec();
}

}  // namespace kr
