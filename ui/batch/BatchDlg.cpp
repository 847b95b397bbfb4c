// SPDX-License-Identifier: MIT
#include "ui/batch/BatchDlg.h"

#include <cstdlib>

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTextCursor>
#include <QTimer>

#include "batch/BatchJob.h"
#include "batch/CheckBatchPaths.h"
#include "batch/DefaultBuilder.h"
#include "platform/Cores.h"
#include "ui/ControlId.h"
#include "ui/Exchange.h"
#include "ui/Interaction.h"
#include "ui/PathBox.h"
#include "ui/QtText.h"
#include "ui/ScreenFit.h"
#include "ui/dialogs/FolderDialog.h"

namespace kr {
namespace {

using namespace batch_id;

QLineEdit* PathBox(QWidget* parent, int id)
{
    return WithId(MakePathBox(parent), id);  // paths only ever come from the choosers
}

// Where the dialog remembers its paths: the settings file "batch" of the
// program, one key a path.
QSettings Remembered()
{
    return QSettings(QCoreApplication::applicationName(), QStringLiteral("batch"));
}

}  // namespace

CBatchDlg::CBatchDlg(QWidget* parent)
    : QDialog(parent), pendingLog_(std::make_shared<PendingLog>()), jobs_(platform::UsableCores())
{
    setWindowTitle(tr("Batch Project Generator"));
    // Its numbers repeat the main window's; searches from there stay out.
    MarkExchangeScope(this);

    auto* browseInput = WithId(new QPushButton(tr("..."), this), kBrowseInput);
    auto* openInput = WithId(new QPushButton(tr("Open Folder"), this), kOpenInput);
    auto* browseOutput = WithId(new QPushButton(tr("..."), this), kBrowseOutput);
    auto* openOutput = WithId(new QPushButton(tr("Open Folder"), this), kOpenOutput);
    buildProjects_ = WithId(new QCheckBox(tr("Build Project(s)"), this), kBuildProjects);
    auto* browseBuilder = WithId(new QPushButton(tr("..."), this), kBrowseBuilder);
    auto* start = WithId(new QPushButton(tr("Start Batch Generation"), this), kStart);
    auto* clear = WithId(new QPushButton(tr("Clear"), this), kClear);
    for (QPushButton* button : {browseInput, browseOutput, browseBuilder})
        button->setMaximumWidth(40);
    // No default button: Enter closes the dialog rather than pressing
    // whichever button has the focus.
    for (QPushButton* button : {browseInput, openInput, browseOutput, openOutput, browseBuilder, start, clear})
        button->setAutoDefault(false);

    log_ = WithId(new QPlainTextEdit(this), kLog);
    log_->setReadOnly(true);
    log_->setUndoRedoEnabled(false);
    log_->setLineWrapMode(QPlainTextEdit::NoWrap);
    log_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    log_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    log_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(tr("Batch Input Folder Path (containing save files):"), this), 0, 0, 1, 3);
    grid->addWidget(inputFolderEdit_ = PathBox(this, kInputFolder), 1, 0);
    grid->addWidget(browseInput, 1, 1);
    grid->addWidget(openInput, 1, 2);
    grid->addWidget(new QLabel(tr("Batch Output Folder Path:"), this), 2, 0, 1, 3);
    grid->addWidget(outputFolderEdit_ = PathBox(this, kOutputFolder), 3, 0);
    grid->addWidget(browseOutput, 3, 1);
    grid->addWidget(openOutput, 3, 2);
    grid->addWidget(buildProjects_, 4, 0, 1, 3);
    grid->addWidget(new QLabel(tr("RapidForge Executable Path:"), this), 5, 0, 1, 3);
    grid->addWidget(builderPathEdit_ = PathBox(this, kBuilderPath), 6, 0);
    grid->addWidget(browseBuilder, 6, 1);
    grid->addWidget(start, 7, 0, 1, 3, Qt::AlignLeft);
    grid->addWidget(log_, 8, 0, 1, 3);
    grid->addWidget(clear, 9, 2);
    grid->setRowStretch(8, 1);
    grid->setColumnStretch(0, 1);
    OpenWithin(*this, {640, 540});

    connect(browseInput, &QPushButton::clicked, this,
            [this] { BrowseFolder(inputFolder_, tr("Select batch input directory.")); });
    connect(browseOutput, &QPushButton::clicked, this,
            [this] { BrowseFolder(outputFolder_, tr("Select batch output directory.")); });
    connect(openInput, &QPushButton::clicked, this, [this] { OpenFolder(inputFolder_); });
    connect(openOutput, &QPushButton::clicked, this, [this] { OpenFolder(outputFolder_); });
    connect(browseBuilder, &QPushButton::clicked, this, &CBatchDlg::OnBrowseBuilder);
    connect(start, &QPushButton::clicked, this, &CBatchDlg::OnStart);
    connect(clear, &QPushButton::clicked, this, &CBatchDlg::OnClear);

    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &CBatchDlg::OnTimer);
    timer_->start(100);

    // The project's own builder is offered when there is one; the user may
    // still choose another.
    const char* searchPath = std::getenv("PATH");
    builderPath_ = ToU16(PathToQString(
        FindDefaultBuilder(QStringToPath(QCoreApplication::applicationDirPath()), searchPath ? searchPath : "")));
    const QSettings remembered = Remembered();
    inputFolder_ = ToU16(remembered.value(QStringLiteral("InputFolder")).toString());
    outputFolder_ = ToU16(remembered.value(QStringLiteral("OutputFolder")).toString());
    if (const QString builder = remembered.value(QStringLiteral("Builder")).toString(); !builder.isEmpty())
        builderPath_ = ToU16(builder);
    Exchange(false);
}

CBatchDlg::~CBatchDlg() = default;

bool CBatchDlg::Exchange(bool commit)
{
    return RunExchange(this, commit ? Direction::Commit : Direction::Show, [this](ExchangeContext& ctx) {
        ExchangeText(ctx, inputFolderEdit_, inputFolder_);
        ExchangeText(ctx, outputFolderEdit_, outputFolder_);
        ExchangeText(ctx, builderPathEdit_, builderPath_);
    });
}

void CBatchDlg::BrowseFolder(std::u16string& field, const QString& title)
{
    if (!Exchange(true))
        return;
    CFolderDialog chooser(this, title, ToQString(field));
    if (chooser.DoModal() != kFolderOk)
        return;
    field = ToU16(WithTrailingSeparator(chooser.SelectedFolder()));
    Exchange(false);
    Remember();
}

void CBatchDlg::OpenFolder(const std::u16string& field)
{
    if (Exchange(true) && !field.empty())
        ShowFolder(this, ToQString(field));
}

void CBatchDlg::OnBrowseBuilder()
{
    // Programs here have no extension of their own, so every file shows first.
    QString path;
    const bool chosen = Interaction().GetOpenFileName(
        this, {QStringLiteral("All Files (*);;Applications (*.exe)"), {}, ToQString(builderPath_), {}}, path);
    if (!Exchange(true) || !chosen)
        return;
    builderPath_ = ToU16(QFileInfo(path).absoluteFilePath());
    Exchange(false);
    Remember();
}

void CBatchDlg::Remember() const
{
    QSettings remembered = Remembered();
    remembered.setValue(QStringLiteral("InputFolder"), ToQString(inputFolder_));
    remembered.setValue(QStringLiteral("OutputFolder"), ToQString(outputFolder_));
    remembered.setValue(QStringLiteral("Builder"), ToQString(builderPath_));
}

void CBatchDlg::OnStart()
{
    const bool build = buildProjects_->isChecked();
    const bool exchanged = Exchange(true);
    auto job = std::make_shared<BatchJob>(pendingLog_);
    // The boxes hold the paths as text; the job takes their bytes.
    job->inputFolder = QStringToPath(ToQString(inputFolder_));
    job->outputFolder = QStringToPath(ToQString(outputFolder_));
    job->builderPath = QStringToPath(ToQString(builderPath_));
    job->buildProjects = build;
    job->jobs = jobs_;
    std::u16string errorText = kMsgInvalidBatchConfiguration;
    if (!exchanged || !CheckBatchPaths(*job, errorText)) {
        Interaction().ShowMessage(this, kApplicationName, ToQString(errorText), MessageIcon::None);
        return;
    }

    // The outcome of every file is in the log; the result adds nothing.
    running_ = true;
    RunWithProgress(job, tr("Batch Project Generation - "), this, waitLimit_);
    running_ = false;
}

void CBatchDlg::OnClear()
{
    // Text still pending is not lost: it shows on the next tick.
    log_->clear();
}

void CBatchDlg::OnTimer()
{
    QString text = ToQString(pendingLog_->Take());
    if (text.isEmpty())
        return;
    // Log lines end with LF; a CR a builder printed inside a line starts a
    // new line here, as the view has no way back to a line's start.
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QTextCursor end(log_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
    log_->setTextCursor(end);
    log_->ensureCursorVisible();
}

void CBatchDlg::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (!running_)
            accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CBatchDlg::reject()
{
    if (!running_)
        QDialog::reject();
}

void CBatchDlg::closeEvent(QCloseEvent* event)
{
    if (running_)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

}  // namespace kr
