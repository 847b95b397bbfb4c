// SPDX-License-Identifier: MIT
// The wizard's start-up as the program runs it (the application object, the
// main window, the save file named on the command line), ending at the
// window's first painted frame, which is written to a PNG file.
//   kr761x-startup-wizard OUTPUT.png SAVEFILE

#include <cstdio>

#include "FirstFrame.h"
#include "ui/ConfigWizardApp.h"
#include "ui/ConfigWizardDlg.h"

int main(int argc, char** argv)
{
    kr::bench::CStages stages;
    if (argc != 3) {
        std::fprintf(stderr, "usage: kr761x-startup-wizard OUTPUT.png SAVEFILE\n");
        return 2;
    }
    const QString png = QString::fromLocal8Bit(argv[1]);
    // The wizard reads its own command line: the program name and the save file.
    char* wizardArgs[] = {argv[0], argv[2], nullptr};
    int wizardArgc = 2;
    kr::CKR761x_ConfigWizardApp app(wizardArgc, wizardArgs);
    stages.Mark("app");
    kr::bench::CFirstFrame frame(stages);
    QWidget& window = app.Start();
    stages.Mark("window");
    frame.SaveAndExit(window, png);
}
