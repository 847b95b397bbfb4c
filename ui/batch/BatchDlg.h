// SPDX-License-Identifier: MIT
#pragma once
// The batch dialog: an input folder of save files, an output folder and,
// optionally, the builder to run on every generated project. A run goes
// through the progress dialog; the worker's text reaches the log view every
// 100 ms, also while the progress dialog is up, and every run adds to the log
// below the previous one. The folders and the builder are remembered from
// one opening to the next, in the user's settings of the program; the builder
// box starts with the project's own kr761x-build when none is remembered and
// one is found.

#include <chrono>
#include <memory>
#include <string>

#include <QDialog>

#include "ui/dialogs/ProgressDlg.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QTimer;

namespace kr {

class PendingLog;

// Numbers of the batch dialog's controls.
namespace batch_id {
inline constexpr int kInputFolder = 1059;
inline constexpr int kBrowseInput = 1060;
inline constexpr int kOpenInput = 1061;
inline constexpr int kOutputFolder = 1203;
inline constexpr int kBrowseOutput = 1063;
inline constexpr int kOpenOutput = 1064;
inline constexpr int kBuildProjects = 1206;
inline constexpr int kBuilderPath = 1204;
inline constexpr int kBrowseBuilder = 1205;
inline constexpr int kStart = 1207;
inline constexpr int kLog = 1208;
inline constexpr int kClear = 1209;
}  // namespace batch_id

class CBatchDlg : public QDialog {
    Q_OBJECT
public:
    explicit CBatchDlg(QWidget* parent = nullptr);
    ~CBatchDlg() override;

    // How long a run waits for its worker after the progress dialog closed
    // before cutting it off.
    void SetWorkerWaitLimit(std::chrono::milliseconds limit) { waitLimit_ = limit; }
    // How many save files a run processes side by side; at first as many as
    // the process has cores.
    void SetJobs(unsigned jobs) { jobs_ = jobs; }

    // The text the worker has written and the view not yet shown. A worker
    // that was cut off keeps it alive for as long as it runs.
    const std::shared_ptr<PendingLog>& Pending() const { return pendingLog_; }

    // Closing waits until no run is in progress.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Enter closes the dialog as Escape does: it has no default button.
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool Exchange(bool commit);
    void BrowseFolder(std::u16string& field, const QString& title);
    void OpenFolder(const std::u16string& field);
    void OnBrowseBuilder();
    void OnStart();
    void OnClear();
    void OnTimer();
    // Notes the folders and the builder in the user's settings.
    void Remember() const;

    std::u16string inputFolder_;
    std::u16string outputFolder_;
    std::u16string builderPath_;
    std::shared_ptr<PendingLog> pendingLog_;
    QLineEdit* inputFolderEdit_ = nullptr;
    QLineEdit* outputFolderEdit_ = nullptr;
    QLineEdit* builderPathEdit_ = nullptr;
    QCheckBox* buildProjects_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    QTimer* timer_ = nullptr;
    bool running_ = false;
    std::chrono::milliseconds waitLimit_ = kWorkerWaitLimit;
    unsigned jobs_ = 1;
};

}  // namespace kr
