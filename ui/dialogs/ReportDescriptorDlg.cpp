// SPDX-License-Identifier: MIT
#include "ui/dialogs/ReportDescriptorDlg.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "hid/HostRules.h"
#include "ui/QtText.h"
#include "ui/ScreenFit.h"
#include "ui/dialogs/ReportLayoutView.h"

namespace kr {
namespace {

// Both tabs ask for the room that shows their content whole: the listing 90
// columns by 30 lines, the drawing its full width (every bit column and the
// firmware's column). The dialog opens at that size where the screen has
// it; below, the tabs scroll down to a few lines.
class Listing : public QPlainTextEdit {
public:
    explicit Listing(QWidget* parent) : QPlainTextEdit(parent) {}
    QSize sizeHint() const override
    {
        const QFontMetrics metrics(font());
        return {metrics.horizontalAdvance(QLatin1Char('x')) * 90, metrics.lineSpacing() * 30};
    }
};

class DrawingScroller : public QScrollArea {
public:
    explicit DrawingScroller(QWidget* parent) : QScrollArea(parent) {}
    QSize sizeHint() const override
    {
        const int frame = 2 * frameWidth();
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        const QSize drawing = widget() ? widget()->sizeHint() : QSize();
        return {drawing.width() + frame + bar, std::min(drawing.height(), fontMetrics().lineSpacing() * 30) + frame};
    }
};

}  // namespace

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
    auto* listing = new Listing(pages);
    listing->setObjectName(QString::number(descriptor_view_id::kListing));
    listing->setReadOnly(true);
    listing->setLineWrapMode(QPlainTextEdit::NoWrap);
    listing->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    listing->setPlainText(ToQString(view.text));
    const QFontMetrics metrics(listing->font());
    listing->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('x')) * 30, metrics.lineSpacing() * 5);
    pages->addTab(listing, tr("Items"));

    auto* scroll = new DrawingScroller(pages);
    auto* drawing = new CReportLayoutView(view.layouts, scroll);
    drawing->setObjectName(QString::number(descriptor_view_id::kLayout));
    scroll->setWidget(drawing);
    pages->addTab(scroll, tr("Report Layout"));

    // The verdicts kr761x-gen hosts prints, rule sentences wrapped.
    auto* hosts = new QPlainTextEdit(pages);
    hosts->setObjectName(QString::number(descriptor_view_id::kHosts));
    hosts->setReadOnly(true);
    const std::vector<HostVerdict> verdicts = JudgeHosts(view.decoding);
    hosts->setPlainText(verdicts.empty() ? tr("The descriptor has no mouse, touch screen or pen collection.")
                                         : ToQString(HostVerdictText(verdicts)));
    pages->addTab(hosts, tr("Hosts"));
    layout->addWidget(pages);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    OpenWithin(*this, sizeHint());
}

}  // namespace kr
