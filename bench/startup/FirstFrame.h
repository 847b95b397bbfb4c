// SPDX-License-Identifier: MIT
#pragma once
// The end point both start-up programs measure to: the window's first frame
// painted and flushed, taken from the screen as the user would see it and
// written to a PNG file. On the way, the time of each stage of the start is
// kept; with KR_STARTUP_STAGES set in the environment the stages are printed
// to standard error at the end, as one line of "name milliseconds" pairs.

#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace kr::bench {

// The stages of one start, each timed from the end of the one before.
class CStages {
public:
    // Created on the program's first line: the first stage starts there.
    CStages() { timer_.start(); }

    // Ends the stage called name.
    void Mark(const char* name)
    {
        const qint64 now = timer_.nsecsElapsed();
        char stage[64];
        std::snprintf(stage, sizeof stage, "%s%s %.3f", line_.empty() ? "" : " ", name, (now - last_) / 1e6);
        line_ += stage;
        last_ = now;
    }

    void PrintIfAsked() const
    {
        if (std::getenv("KR_STARTUP_STAGES"))
            std::fprintf(stderr, "%s\n", line_.c_str());
    }

private:
    QElapsedTimer timer_;
    qint64 last_ = 0;
    std::string line_;
};

// Created before the window is shown; notes the first paint of any widget.
class CFirstFrame : public QObject {
public:
    explicit CFirstFrame(CStages& stages) : stages_(stages) { qApp->installEventFilter(this); }

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
        stages_.Mark("paint");
        const QPixmap frame = window.screen()->grabWindow(window.winId());
        stages_.Mark("grab");
        if (frame.isNull() || !frame.save(png)) {
            std::fprintf(stderr, "cannot write the first frame to %s\n", qPrintable(png));
            std::_Exit(1);
        }
        stages_.Mark("png");
        stages_.PrintIfAsked();
        std::_Exit(0);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        painted_ = painted_ || event->type() == QEvent::Paint;
        return false;
    }

private:
    CStages& stages_;
    bool painted_ = false;
};

}  // namespace kr::bench
