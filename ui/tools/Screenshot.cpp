// SPDX-License-Identifier: MIT
// Draws the main window, or one page with its tabs, into a PNG file, for the
// documentation:
//   kr761x-screenshot OUTPUT.png [SAVE_FILE.kcw] [--page N]
// N is the tab's position, 0 (Device) to 6 (GPIO). Runs on any Qt platform,
// the offscreen one included.

#include <cstdio>

#include <QApplication>
#include <QPixmap>

#include "ui/AppArt.h"
#include "ui/ConfigWizardDlg.h"
#include "ui/DlgTabCtrl.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments();
    int page = -1;
    if (const qsizetype at = args.indexOf(QStringLiteral("--page")); at > 0) {
        bool ok = false;
        page = args.value(at + 1).toInt(&ok);
        if (!ok || page < 0 || page > 6) {
            std::fprintf(stderr, "--page takes a tab position from 0 to 6\n");
            return 2;
        }
        args.remove(at, 2);
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: kr761x-screenshot OUTPUT.png [SAVE_FILE.kcw] [--page N]\n");
        return 2;
    }
    QApplication::setWindowIcon(kr::AppIcon());
    kr::CKR761x_ConfigWizardDlg window(args.value(2));
    window.show();
    window.OpenStartupFile();
    if (page >= 0)
        window.Tabs()->setCurrentIndex(page);
    QApplication::processEvents();
    QApplication::processEvents();
    const QPixmap picture = page >= 0 ? window.Tabs()->grab() : window.grab();
    if (!picture.save(args[1])) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
