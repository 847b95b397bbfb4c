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
#include <QVBoxLayout>

#include "generator/GenerateProject.h"
#include "generator/ReportDescriptor.h"
#include "settings/SaveFile.h"
#include "ui/AppArt.h"
#include "ui/ControlId.h"
#include "ui/DlgTabCtrl.h"
#include "ui/Exchange.h"
#include "ui/Interaction.h"
#include "ui/QtText.h"
#include "ui/WaitCursor.h"
#include "ui/batch/BatchDlg.h"
#include "ui/dialogs/AboutDlg.h"
#include "ui/dialogs/FolderDialog.h"
#include "ui/dialogs/ReportDescriptorDlg.h"
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

template <class Widget>
Widget* Numbered(Widget* widget, int id)
{
    SetControlId(widget, id);
    return widget;
}

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
    tabs_ = Numbered(new CDlgTabCtrl(central), kTabs);

    auto* right = new QVBoxLayout;
    right->addWidget(tabs_, 1);
    right->addWidget(BuildProjectBox());

    auto* layout = new QHBoxLayout(central);
    layout->addWidget(new SidePanel(central));
    layout->addLayout(right, 1);
    setCentralWidget(central);

    ExchangeOwn(false);
    baseTitle_ = windowTitle();
    AddPages();
}

CKR761x_ConfigWizardDlg::~CKR761x_ConfigWizardDlg() = default;

void CKR761x_ConfigWizardDlg::BuildMenu()
{
    auto add = [this](QMenu* menu, const QString& text, int id, void (CKR761x_ConfigWizardDlg::*slot)(),
                      const QKeySequence& keys = {}) {
        QAction* action = Numbered(menu->addAction(text), id);
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
    QAction* exit = add(file, tr("E&xit"), kExit, nullptr, QKeySequence(tr("Ctrl+Q")));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QMenu* project = menuBar()->addMenu(tr("&Project"));
    add(project, tr("&Generate"), kGenerate, &CKR761x_ConfigWizardDlg::OnGenerate);
    add(project, tr("View Report Descriptor..."), kViewReportDescriptor, &CKR761x_ConfigWizardDlg::OnViewReportDescriptor);
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
    projectPathEdit_ = Numbered(new QLineEdit(box), kProjectPath);
    projectPathEdit_->setReadOnly(true);
    auto* browse = Numbered(new QPushButton(tr("..."), box), kBrowse);
    browse->setMaximumWidth(40);
    auto* openFolder = Numbered(new QPushButton(tr("Open Folder"), box), kOpenFolder);
    toolchainList_ = Numbered(new QComboBox(box), kToolchain);
    toolchainList_->addItems({QStringLiteral("Keil"), QStringLiteral("Raisonance"), QStringLiteral("SDCC")});
    auto* generate = Numbered(new QPushButton(tr("Generate Project"), box), kGenerateButton);

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
    device_ = new CDeviceDlg(this);
    tabs_->AddPage(0, device_, tr("Device"));
    communication_ = new CCommunicationDlg(this);
    tabs_->AddPage(1, communication_, tr("Communication"));
    screen_ = new CScreenDlg(this);
    tabs_->AddPage(2, screen_, tr("Screen"));
    touch_ = new CTouchDlg(device_, this);
    tabs_->AddPage(3, touch_, tr("Touch"));
    pen_ = new CPenDlg(this);
    tabs_->AddPage(4, pen_, tr("Pen"));
    mouse_ = new CMouseDlg(device_, this);
    tabs_->AddPage(5, mouse_, tr("Mouse"));
    gpio_ = new CGpioDlg(device_, this);
    tabs_->AddPage(6, gpio_, tr("GPIO"));
}

void CKR761x_ConfigWizardDlg::OpenStartupFile()
{
    if (startupFile_.isEmpty())
        return;
    if (QFileInfo::exists(startupFile_))
        OpenSaveFile(startupFile_);
    else
        ShowError(tr("File Load Error"), tr("File does not exist"));
}

bool CKR761x_ConfigWizardDlg::ExchangeOwn(bool commit)
{
    return RunExchange(this, commit, [this](ExchangeContext& ctx) {
        ExchangeList(ctx, kToolchain, project_.toolchain);
        ExchangeText(ctx, kProjectPath, project_.projectPath);
    });
}

bool CKR761x_ConfigWizardDlg::UpdateAllPages(bool commit)
{
    bool result = ExchangeOwn(commit);
    if (!tabs_->ExchangeAllPages(commit))
        result = false;
    if (!commit)
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
    return UpdateAllPages(true);
}

ConfigurationSettings CKR761x_ConfigWizardDlg::CollectSettings() const
{
    ConfigurationSettings settings;
    settings.project = project_;
    settings.device = device_->data;
    settings.communication = communication_->data;
    settings.screen = screen_->data;
    settings.touch = touch_->data;
    settings.pen = pen_->data;
    settings.mouse = mouse_->data;
    settings.gpio = gpio_->data;
    return settings;
}

void CKR761x_ConfigWizardDlg::ApplySettings(const ConfigurationSettings& settings)
{
    project_ = settings.project;
    device_->data = settings.device;
    communication_->data = settings.communication;
    screen_->data = settings.screen;
    touch_->data = settings.touch;
    pen_->data = settings.pen;
    mouse_->data = settings.mouse;
    gpio_->data = settings.gpio;
}

void CKR761x_ConfigWizardDlg::OpenSaveFile(const QString& path)
{
    currentFile_ = path;
    UpdateTitle(path);
    // Loaded into a record of its own and adopted only whole, so a file that
    // fails part-way changes nothing.
    ConfigurationSettings loaded;
    std::u16string error;
    if (LoadSettings(ToU16(path), loaded, error))
        ApplySettings(loaded);
    else
        ShowError(tr("File Load Error"), ToQString(error));
    UpdateAllPages(false);
}

void CKR761x_ConfigWizardDlg::UpdateTitle(const QString& path)
{
    // The file's name and its extension, without folder, each part at most
    // 255 characters.
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot < 0 ? name : name.left(dot);
    const QString extension = dot < 0 ? QString() : name.mid(dot);
    setWindowTitle(baseTitle_ + QStringLiteral(" - ") + stem.left(255) + extension.left(255));
}

int CKR761x_ConfigWizardDlg::BrowseProjectPath()
{
    if (!ExchangeOwn(true))
        return kFolderOk;
    CFolderDialog chooser(this, tr("Select project output directory."), ToQString(project_.projectPath));
    const int result = chooser.DoModal();
    if (result == kFolderOk) {
        project_.projectPath = ToU16(WithTrailingSeparator(chooser.SelectedFolder()));
        ExchangeOwn(false);
    }
    return result;
}

bool CKR761x_ConfigWizardDlg::CheckProjectPath()
{
    if (project_.projectPath.empty() && BrowseProjectPath() == kFolderCancel)
        return false;
    const QString path = ToQString(project_.projectPath);
    if (!path.isEmpty() && QFileInfo(path).isDir()) {
        // A path from a save file may lack the final separator that file
        // names are appended to.
        const QString folder = WithTrailingSeparator(path);
        if (folder != path) {
            project_.projectPath = ToU16(folder);
            ExchangeOwn(false);
        }
        return true;
    }
    ShowError(tr("Project Path Error"), tr("Please select a valid project path."));
    return false;
}

void CKR761x_ConfigWizardDlg::OnFileOpen()
{
    if (!UpdateAllPages(true))
        return;
    QString path;
    if (Interaction().GetOpenFileName(this, {SaveFileFilter(), {}, {}}, path))
        OpenSaveFile(path);
}

void CKR761x_ConfigWizardDlg::OnFileSave()
{
    if (currentFile_.isEmpty()) {
        OnFileSaveAs();
        return;
    }
    if (!PrepareForm())
        return;
    SaveTo(currentFile_);
}

void CKR761x_ConfigWizardDlg::OnFileSaveAs()
{
    if (!PrepareForm())
        return;
    QString path;
    if (!Interaction().GetSaveFileName(this, {SaveFileFilter(), QStringLiteral("kcw"), QStringLiteral("KR761x_Configuration")},
                                       path))
        return;
    currentFile_ = path;
    UpdateTitle(path);
    SaveTo(path);
}

void CKR761x_ConfigWizardDlg::SaveTo(const QString& path)
{
    std::u16string error;
    if (!SaveSettings(ToU16(path), error, CollectSettings()))
        ShowError(tr("File Save Error"), ToQString(error));
}

void CKR761x_ConfigWizardDlg::OnGenerate()
{
    WaitCursor wait;
    if (!PrepareForm() || !CheckProjectPath())
        return;
    std::u16string error;
    if (!GenerateProject(CollectSettings(), error))
        ShowError(tr("File Generation Error"), ToQString(error));
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
    if (ExchangeOwn(true) && !project_.projectPath.empty())
        Interaction().Explore(ToQString(project_.projectPath));
}

void CKR761x_ConfigWizardDlg::closeEvent(QCloseEvent* event)
{
    // Closing never asks about unsaved changes; it only needs the window's
    // own fields to commit.
    if (ExchangeOwn(true))
        event->accept();
    else
        event->ignore();
}

void CKR761x_ConfigWizardDlg::ShowError(const QString& title, const QString& text)
{
    Interaction().ShowMessage(this, title, text, MessageIcon::Warning);
}

}  // namespace kr
