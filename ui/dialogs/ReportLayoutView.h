// SPDX-License-Identifier: MIT
#pragma once
// A drawing of every report as a host lays it out: a grid with one row per
// byte and one column per bit (bit 7 on the left), each field a labelled box
// over the bits it takes, and beside each byte the firmware structure field
// that fills it. Above each grid, the report's title and the sizes the host
// reads and the firmware declares (in red when they differ).

#include <vector>

#include <QWidget>

#include "hid/ReportLayout.h"

namespace kr {

class CReportLayoutView : public QWidget {
    Q_OBJECT
public:
    explicit CReportLayoutView(std::vector<ReportLayout> layouts, QWidget* parent = nullptr);

    const std::vector<ReportLayout>& Layouts() const { return layouts_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Metrics {
        int margin, line, row, byteColumn, bitColumn, gap, memberColumn;
    };
    Metrics Measure() const;
    // What the structure's column says beside byte of member.
    static QString MemberLabel(const StructMember& member, std::int64_t byte);
    // The height of one report's block: its two text lines, the column
    // titles and one row per byte.
    int BlockHeight(const ReportLayout& layout, const Metrics& m) const;

    std::vector<ReportLayout> layouts_;
};

}  // namespace kr
