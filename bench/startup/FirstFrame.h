#pragma once
// The end point both start-up programs measure to: the window's first frame
// painted and flushed, taken from the screen as the user would see it and
// written to a PNG file.

#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QEvent>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace kr::bench {

// Created before the window is shown; notes the first paint of any widget.
class CFirstFrame : public QObject {
public:
    CFirstFrame() { qApp->installEventFilter(this); }

    // Waits for the first paint, writes what the screen holds of window to
    // png and ends the program there: what is timed is the way to the first
    // frame, not the tearing down of the window.
    [[noreturn]] void SaveAndExit(QWidget& window, const QString& png)
    {
        // The paint is flushed to the screen before the event that caused
        // it returns to the loop.
        while (!painted_)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        qApp->removeEventFilter(this);
        const QPixmap frame = window.screen()->grabWindow(window.winId());
        if (frame.isNull() || !frame.save(png)) {
            std::fprintf(stderr, "cannot write the first frame to %s\n", qPrintable(png));
            std::_Exit(1);
        }
        std::_Exit(0);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        painted_ = painted_ || event->type() == QEvent::Paint;
        return false;
    }

private:
    bool painted_ = false;
};

}  // namespace kr::bench
