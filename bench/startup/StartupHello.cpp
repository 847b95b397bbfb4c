// SPDX-License-Identifier: MIT
// The yardstick for the wizard's start-up: a hello-world Qt Widgets window
// that reads a save file, shows one line about it in a window of the given
// size, and writes its first painted frame to a PNG file.
//   kr761x-startup-hello SAVEFILE OUTPUT.png [WIDTH HEIGHT]

#include <cstdio>

#include <QFile>
#include <QLabel>

#include "FirstFrame.h"

int main(int argc, char** argv)
{
    kr::bench::CStages stages;
    QApplication app(argc, argv);
    stages.Mark("app");
    const QStringList args = QApplication::arguments();
    if (args.size() != 3 && args.size() != 5) {
        std::fprintf(stderr, "usage: kr761x-startup-hello SAVEFILE OUTPUT.png [WIDTH HEIGHT]\n");
        return 2;
    }
    QFile file(args[1]);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    QLabel window(QStringLiteral("Hello, world: %1 holds %2 bytes").arg(args[1]).arg(file.readAll().size()));
    if (args.size() == 5)
        window.resize(args[3].toInt(), args[4].toInt());
    kr::bench::CFirstFrame frame(stages);
    window.show();
    stages.Mark("window");
    frame.SaveAndExit(window, args[2]);
}
