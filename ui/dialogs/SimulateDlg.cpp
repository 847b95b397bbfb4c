// SPDX-License-Identifier: MIT
#include "ui/dialogs/SimulateDlg.h"

#include <algorithm>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "simulation/ReportSimulation.h"
#include "ui/ControlId.h"
#include "ui/Interaction.h"
#include "ui/QtText.h"
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

}  // namespace

CSimulateDlg::CSimulateDlg(std::u16string project, QWidget* parent) : QDialog(parent), project_(std::move(project))
{
    setWindowTitle(tr("Simulate"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    mode_ = WithId(new QComboBox, simulate_id::kMode);
    for (const ModeChoice& choice : kModeChoices)
        mode_->addItem(tr(choice.label));
    count_ = WithId(new QSpinBox, simulate_id::kCount);
    count_->setRange(1, 1000);
    count_->setValue(10);
    form->addRow(tr("Input mode:"), mode_);
    form->addRow(tr("Reports:"), count_);
    layout->addLayout(form);

    reports_ = WithId(new QTableWidget, simulate_id::kReports);
    reports_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    reports_->verticalHeader()->hide();
    results_ = new QHBoxLayout;
    results_->addWidget(reports_, 1);
    layout->addLayout(results_, 1);
    assumed_ = WithId(new QLabel, simulate_id::kAssumed);
    assumed_->setWordWrap(true);
    layout->addWidget(assumed_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton* run = WithId(buttons->addButton(tr("&Run"), QDialogButtonBox::ActionRole), simulate_id::kRun);
    run->setDefault(true);
    connect(run, &QPushButton::clicked, this, &CSimulateDlg::OnRun);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(1200, 480);
}

void CSimulateDlg::OnRun()
{
    simulation::SimulationOptions options;
    options.mode = kModeChoices[std::max(0, mode_->currentIndex())].mode;
    options.reports = count_->value();
    simulation::SimulationRun run;
    std::u16string error;
    bool simulated = false;
    {
        WaitCursor wait;
        simulated = simulation::SimulateReports(platform::PathFromText(project_), options, run, error);
    }

    // One column per field, named as the descriptor names it; the fields
    // are the same in every report of one mode.
    QStringList titles{tr("Report"), tr("Instructions"), tr("Bytes")};
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
        reports_->setItem(row, 2, new QTableWidgetItem(bytes));
        for (int i = 0; i < int(report.values.size()) && i + 3 < int(titles.size()); ++i) {
            const HidFieldValue& value = report.values[std::size_t(i)];
            auto* item = new QTableWidgetItem(QString::number(value.value));
            // A value outside its logical range is marked, with the range.
            if (value.outOfRange) {
                item->setText(item->text()
                              + tr(" (outside %1..%2)").arg(value.logicalMinimum).arg(value.logicalMaximum));
                item->setForeground(Qt::red);
            }
            reports_->setItem(row, i + 3, item);
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
        results_->addWidget(layout_, 1);
    }
    QString assumed;
    for (const std::u16string& assumption : run.assumptions)
        assumed += (assumed.isEmpty() ? QString() : QStringLiteral("\n")) + tr("Assumed: ") + ToQString(assumption);
    assumed_->setText(assumed);
    if (!simulated)
        Interaction().ShowMessage(this, tr("Simulate"), ToQString(error), MessageIcon::Warning);
}

}  // namespace kr
