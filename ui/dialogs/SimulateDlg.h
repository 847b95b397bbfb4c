// SPDX-License-Identifier: MIT
#pragma once
// Project › Simulate...: runs the built SDCC project of the project folder in
// the 8051 simulator in the chosen input mode and shows the reports its user
// code sends, one row each, with every field decoded as a host reads it,
// beside a drawing of the report as the host lays it out.

#include <QDialog>

#include <string>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QSpinBox;
class QTableWidget;

namespace kr {

// Numbers of the dialog's controls, so tests can find them.
namespace simulate_id {
inline constexpr int kMode = 1401;
inline constexpr int kCount = 1402;
inline constexpr int kRun = 1403;
inline constexpr int kReports = 1404;  // the table of reports
inline constexpr int kAssumed = 1405;  // what the run takes for granted
inline constexpr int kLayout = 1406;  // the drawing of the simulated report
}  // namespace simulate_id

class CSimulateDlg : public QDialog {
    Q_OBJECT
public:
    // project is the project folder (or its workspace).
    CSimulateDlg(std::u16string project, QWidget* parent = nullptr);

private:
    // Simulates with the chosen mode and count and fills the table; a
    // project that cannot be simulated, or a report that does not come, is
    // told in a message.
    void OnRun();

    std::u16string project_;
    QComboBox* mode_;
    QSpinBox* count_;
    QTableWidget* reports_;
    QHBoxLayout* results_;
    QWidget* layout_ = nullptr;
    QLabel* assumed_;
};

}  // namespace kr
