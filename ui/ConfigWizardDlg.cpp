// SPDX-License-Identifier: MIT
#include "ui/ConfigWizardDlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "generator/GenerateProject.h"
#include "generator/ReportDescriptor.h"
#include "platform/Folders.h"
#include "platform/NumberText.h"
#include "settings/SaveFile.h"
#include "ui/AppArt.h"
#include "ui/ControlId.h"
#include "ui/DlgTabCtrl.h"
#include "ui/Exchange.h"
#include "ui/FormWatcher.h"
#include "ui/Interaction.h"
#include "ui/PathBox.h"
#include "ui/QtText.h"
#include "ui/ScreenFit.h"
#include "ui/WaitCursor.h"
#include "ui/batch/BatchDlg.h"
#include "ui/dialogs/AboutDlg.h"
#include "ui/dialogs/FolderDialog.h"
#include "ui/dialogs/ReportDescriptorDlg.h"
#include "ui/dialogs/SimulateDlg.h"
#include "ui/pages/CommunicationDlg.h"
#include "ui/pages/DeviceDlg.h"
#include "ui/pages/GpioDlg.h"
#include "ui/pages/MouseDlg.h"
#include "ui/pages/PenDlg.h"
#include "ui/pages/ScreenDlg.h"
#include "ui/pages/TouchDlg.h"

namespace kr {
namespace {

using namespace wizard_id;

// The picture along the window's left edge, drawn to whatever height the
// window has; drawn again only when that changes.
class SidePanel : public QFrame {
public:
    explicit SidePanel(QWidget* parent) : QFrame(parent)
    {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setFixedWidth(96);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        const QRect area = contentsRect();
        if (picture_.size() != area.size())
            picture_ = PaintSidePanel(area.width(), area.height());
        QPainter(this).drawPixmap(area.topLeft(), picture_);
        QFrame::paintEvent(event);
    }

private:
    QPixmap picture_;
};

}  // namespace

QString SaveFileFilter()
{
    return QStringLiteral("KR761x Configuration Wizard Files (*.kcw);;All Files (*)");
}

CKR761x_ConfigWizardDlg::CKR761x_ConfigWizardDlg(QString startupFile, QWidget* parent)
    : QMainWindow(parent), startupFile_(std::move(startupFile))
{
    setWindowTitle(tr("KR761x Configuration Wizard"));
    setWindowIcon(AppIcon());
    BuildMenu();

    auto* central = new QWidget(this);
    tabs_ = WithId(new CDlgTabCtrl(central), kTabs);

    auto* right = new QVBoxLayout;
    right->addWidget(tabs_, 1);
    right->addWidget(BuildProjectBox());

    auto* layout = new QHBoxLayout(central);
    layout->addWidget(new SidePanel(central));
    layout->addLayout(right, 1);
    setCentralWidget(central);

    ExchangeOwn(Direction::Show);
    baseTitle_ = windowTitle();
    setWindowTitle(baseTitle_ + QStringLiteral("[*]"));
    AddPages();
    statusBar();  // where Generate reports what it wrote

    // The title marks unsaved changes as the desktop does.
    connect(new CFormWatcher(central), &CFormWatcher::changed, this, &CKR761x_ConfigWizardDlg::ShowModified);
    KeepAsUnchanged();
    // Every page whole where the screen has room; on a small screen the
    // pages scroll and the project box stays in view.
    OpenWithin(*this, sizeHint());
}

CKR761x_ConfigWizardDlg::~CKR761x_ConfigWizardDlg() = default;

void CKR761x_ConfigWizardDlg::BuildMenu()
{
    auto add = [this](QMenu* menu, const QString& text, int id, void (CKR761x_ConfigWizardDlg::*slot)(),
                      const QKeySequence& keys = {}) {
        QAction* action = WithId(menu->addAction(text), id);
        action->setShortcut(keys);
        if (slot)
            connect(action, &QAction::triggered, this, slot);
        return action;
    };

    QMenu* file = menuBar()->addMenu(tr("&File"));
    add(file, tr("&Open..."), kFileOpen, &CKR761x_ConfigWizardDlg::OnFileOpen, QKeySequence(tr("Ctrl+O")));
    file->addSeparator();
    add(file, tr("&Save"), kFileSave, &CKR761x_ConfigWizardDlg::OnFileSave, QKeySequence(tr("Ctrl+S")));
    add(file, tr("Save &As..."), kFileSaveAs, &CKR761x_ConfigWizardDlg::OnFileSaveAs, QKeySequence(tr("Ctrl+Shift+S")));
    file->addSeparator();
    add(file, tr("E&xit"), kExit, &CKR761x_ConfigWizardDlg::OnExit, QKeySequence(tr("Ctrl+Q")));

    QMenu* project = menuBar()->addMenu(tr("&Project"));
    add(project, tr("&Generate"), kGenerate, &CKR761x_ConfigWizardDlg::OnGenerate);
    add(project, tr("View Report Descriptor..."), kViewReportDescriptor,
        &CKR761x_ConfigWizardDlg::OnViewReportDescriptor);
    QAction* simulate = add(project, tr("Simulate..."), kSimulate, nullptr);
    connect(simulate, &QAction::triggered, this, [this] {
        // Runs what was last built in the project folder, not the form.
        if (settings_.project.projectPath.empty()) {
            ShowError(tr("Simulate"), tr("There is no project folder to simulate: choose one under Project Path, "
                                         "then generate and build the project there."));
            return;
        }
        CSimulateDlg dialog(settings_.project.projectPath, settings_, this);
        Interaction().RunModal(dialog);
    });
    project->addSeparator();
    QAction* batch = add(project, tr("Batch Generate..."), kBatchGenerate, nullptr);
    connect(batch, &QAction::triggered, this, [this] {
        // A batch works on folders of save files; the window's own data is
        // not touched.
        CBatchDlg dialog(this);
        Interaction().RunModal(dialog);
    });

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    add(help, tr("&About"), kAbout, &CKR761x_ConfigWizardDlg::OnAbout);
}

QWidget* CKR761x_ConfigWizardDlg::BuildProjectBox()
{
    auto* box = new QGroupBox(tr("Project Generation"));
    projectPathEdit_ = WithId(MakePathBox(box), kProjectPath);
    auto* browse = WithId(new QPushButton(tr("..."), box), kBrowse);
    browse->setMaximumWidth(40);
    auto* openFolder = WithId(new QPushButton(tr("Open Folder"), box), kOpenFolder);
    toolchainList_ = WithId(new QComboBox(box), kToolchain);
    toolchainList_->addItems(ChoiceItems(u"ProjectData/toolchain"));
    auto* generate = WithId(new QPushButton(tr("Generate Project"), box), kGenerateButton);

    connect(browse, &QPushButton::clicked, this, &CKR761x_ConfigWizardDlg::OnBrowse);
    connect(openFolder, &QPushButton::clicked, this, &CKR761x_ConfigWizardDlg::OnOpenFolder);
    connect(generate, &QPushButton::clicked, this, &CKR761x_ConfigWizardDlg::OnGenerate);

    auto* grid = new QGridLayout(box);
    grid->addWidget(new QLabel(tr("Project Path:"), box), 0, 0);
    grid->addWidget(projectPathEdit_, 0, 1, 1, 2);
    grid->addWidget(browse, 0, 3);
    grid->addWidget(openFolder, 0, 4);
    grid->addWidget(new QLabel(tr("Toolchain:"), box), 1, 0);
    grid->addWidget(toolchainList_, 1, 1);
    grid->addWidget(generate, 1, 3, 1, 2);
    grid->setColumnStretch(2, 1);
    return box;
}

void CKR761x_ConfigWizardDlg::AddPages()
{
    // The Device page comes first: the Touch, Mouse and GPIO pages read its
    // lists, from the moment they initialise.
    device_ = new CDeviceDlg(this, &settings_.device);
    tabs_->AddPage(0, device_, tr("Device"));
    communication_ = new CCommunicationDlg(this, &settings_.communication);
    tabs_->AddPage(1, communication_, tr("Communication"));
    screen_ = new CScreenDlg(this, &settings_.screen);
    tabs_->AddPage(2, screen_, tr("Screen"));
    touch_ = new CTouchDlg(device_, this, &settings_.touch);
    tabs_->AddPage(3, touch_, tr("Touch"));
    pen_ = new CPenDlg(this, &settings_.pen);
    tabs_->AddPage(4, pen_, tr("Pen"));
    mouse_ = new CMouseDlg(device_, this, &settings_.mouse);
    tabs_->AddPage(5, mouse_, tr("Mouse"));
    gpio_ = new CGpioDlg(device_, this, &settings_.gpio);
    tabs_->AddPage(6, gpio_, tr("GPIO"));
}

void CKR761x_ConfigWizardDlg::OpenStartupFile()
{
    if (startupFile_.isEmpty())
        return;
    if (platform::PathProblem(QStringToPath(startupFile_)).empty())
        OpenSaveFile(startupFile_);
    else
        ShowError(tr("File Load Error"), tr("File does not exist"));
}

bool CKR761x_ConfigWizardDlg::ExchangeOwn(Direction direction, Feedback feedback)
{
    return ExchangeProject(direction, settings_.project, feedback);
}

bool CKR761x_ConfigWizardDlg::ExchangeProject(Direction direction, ProjectData& project, Feedback feedback)
{
    return RunExchange(
        this, direction,
        [this, &project](ExchangeContext& ctx) {
            ExchangeList(ctx, toolchainList_, project.toolchain);
            ExchangeText(ctx, projectPathEdit_, project.projectPath);
        },
        feedback);
}

bool CKR761x_ConfigWizardDlg::UpdateAllPages(Direction direction)
{
    bool result = ExchangeOwn(direction);
    if (!tabs_->ExchangeAllPages(direction))
        result = false;
    if (direction == Direction::Show)
        RefreshDependentPages();
    return result;
}

void CKR761x_ConfigWizardDlg::RefreshDependentPages()
{
    communication_->RefreshControls();
    touch_->RefreshControls();
    pen_->RefreshControls();
    mouse_->RefreshControls();
    gpio_->RefreshControls();
}

bool CKR761x_ConfigWizardDlg::PrepareForm()
{
    // Values the page rules force stand in the controls before the commit,
    // so that they are what is saved or generated.
    RefreshDependentPages();
    return UpdateAllPages(Direction::Commit);
}

ConfigurationSettings CKR761x_ConfigWizardDlg::CollectSettings() const
{
    return settings_;
}

void CKR761x_ConfigWizardDlg::ApplySettings(const ConfigurationSettings& settings)
{
    settings_ = settings;  // the pages are bound to its groups
}

void CKR761x_ConfigWizardDlg::OpenSaveFile(const QString& path)
{
    // Loaded into a record of its own and adopted only whole. A file that
    // fails to load does not bind the window either: a following Save must
    // not overwrite a file the window could not read (one of a newer
    // version, say) with the form's values.
    ConfigurationSettings loaded;
    std::u16string error;
    std::uint16_t version = kFirstSaveFileVersion;
    if (!LoadSettings(QStringToPath(path), loaded, error, &version, *fields_)) {
        ShowError(tr("File Load Error"), ToQString(error));
        return;
    }
    fileVersion_ = version;
    currentFile_ = path;
    UpdateTitle(path);
    ApplySettings(loaded);
    UpdateAllPages(Direction::Show);
    KeepAsUnchanged();
}

std::optional<ConfigurationSettings> CKR761x_ConfigWizardDlg::ReadForm()
{
    // A quiet commit, in exchange order, into a copy of the record: the
    // record stays what the last real commit or display made it.
    ConfigurationSettings form = settings_;
    const bool read = ExchangeProject(Direction::Commit, form.project, Feedback::Silent)
                      && device_->CommitQuietly(form.device) && communication_->CommitQuietly(form.communication)
                      && screen_->CommitQuietly(form.screen) && touch_->CommitQuietly(form.touch)
                      && pen_->CommitQuietly(form.pen) && mouse_->CommitQuietly(form.mouse)
                      && gpio_->CommitQuietly(form.gpio);
    if (!read)
        return std::nullopt;
    return form;
}

bool CKR761x_ConfigWizardDlg::IsModified()
{
    const std::optional<ConfigurationSettings> form = ReadForm();
    return !form || !unchanged_ || *form != *unchanged_;
}

void CKR761x_ConfigWizardDlg::KeepAsUnchanged()
{
    unchanged_ = ReadForm();
    // The form is what was just read, so it counts as changed only when it
    // could not be read; reading it again to compare would cost a second
    // exchange over every page.
    setWindowModified(!unchanged_);
}

void CKR761x_ConfigWizardDlg::ShowModified()
{
    setWindowModified(IsModified());
}

bool CKR761x_ConfigWizardDlg::AskToSaveChanges()
{
    if (!IsModified())
        return true;
    const QString name = currentFile_.isEmpty() ? tr("the configuration") : QFileInfo(currentFile_).fileName();
    switch (Interaction().AskSaveChanges(this, baseTitle_, tr("Do you want to save the changes to %1?").arg(name))) {
    case SaveChoice::Save:
        return Save();
    case SaveChoice::Discard:
        return true;
    case SaveChoice::Cancel:
        break;
    }
    return false;
}

void CKR761x_ConfigWizardDlg::UpdateTitle(const QString& path)
{
    // The file's name and its extension, without folder, each part at most
    // 255 characters.
    const QString name = QFileInfo(ShownPathText(path)).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot < 0 ? name : name.left(dot);
    const QString extension = dot < 0 ? QString() : name.mid(dot);
    // "[*]" marks where the desktop shows unsaved changes; a name that holds
    // those characters itself has them doubled, which shows them as they are.
    QString shown = stem.left(255) + extension.left(255);
    shown.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(baseTitle_ + QStringLiteral(" - ") + shown + QStringLiteral("[*]"));
}

int CKR761x_ConfigWizardDlg::BrowseProjectPath()
{
    if (!ExchangeOwn(Direction::Commit))
        return kFolderOk;
    CFolderDialog chooser(this, tr("Select project output directory."), ToQString(settings_.project.projectPath));
    const int result = chooser.DoModal();
    if (result == kFolderOk) {
        settings_.project.projectPath = ToU16(WithTrailingSeparator(chooser.SelectedFolder()));
        ExchangeOwn(Direction::Show);
    }
    return result;
}

bool CKR761x_ConfigWizardDlg::CheckProjectPath()
{
    if (settings_.project.projectPath.empty() && BrowseProjectPath() == kFolderCancel)
        return false;
    const QString path = ToQString(settings_.project.projectPath);
    if (!path.isEmpty() && platform::IsExistingFolder(QStringToPath(path))) {
        // A path from a save file may lack the final separator that file
        // names are appended to.
        const QString folder = WithTrailingSeparator(path);
        if (folder != path) {
            // The same folder: not a change of the user's.
            if (unchanged_ && unchanged_->project.projectPath == settings_.project.projectPath)
                unchanged_->project.projectPath = ToU16(folder);
            settings_.project.projectPath = ToU16(folder);
            ExchangeOwn(Direction::Show);
        }
        return true;
    }
    ShowError(tr("Project Path Error"), tr("Please select a valid project path."));
    return false;
}

QString CKR761x_ConfigWizardDlg::FileDialogFolder() const
{
    return currentFile_.isEmpty() ? QString() : QFileInfo(currentFile_).absolutePath();
}

void CKR761x_ConfigWizardDlg::OnFileOpen()
{
    // The form is committed only when the user chooses to save it: a value a
    // page refuses does not stand in the way of throwing it away.
    if (!ExchangeOwn(Direction::Commit) || !AskToSaveChanges())
        return;
    QString path;
    if (Interaction().GetOpenFileName(this, {SaveFileFilter(), {}, {}, FileDialogFolder()}, path))
        OpenSaveFile(path);
}

void CKR761x_ConfigWizardDlg::OnFileSave()
{
    Save();
}

void CKR761x_ConfigWizardDlg::OnFileSaveAs()
{
    SaveAs();
}

bool CKR761x_ConfigWizardDlg::Save()
{
    if (currentFile_.isEmpty())
        return SaveAs();
    return PrepareForm() && SaveTo(currentFile_);
}

bool CKR761x_ConfigWizardDlg::SaveAs()
{
    if (!PrepareForm())
        return false;
    // A window bound to a file proposes that file's name, to save it again
    // or a copy beside it under a name changed from it.
    const QString name =
        currentFile_.isEmpty() ? QStringLiteral("KR761x_Configuration") : QFileInfo(currentFile_).fileName();
    QString path;
    if (!Interaction().GetSaveFileName(this, {SaveFileFilter(), QStringLiteral("kcw"), name, FileDialogFolder()}, path))
        return false;
    // The window is bound to the new file only once it holds the form.
    if (!SaveTo(path))
        return false;
    currentFile_ = path;
    UpdateTitle(path);
    return true;
}

bool CKR761x_ConfigWizardDlg::SaveTo(const QString& path)
{
    std::u16string error;
    const ConfigurationSettings settings = CollectSettings();
    if (!SaveSettings(QStringToPath(path), settings, error, *fields_)) {
        ShowError(tr("File Save Error"), ToQString(error));
        return false;
    }
    const std::uint16_t written = VersionHolding(settings, *fields_);
    if (written > fileVersion_)
        statusBar()->showMessage(tr("Saved as file version %1: older versions of this program cannot open it.")
                                     .arg(ToQString(platform::FormatHexLiteral(written, 4))));
    else
        statusBar()->clearMessage();
    fileVersion_ = written;
    unchanged_ = settings;
    ShowModified();
    return true;
}

void CKR761x_ConfigWizardDlg::OnGenerate()
{
    WaitCursor wait;
    statusBar()->clearMessage();
    if (!PrepareForm() || !CheckProjectPath())
        return;
    std::u16string error;
    GenerationReport report;
    if (!GenerateProject(CollectSettings(), error, &report)) {
        ShowError(tr("File Generation Error"), ToQString(error));
        return;
    }
    ReportGeneration(report);
}

void CKR761x_ConfigWizardDlg::ReportGeneration(const GenerationReport& report)
{
    // Success is told without a box to close; an old file kept beside its
    // new version is worth one, since the user's code is in it.
    const qsizetype files = qsizetype(report.written.size());
    const QString folder = ShownPathText(ToQString(settings_.project.projectPath));
    QString status = files == 1 ? tr("Project generated: 1 file written to %1").arg(folder)
                                : tr("Project generated: %1 files written to %2").arg(files).arg(folder);
    // Files whose content did not change are left as they were.
    if (!report.unchanged.empty())
        status += tr(" (%1 unchanged)").arg(qsizetype(report.unchanged.size()));
    statusBar()->showMessage(status);
    if (report.kept.empty() && report.lockNotice.empty())
        return;
    QString text = ToQString(report.lockNotice);
    for (const KeptFile& kept : report.kept)
        text += (text.isEmpty() ? QString() : QStringLiteral("\n\n")) + ToQString(KeptFileNotice(kept));
    Interaction().ShowMessage(this, tr("Generate Project"), text, MessageIcon::Warning);
}

void CKR761x_ConfigWizardDlg::OnViewReportDescriptor()
{
    // The descriptor of what Generate would write now: the pages commit
    // first, and a refused value ends the command the same way.
    if (!PrepareForm())
        return;
    ReportDescriptorView view;
    std::u16string error;
    if (!DescribeReportDescriptor(CollectSettings(), view, error)) {
        ShowError(tr("File Generation Error"), ToQString(error));
        return;
    }
    CReportDescriptorDlg dialog(view, this);
    Interaction().RunModal(dialog);
}

void CKR761x_ConfigWizardDlg::OnAbout()
{
    CAboutDlg about(this);
    Interaction().RunModal(about);
}

void CKR761x_ConfigWizardDlg::OnBrowse()
{
    BrowseProjectPath();
}

void CKR761x_ConfigWizardDlg::OnOpenFolder()
{
    if (ExchangeOwn(Direction::Commit) && !settings_.project.projectPath.empty())
        ShowFolder(this, ToQString(settings_.project.projectPath));
}

void CKR761x_ConfigWizardDlg::OnExit()
{
    close();
}

void CKR761x_ConfigWizardDlg::closeEvent(QCloseEvent* event)
{
    // Unsaved changes are saved, discarded or keep the window open, as the
    // user answers; a save that fails or is refused keeps it open too.
    if (ExchangeOwn(Direction::Commit) && AskToSaveChanges())
        event->accept();
    else
        event->ignore();
}

void CKR761x_ConfigWizardDlg::ShowError(const QString& title, const QString& text)
{
    Interaction().ShowMessage(this, title, text, MessageIcon::Warning);
}

}  // namespace kr
