// SPDX-License-Identifier: MIT
#include "ui/dialogs/ReportDescriptorDlg.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/QtText.h"
#include "ui/dialogs/ReportLayoutView.h"

namespace kr {

CReportDescriptorDlg::CReportDescriptorDlg(const ReportDescriptorView& view, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("HID Report Descriptor"));
    auto* layout = new QVBoxLayout(this);

    // Shown only when a host would refuse the descriptor, above everything else.
    auto* failures = new QLabel(ToQString(HostRuleFailureText(view.failures)), this);
    failures->setObjectName(QString::number(descriptor_view_id::kFailures));
    failures->setWordWrap(true);
    failures->setTextInteractionFlags(Qt::TextSelectableByMouse);
    failures->setStyleSheet(QStringLiteral("QLabel { color: #b00020; font-weight: bold; }"));
    failures->setVisible(!view.failures.empty());
    layout->addWidget(failures);

    auto* pages = new QTabWidget(this);
    pages->setObjectName(QString::number(descriptor_view_id::kPages));

    // The listing is in columns, so it needs a fixed-width font.
    auto* listing = new QPlainTextEdit(pages);
    listing->setObjectName(QString::number(descriptor_view_id::kListing));
    listing->setReadOnly(true);
    listing->setLineWrapMode(QPlainTextEdit::NoWrap);
    listing->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    listing->setPlainText(ToQString(view.text));
    const QFontMetrics metrics(listing->font());
    listing->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('x')) * 90, metrics.lineSpacing() * 30);
    pages->addTab(listing, tr("Items"));

    auto* scroll = new QScrollArea(pages);
    auto* drawing = new CReportLayoutView(view.layouts, scroll);
    drawing->setObjectName(QString::number(descriptor_view_id::kLayout));
    scroll->setWidget(drawing);
    pages->addTab(scroll, tr("Report Layout"));
    layout->addWidget(pages);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

}  // namespace kr
