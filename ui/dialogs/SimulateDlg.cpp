// SPDX-License-Identifier: MIT
#include "ui/dialogs/SimulateDlg.h"

#include <algorithm>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/SmallFile.h"
#include "simulation/ReportSimulation.h"
#include "simulation/TestScript.h"
#include "ui/ControlId.h"
#include "ui/Interaction.h"
#include "ui/QtText.h"
#include "ui/ScreenFit.h"
#include "ui/WaitCursor.h"
#include "ui/dialogs/ReportLayoutView.h"

namespace kr {
namespace {

using simulation::InputMode;

struct ModeChoice {
    const char* label;
    InputMode mode;
};

constexpr ModeChoice kModeChoices[] = {
    {"Mouse", InputMode::Mouse},
    {"Single-point touch", InputMode::Touch},
    {"Multi-point touch", InputMode::MultiTouch},
    {"Single pen", InputMode::Pen},
    {"Multi-pen", InputMode::MultiPen},
};

// The mode a configuration sends first: multi-point touch with more than
// one touch point, single-point touch with one, the pen when it is on, the
// mouse otherwise.
InputMode FirstMode(const ConfigurationSettings& settings)
{
    if (settings.touch.numTouchPoints > 1)
        return InputMode::MultiTouch;
    if (settings.touch.numTouchPoints == 1)
        return InputMode::Touch;
    if (settings.pen.bPen)
        return InputMode::Pen;
    return InputMode::Mouse;
}

int ChoiceOf(InputMode mode)
{
    for (int i = 0; i < int(std::size(kModeChoices)); ++i)
        if (kModeChoices[i].mode == mode)
            return i;
    return 0;
}

}  // namespace

CSimulateDlg::~CSimulateDlg() = default;

CSimulateDlg::CSimulateDlg(std::u16string project, const ConfigurationSettings& settings, QWidget* parent)
    : QDialog(parent), project_(std::move(project))
{
    setWindowTitle(tr("Simulate"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    mode_ = WithId(new QComboBox, simulate_id::kMode);
    for (const ModeChoice& choice : kModeChoices)
        mode_->addItem(tr(choice.label));
    mode_->setCurrentIndex(ChoiceOf(FirstMode(settings)));
    count_ = WithId(new QSpinBox, simulate_id::kCount);
    count_->setRange(1, 1000);
    count_->setValue(10);
    form->addRow(tr("Input mode:"), mode_);
    form->addRow(tr("Reports:"), count_);
    auto* scriptRow = new QHBoxLayout;
    scriptName_ = WithId(new QLabel(tr("(none)")), simulate_id::kScriptName);
    auto* open = WithId(new QPushButton(tr("&Open Script...")), simulate_id::kOpenScript);
    open->setAutoDefault(false);
    connect(open, &QPushButton::clicked, this, &CSimulateDlg::OnOpenScript);
    scriptRow->addWidget(scriptName_, 1);
    scriptRow->addWidget(open);
    form->addRow(tr("Test script:"), scriptRow);
    layout->addLayout(form);

    // The table, the drawing and the expectations share the room as the
    // user drags their borders.
    reports_ = WithId(new QTableWidget, simulate_id::kReports);
    reports_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    reports_->verticalHeader()->hide();
    results_ = new QSplitter(Qt::Horizontal);
    results_->addWidget(reports_);
    results_->setStretchFactor(0, 1);
    expectations_ = WithId(new QListWidget, simulate_id::kExpectations);
    expectations_->hide();
    auto* vertical = new QSplitter(Qt::Vertical);
    vertical->addWidget(results_);
    vertical->addWidget(expectations_);
    vertical->setStretchFactor(0, 3);
    layout->addWidget(vertical, 1);
    assumed_ = WithId(new QLabel, simulate_id::kAssumed);
    assumed_->setWordWrap(true);
    assumed_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(assumed_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton* run = WithId(buttons->addButton(tr("&Run"), QDialogButtonBox::ActionRole), simulate_id::kRun);
    // Enter runs; only Close (or Escape) closes.
    buttons->button(QDialogButtonBox::Close)->setAutoDefault(false);
    run->setAutoDefault(true);
    run->setDefault(true);
    connect(run, &QPushButton::clicked, this, &CSimulateDlg::OnRun);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    OpenWithin(*this, {1200, 480});
}

void CSimulateDlg::OnOpenScript()
{
    FileDialogRequest request;
    request.filter = tr("Test scripts (*.test *.txt);;All Files (*)");
    QString path;
    if (!Interaction().GetOpenFileName(this, request, path))
        return;
    const std::optional<std::string> text = platform::ReadSmallRegularFile(path.toStdString(), 1024 * 1024);
    auto script = std::make_unique<simulation::TestScript>();
    std::string error;
    if (!text || !simulation::ParseTestScript(*text, *script, error)) {
        Interaction().ShowMessage(this, tr("Simulate"),
                                  text ? path + QStringLiteral(": ") + QString::fromStdString(error)
                                       : tr("The script %1 cannot be read.").arg(path),
                                  MessageIcon::Warning);
        return;
    }
    if (script->mode)
        mode_->setCurrentIndex(ChoiceOf(*script->mode));
    script_ = std::move(script);
    scriptPath_ = path;
    scriptName_->setText(path);
}

void CSimulateDlg::OnRun()
{
    simulation::SimulationOptions options;
    options.mode = kModeChoices[std::max(0, mode_->currentIndex())].mode;
    options.reports = count_->value();
    options.script = script_.get();
    simulation::SimulationRun run;
    std::u16string error;
    bool simulated = false;
    {
        WaitCursor wait;
        simulated = simulation::SimulateReports(platform::PathFromText(project_), options, run, error);
    }

    // One column per field, named as the descriptor names it; the fields
    // are the same in every report of one mode.
    QStringList titles{tr("Report"), tr("Instructions"), tr("Chip time (ms)"), tr("Bytes")};
    if (!run.reports.empty())
        for (const HidFieldValue& value : run.reports.front().values)
            titles << ToQString(value.name);
    reports_->clear();
    reports_->setColumnCount(int(titles.size()));
    reports_->setHorizontalHeaderLabels(titles);
    reports_->setRowCount(int(run.reports.size()));
    for (int row = 0; row < int(run.reports.size()); ++row) {
        const simulation::SimulatedReport& report = run.reports[std::size_t(row)];
        QString bytes = QStringLiteral("%1").arg(report.reportId & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
        for (std::uint8_t b : report.bytes)
            bytes += QStringLiteral(" %1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
        reports_->setItem(row, 0, new QTableWidgetItem(QString::number(report.index)));
        reports_->setItem(row, 1, new QTableWidgetItem(QString::number(report.instructions)));
        reports_->setItem(row, 2, new QTableWidgetItem(QString::number(report.chipMs, 'f', 3)));
        reports_->setItem(row, 3, new QTableWidgetItem(bytes));
        for (int i = 0; i < int(report.values.size()) && i + 4 < int(titles.size()); ++i) {
            const HidFieldValue& value = report.values[std::size_t(i)];
            auto* item = new QTableWidgetItem(QString::number(value.value));
            // A value outside its logical range is marked, with the range.
            if (value.outOfRange) {
                item->setText(item->text()
                              + tr(" (outside %1..%2)").arg(value.logicalMinimum).arg(value.logicalMaximum));
                item->setForeground(Qt::red);
            }
            reports_->setItem(row, i + 4, item);
        }
    }
    reports_->resizeColumnsToContents();
    // The report's layout beside the values, drawn anew for each run.
    delete layout_;
    layout_ = nullptr;
    if (!run.layout.empty()) {
        auto* scroll = new QScrollArea;
        scroll->setWidget(WithId(new CReportLayoutView(run.layout), simulate_id::kLayout));
        layout_ = scroll;
        results_->addWidget(layout_);
    }
    QString assumed;
    for (const std::u16string& assumption : run.assumptions)
        assumed += (assumed.isEmpty() ? QString() : QStringLiteral("\n")) + tr("Assumed: ") + ToQString(assumption);
    for (const std::u16string& said : run.diagnostics)
        assumed += QStringLiteral("\n") + ToQString(said);
    if (!run.stack.empty())
        assumed += QStringLiteral("\n") + ToQString(run.stack);
    assumed_->setText(assumed);
    // Each expectation of the script, passed or failed.
    expectations_->clear();
    expectations_->setVisible(script_ && !script_->expectations.empty());
    if (script_)
        for (const simulation::ExpectationResult& result : simulation::JudgeScript(*script_, run)) {
            auto* item = new QListWidgetItem(
                tr("Line %1: expect %2: %3")
                    .arg(result.line)
                    .arg(QString::fromStdString(result.text))
                    .arg(result.holds ? tr("passed") : tr("failed, ") + QString::fromStdString(result.failure)));
            item->setForeground(result.holds ? palette().color(QPalette::Text) : QColor(Qt::red));
            expectations_->addItem(item);
        }
    if (!simulated)
        Interaction().ShowMessage(this, tr("Simulate"), ToQString(error), MessageIcon::Warning);
}

}  // namespace kr
