// SPDX-License-Identifier: MIT
#include <cstdio>

#include <QCoreApplication>

#include "platform/EndSignals.h"
#include "ui/ConfigWizardApp.h"
#include "ui/dialogs/ProgressDlg.h"

namespace {

// Whether a window can be opened at all: an X or Wayland display, or a Qt
// platform chosen explicitly (such as offscreen).
bool HasDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(name))
            return true;
    }
    return false;
}

// Without a display: --help and --version still answer; anything else says
// why no window opens and what to use instead.
int RunWithoutDisplay(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(kr::kProgramName);
    QCoreApplication::setApplicationVersion(kr::kProgramVersion);
    QCommandLineParser parser;
    kr::SetUpCommandLine(parser);
    parser.process(application);
    std::fprintf(
        stderr, "kr761x-wizard: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so no window can open.\n"
                "Use the command-line front end kr761x-gen instead (kr761x-gen --help).\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!HasDisplay())
        return RunWithoutDisplay(argc, argv);
    // Ended from outside (SIGTERM, SIGHUP, Ctrl+C at its terminal), the
    // wizard ends every builder a batch runs at once, closes, and then ends
    // by that signal.
    kr::platform::CEndSignals endSignals(kr::platform::EndSignalsOf::Window, [] { kr::EndRunningBuilders(); });
    kr::CKR761x_ConfigWizardApp app(argc, argv);
    return app.Run([&] { return endSignals.Received() != 0; });
}
