// SPDX-License-Identifier: MIT
// A field whose row gives its control a caption needs no page code: the
// control is made from the row, found by the field's path, shows and commits
// the field and keeps the row's rule.

#include <QCheckBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "ui/pages/RowControls.h"

namespace kr::test {
namespace {

TEST(RowControls, AFieldWithACaptionGetsItsControlFromItsRow)
{
    static const FieldRows table = [] {
        FieldRows rows = FieldTable();
        for (FieldRow& row : rows) {
            if (row.path == u"TouchData/bConfidence")
                row.OnPage(u"Confident");
            if (row.path == u"TouchData/width")
                row.OnPage(u"Widest:");
        }
        return rows;
    }();
    QWidget page;
    auto* layout = new QVBoxLayout(&page);
    CRowControls rows;
    rows.Make<TouchData>(&page, layout, table);
    auto* box = page.findChild<QCheckBox*>("TouchData/bConfidence");
    auto* width = page.findChild<QLineEdit*>("TouchData/width");
    ASSERT_NE(box, nullptr);
    ASSERT_NE(width, nullptr);
    EXPECT_EQ(box->text(), "Confident");
    // A control for each captioned row of the group, and for no other.
    QStringList made;
    QStringList captioned;
    for (const QWidget* control : page.findChildren<QWidget*>())
        if (control->objectName().contains('/'))
            made << control->objectName();
    for (const FieldRow& row : table)
        if (!row.caption.empty() && row.group == u"TouchData")
            captioned << QString::fromStdU16String(row.path);
    made.sort();
    captioned.sort();
    EXPECT_EQ(made, captioned);

    TouchData touch;
    touch.bConfidence = 1;
    touch.width = 77;
    const auto exchange = [&](Direction direction, TouchData& group) {
        return RunExchange(
            &page, direction, [&](ExchangeContext& ctx) { rows.Exchange(ctx, group); }, Feedback::Silent);
    };
    ASSERT_TRUE(exchange(Direction::Show, touch));
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(width->text(), "77");

    // The row's rule refuses 0; what was committed before the refusal stays.
    box->setChecked(false);
    width->setText("0");
    EXPECT_FALSE(exchange(Direction::Commit, touch));
    EXPECT_EQ(touch.bConfidence, 0);
    EXPECT_EQ(touch.width, 77);
    width->setText("65535");
    EXPECT_TRUE(exchange(Direction::Commit, touch));
    EXPECT_EQ(touch.width, 65535);
}

}  // namespace
}  // namespace kr::test
