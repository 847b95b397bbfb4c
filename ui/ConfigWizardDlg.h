// SPDX-License-Identifier: MIT
#pragma once
// The main window: the seven configuration pages behind their tabs, the
// "Project Generation" box with the project folder and toolchain, and the
// menu. Here the configuration is put together from the pages, saved, loaded
// and turned into a firmware project. The window owns the one record of the
// configuration; each page is bound to its group of it, shows that group into
// its controls and commits its controls into it.

#include <optional>

#include <QMainWindow>
#include <QString>

#include "model/ConfigurationSettings.h"
#include "model/FieldTable.h"
#include "ui/Exchange.h"

class QComboBox;
class QLineEdit;

namespace kr {

struct GenerationReport;
class CDlgTabCtrl;
class CDeviceDlg;
class CCommunicationDlg;
class CScreenDlg;
class CTouchDlg;
class CPenDlg;
class CMouseDlg;
class CGpioDlg;

// Numbers of the main window's controls and menu commands.
namespace wizard_id {
inline constexpr int kTabs = 1000;
inline constexpr int kProjectPath = 1058;
inline constexpr int kBrowse = 1059;
inline constexpr int kOpenFolder = 1060;
inline constexpr int kToolchain = 1035;
inline constexpr int kGenerateButton = 1018;

inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 32774;
inline constexpr int kExit = 32771;
inline constexpr int kGenerate = 32776;
inline constexpr int kBatchGenerate = 32777;
inline constexpr int kViewReportDescriptor = 32778;
inline constexpr int kSimulate = 32779;
inline constexpr int kAbout = 32775;
}  // namespace wizard_id

class CKR761x_ConfigWizardDlg : public QMainWindow {
    Q_OBJECT
public:
    // startupFile: the save file named on the command line, or empty.
    explicit CKR761x_ConfigWizardDlg(QString startupFile = {}, QWidget* parent = nullptr);
    ~CKR761x_ConfigWizardDlg() override;

    // The last step of opening the window: opens the start-up file, or says
    // that it does not exist.
    void OpenStartupFile();

    // The window's own fields and every page, in tab order. Committing stops
    // at the first page that refuses a value and brings it to the front;
    // displaying goes through every page and then refreshes the pages whose
    // controls depend on others. False when anything was refused.
    bool UpdateAllPages(Direction direction);

    // The whole configuration as last committed or shown.
    ConfigurationSettings CollectSettings() const;

    // Loads the save file at path and binds the window to it. A file that
    // fails to load leaves the form, the bound file and the title as they
    // were.
    void OpenSaveFile(const QString& path);

    // Whether the form differs from what was last opened, saved or started
    // with: what a commit would store now, compared with that record. A form
    // holding a value a commit would refuse counts as changed.
    bool IsModified();

    // Title for a window bound to the file at path.
    void UpdateTitle(const QString& path);

    // Lets the user choose the project folder; returns the folder chooser's
    // result (kFolderOk, kFolderCancel or kFolderNoPath).
    int BrowseProjectPath();

    // Makes sure the project path names an existing folder, asking for one
    // when it is empty. False when there is none, after saying so unless the
    // user cancelled the choice.
    bool CheckProjectPath();

    // The save file the window is bound to; empty when none.
    const QString& CurrentFile() const { return currentFile_; }

    // The field table files are saved and loaded by: the program's own,
    // unless a test gives one whose fields came in later versions. The table
    // must outlive the window.
    void UseFieldTable(const FieldRows& table) { fields_ = &table; }
    const ProjectData& Project() const { return settings_.project; }

    CDlgTabCtrl* Tabs() const { return tabs_; }
    CDeviceDlg* DevicePage() const { return device_; }
    CCommunicationDlg* CommunicationPage() const { return communication_; }
    CScreenDlg* ScreenPage() const { return screen_; }
    CTouchDlg* TouchPage() const { return touch_; }
    CPenDlg* PenPage() const { return pen_; }
    CMouseDlg* MousePage() const { return mouse_; }
    CGpioDlg* GpioPage() const { return gpio_; }

    // The commands of the menu and the project box.
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnExit();
    void OnGenerate();
    void OnViewReportDescriptor();
    void OnAbout();
    void OnBrowse();
    void OnOpenFolder();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenu();
    QWidget* BuildProjectBox();
    void AddPages();

    bool ExchangeOwn(Direction direction, Feedback feedback = Feedback::Tell);
    bool ExchangeProject(Direction direction, ProjectData& project, Feedback feedback);
    void RefreshDependentPages();
    bool PrepareForm();
    void ApplySettings(const ConfigurationSettings& settings);
    bool Save();
    bool SaveAs();
    bool SaveTo(const QString& path);
    bool AskToSaveChanges();
    // Where the open and save dialogs start: the folder of the bound file.
    QString FileDialogFolder() const;
    std::optional<ConfigurationSettings> ReadForm();
    void KeepAsUnchanged();
    void ShowModified();
    void ReportGeneration(const GenerationReport& report);
    void ShowError(const QString& title, const QString& text);

    // The configuration; the pages are bound to its groups.
    ConfigurationSettings settings_;
    QString currentFile_;
    QString baseTitle_;
    QString startupFile_;
    // What the form held when last opened, saved or started; empty when a
    // value of it would have been refused.
    std::optional<ConfigurationSettings> unchanged_;
    const FieldRows* fields_ = &FieldTable();
    // The save-file version of what the window last opened or saved: a save
    // that writes a later one says so, as older programs cannot open it.
    std::uint16_t fileVersion_ = kFirstSaveFileVersion;

    CDlgTabCtrl* tabs_ = nullptr;
    QLineEdit* projectPathEdit_ = nullptr;
    QComboBox* toolchainList_ = nullptr;

    CDeviceDlg* device_ = nullptr;
    CCommunicationDlg* communication_ = nullptr;
    CScreenDlg* screen_ = nullptr;
    CTouchDlg* touch_ = nullptr;
    CPenDlg* pen_ = nullptr;
    CMouseDlg* mouse_ = nullptr;
    CGpioDlg* gpio_ = nullptr;
};

// The filter of the save and open dialogs: save files, then all files.
QString SaveFileFilter();

}  // namespace kr
