// SPDX-License-Identifier: MIT
// On the suite's 1024 by 600 screen the main window and every dialog fit,
// nothing in them is squeezed below what its layout needs, and Tab brings
// every control of every page into view.

#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "ScriptedInteraction.h"
#include "batch/BatchJob.h"
#include "generator/ReportDescriptor.h"
#include "ui/ConfigWizardDlg.h"
#include "ui/ControlId.h"
#include "ui/DlgTabCtrl.h"
#include "ui/batch/BatchDlg.h"
#include "ui/dialogs/AboutDlg.h"
#include "ui/dialogs/ProgressDlg.h"
#include "ui/dialogs/ReportDescriptorDlg.h"
#include "ui/dialogs/ReportLayoutView.h"
#include "ui/pages/Page.h"

namespace kr::test {
namespace {

// Shows window and checks that it lies on the screen's free area, at no
// less than its layout needs.
void ExpectFits(QWidget& window, const char* name)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window)) << name;
    const QRect room = window.screen()->availableGeometry();
    EXPECT_LE(window.frameGeometry().width(), room.width()) << name;
    EXPECT_LE(window.frameGeometry().height(), room.height()) << name;
    EXPECT_GE(window.width(), window.minimumSizeHint().width()) << name;
    EXPECT_GE(window.height(), window.minimumSizeHint().height()) << name;
}

TEST(SmallScreen, TheSuiteRunsOnIt)
{
    if (QGuiApplication::platformName() != "offscreen")
        GTEST_SKIP() << "not the offscreen platform";
    EXPECT_EQ(QGuiApplication::primaryScreen()->availableSize(), QSize(1024, 600));
}

TEST(SmallScreen, TheMainWindowFitsAndTabBringsEveryControlIntoView)
{
    ScriptedInteraction ui;
    CKR761x_ConfigWizardDlg window;
    ExpectFits(window, "main window");
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    for (int id : {wizard_id::kProjectPath, wizard_id::kBrowse, wizard_id::kOpenFolder, wizard_id::kToolchain,
                   wizard_id::kGenerateButton}) {
        QWidget* control = FindControl(&window, id);
        const QRect where(control->mapTo(&window, QPoint(0, 0)), control->size());
        EXPECT_TRUE(window.rect().contains(where)) << id;
    }

    CDlgTabCtrl* tabs = window.Tabs();
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        CPage* page = tabs->Page(tab);
        auto* scroller = qobject_cast<QScrollArea*>(tabs->currentWidget());
        ASSERT_NE(scroller, nullptr);
        page->DefaultButton()->setFocus();
        QList<QWidget*> reached;
        for (int presses = 0; presses < 80; ++presses) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            if (!page->isAncestorOf(focus) || reached.contains(focus))
                continue;
            reached << focus;
            const QRect where(focus->mapTo(scroller->viewport(), QPoint(0, 0)), focus->size());
            EXPECT_TRUE(scroller->viewport()->rect().contains(where)) << "tab " << tab << ": " << ControlIdOf(focus);
        }
        EXPECT_TRUE(reached.contains(page->DefaultButton())) << tab;
    }
}

TEST(SmallScreen, EveryDialogFits)
{
    ScriptedInteraction ui;
    CAboutDlg about;
    ExpectFits(about, "about");
    CBatchDlg batch;
    ExpectFits(batch, "batch");
    CProgressDlg progress(std::make_shared<BatchJob>(std::make_shared<PendingLog>()), QStringLiteral("Batch"));
    ExpectFits(progress, "progress");

    // Everything on: the most and the longest field names.
    ConfigurationSettings all;
    all.mouse.bMouse = 1;
    all.touch.numTouchPoints = 5;
    all.touch.bPressure = all.touch.bWidth = all.touch.bHeight = all.touch.bConfidence = 1;
    all.pen.bPen = all.pen.bPressure = all.pen.bXTilt = all.pen.bYTilt = all.pen.bInverted = all.pen.bBarrelButton = 1;
    kr::ReportDescriptorView view;
    std::u16string error;
    ASSERT_TRUE(DescribeReportDescriptor(all, view, error));
    CReportDescriptorDlg descriptor(view);
    ExpectFits(descriptor, "report descriptor");
    // The Report Layout tab opens wide enough for the whole drawing: every
    // bit column and the firmware's column.
    auto* drawing = descriptor.findChild<CReportLayoutView*>(QString::number(descriptor_view_id::kLayout));
    auto* pages = descriptor.findChild<QTabWidget*>(QString::number(descriptor_view_id::kPages));
    ASSERT_TRUE(drawing && pages);
    pages->setCurrentIndex(1);
    auto* scroller = qobject_cast<QScrollArea*>(drawing->parentWidget()->parentWidget());
    ASSERT_NE(scroller, nullptr);
    EXPECT_GE(scroller->viewport()->width(), drawing->sizeHint().width());
}

}  // namespace
}  // namespace kr::test
