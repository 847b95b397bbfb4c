// SPDX-License-Identifier: MIT
#include "ui/dialogs/ReportLayoutView.h"

#include <algorithm>

#include <QPainter>

#include "ui/QtText.h"

namespace kr {
namespace {

std::int64_t ByteRows(const ReportLayout& layout)
{
    return (layout.bits + 7) / 8;
}

// The label of the part of field that takes bits from to to (exclusive) of
// one byte: its name, and which of its bits these are when it has more.
QString PartLabel(const HidReportField& field, std::int64_t from, std::int64_t to)
{
    QString label = ToQString(field.name);
    if (field.bits > 8 || from != field.bitOffset || to != field.bitOffset + field.bits)
        label += QStringLiteral(" [%1:%2]").arg(to - 1 - field.bitOffset).arg(from - field.bitOffset);
    return label;
}

// Soft fill colours for data fields, taken in turn; padding is grey.
const QColor kFieldColours[] = {QColor(0xDCEBFA), QColor(0xE3F4DC), QColor(0xFBEBD3), QColor(0xEDE1F7)};
const QColor kPaddingColour(0xE6E6E6);

}  // namespace

CReportLayoutView::CReportLayoutView(std::vector<ReportLayout> layouts, QWidget* parent)
    : QWidget(parent), layouts_(std::move(layouts))
{
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

QString CReportLayoutView::MemberLabel(const StructMember& member, std::int64_t byte)
{
    QString label = ToQString(member.name);
    if (member.size > 1)
        label += tr(", byte %1").arg(byte);
    return label;
}

CReportLayoutView::Metrics CReportLayoutView::Measure() const
{
    const QFontMetrics fm(font());
    Metrics m{};
    m.margin = fm.height() / 2 + 4;
    m.line = fm.lineSpacing();
    m.row = fm.height() + 8;
    m.byteColumn = fm.horizontalAdvance(QStringLiteral("Byte 000")) + 8;
    m.gap = fm.horizontalAdvance(QLatin1Char('x')) * 2;
    // A bit column is wide enough for every field's label over the bits it
    // takes in a byte, and the structure's column for its longest line, so
    // that no name is cut.
    m.bitColumn = fm.horizontalAdvance(QStringLiteral("bit 0")) + 8;
    m.memberColumn = fm.horizontalAdvance(tr("Byte"));
    for (const ReportLayout& layout : layouts_) {
        const std::int64_t end = std::min<std::int64_t>(ByteRows(layout), 4096) * 8;
        for (const HidReportField& field : layout.fields) {
            for (std::int64_t first = field.bitOffset / 8 * 8; first < field.bitOffset + field.bits && first < end;
                 first += 8) {
                const std::int64_t from = std::max(field.bitOffset, first);
                const std::int64_t to = std::min(field.bitOffset + field.bits, first + 8);
                const int bits = static_cast<int>(std::max<std::int64_t>(to - from, 1));
                const int wanted = fm.horizontalAdvance(PartLabel(field, from, to)) + 8;
                m.bitColumn = std::max(m.bitColumn, (wanted + bits - 1) / bits);
            }
        }
        m.memberColumn = std::max(m.memberColumn, fm.horizontalAdvance(ToQString(layout.structName)));
        for (const StructMember& member : layout.members)
            m.memberColumn = std::max(m.memberColumn, fm.horizontalAdvance(MemberLabel(member, member.size - 1)));
    }
    m.memberColumn += 8;
    return m;
}

int CReportLayoutView::BlockHeight(const ReportLayout& layout, const Metrics& m) const
{
    return 2 * m.line + m.row + static_cast<int>(std::min<std::int64_t>(ByteRows(layout), 4096)) * m.row + m.line;
}

QSize CReportLayoutView::sizeHint() const
{
    const Metrics m = Measure();
    int height = m.margin;
    for (const ReportLayout& layout : layouts_)
        height += BlockHeight(layout, m);
    return {2 * m.margin + m.byteColumn + 8 * m.bitColumn + m.gap + m.memberColumn, height + m.margin};
}

void CReportLayoutView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const Metrics m = Measure();
    const QFontMetrics fm(font());
    QFont bold = font();
    bold.setBold(true);
    const QColor text = palette().color(QPalette::Text);
    const QColor grid = palette().color(QPalette::Mid);

    const int gridLeft = m.margin + m.byteColumn;
    const int memberLeft = gridLeft + 8 * m.bitColumn + m.gap;
    int y = m.margin;
    for (const ReportLayout& layout : layouts_) {
        if (y > rect().bottom())
            break;
        // Title and sizes.
        painter.setFont(bold);
        painter.setPen(text);
        painter.drawText(QRect(m.margin, y, width() - 2 * m.margin, m.line), Qt::AlignLeft | Qt::AlignVCenter,
                         ToQString(ReportLayoutTitle(layout)));
        y += m.line;
        painter.setFont(font());
        painter.setPen(layout.SizesDiffer() ? QColor(0xB00020) : text);
        painter.drawText(QRect(m.margin, y, width() - 2 * m.margin, m.line), Qt::AlignLeft | Qt::AlignVCenter,
                         ToQString(ReportLayoutSizes(layout)));
        y += m.line;

        // Column titles: the bits, 7 to 0, and the firmware's structure.
        painter.setPen(text);
        painter.drawText(QRect(m.margin, y, m.byteColumn, m.row), Qt::AlignLeft | Qt::AlignVCenter, tr("Byte"));
        for (int bit = 0; bit < 8; ++bit)
            painter.drawText(QRect(gridLeft + (7 - bit) * m.bitColumn, y, m.bitColumn, m.row), Qt::AlignCenter,
                             tr("bit %1").arg(bit));
        painter.drawText(QRect(memberLeft, y, m.memberColumn, m.row), Qt::AlignLeft | Qt::AlignVCenter,
                         layout.structName.empty() ? QString() : ToQString(layout.structName));
        y += m.row;

        const std::int64_t rows = std::min<std::int64_t>(ByteRows(layout), 4096);
        for (std::int64_t byte = 0; byte < rows; ++byte, y += m.row) {
            const std::int64_t first = byte * 8;
            painter.setPen(text);
            painter.drawText(QRect(m.margin, y, m.byteColumn, m.row), Qt::AlignLeft | Qt::AlignVCenter,
                             QString::number(byte));
            // The empty grid, then each field's part of this byte over it.
            painter.setPen(grid);
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(gridLeft, y, 8 * m.bitColumn, m.row);
            for (std::size_t i = 0; i < layout.fields.size(); ++i) {
                const HidReportField& field = layout.fields[i];
                const std::int64_t from = std::max(field.bitOffset, first);
                const std::int64_t to = std::min(field.bitOffset + field.bits, first + 8);  // exclusive
                if (from >= to)
                    continue;
                const int low = static_cast<int>(from - first);
                const int high = static_cast<int>(to - 1 - first);
                const QRect box(gridLeft + (7 - high) * m.bitColumn, y, (high - low + 1) * m.bitColumn, m.row);
                painter.setPen(grid);
                painter.setBrush(field.padding ? kPaddingColour : kFieldColours[i % std::size(kFieldColours)]);
                painter.drawRect(box);
                const QString label = PartLabel(field, from, to);
                painter.setPen(text);
                painter.drawText(box.adjusted(3, 0, -3, 0), Qt::AlignCenter,
                                 fm.elidedText(label, Qt::ElideRight, box.width() - 6));
            }
            // The structure field that fills this byte.
            const auto member = std::find_if(layout.members.begin(), layout.members.end(), [&](const StructMember& mb) {
                return byte >= mb.offset && byte < mb.offset + mb.size;
            });
            if (member != layout.members.end()) {
                painter.setPen(text);
                painter.drawText(QRect(memberLeft, y, m.memberColumn, m.row), Qt::AlignLeft | Qt::AlignVCenter,
                                 MemberLabel(*member, byte - member->offset));
            }
        }
        y += m.line;
    }
}

}  // namespace kr
