// Draws the main window into a PNG file, for the documentation:
//   kr761x-screenshot OUTPUT.png [SAVE_FILE.kcw]
// Runs on any Qt platform, the offscreen one included.

#include <cstdio>

#include <QApplication>
#include <QPixmap>

#include "ui/AppArt.h"
#include "ui/ConfigWizardDlg.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: kr761x-screenshot OUTPUT.png [SAVE_FILE.kcw]\n");
        return 2;
    }
    QApplication::setWindowIcon(kr::AppIcon());
    kr::CKR761x_ConfigWizardDlg window(args.value(2));
    window.show();
    window.OpenStartupFile();
    QApplication::processEvents();
    if (!window.grab().save(args[1])) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
