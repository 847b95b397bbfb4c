// SPDX-License-Identifier: MIT
#pragma once
// Project › Simulate...: runs the built SDCC project of the project folder in
// the 8051 simulator in the chosen input mode and shows the reports its user
// code sends, one row each, with every field decoded as a host reads it,
// beside a drawing of the report as the host lays it out. A test script
// can be opened: its answers go to the buses, and each of its expectations
// is shown passed or failed.

#include <QDialog>

#include <memory>
#include <string>

#include "model/ConfigurationSettings.h"

class QComboBox;
class QLabel;
class QListWidget;
class QSpinBox;
class QSplitter;
class QTableWidget;

namespace kr::simulation {
struct TestScript;
}

namespace kr {

// Numbers of the dialog's controls, so tests can find them.
namespace simulate_id {
inline constexpr int kMode = 1401;
inline constexpr int kCount = 1402;
inline constexpr int kRun = 1403;
inline constexpr int kReports = 1404;  // the table of reports
inline constexpr int kAssumed = 1405;  // what the run takes for granted
inline constexpr int kLayout = 1406;  // the drawing of the simulated report
inline constexpr int kOpenScript = 1407;
inline constexpr int kScriptName = 1408;
inline constexpr int kExpectations = 1409;  // each expectation, passed or failed
}  // namespace simulate_id

class CSimulateDlg : public QDialog {
    Q_OBJECT
public:
    // project is the project folder (or its workspace); the mode starts at
    // one that settings can send.
    CSimulateDlg(std::u16string project, const ConfigurationSettings& settings, QWidget* parent = nullptr);
    ~CSimulateDlg() override;

private:
    // Simulates with the chosen mode and count and fills the table; a
    // project that cannot be simulated, or a report that does not come, is
    // told in a message.
    void OnRun();
    // Asks for a test script and reads it; one that cannot be read is told
    // in a message, naming its line.
    void OnOpenScript();

    std::u16string project_;
    QComboBox* mode_;
    QSpinBox* count_;
    QTableWidget* reports_;
    QSplitter* results_;
    QWidget* layout_ = nullptr;
    QLabel* assumed_;
    QLabel* scriptName_;
    QListWidget* expectations_;
    std::unique_ptr<simulation::TestScript> script_;
    QString scriptPath_;
};

}  // namespace kr
