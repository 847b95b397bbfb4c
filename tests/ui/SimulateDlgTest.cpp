// SPDX-License-Identifier: MIT
// Project > "Simulate...": the reports of the project folder's built image in
// a table, one column per field; a folder without a built image is told in
// a message; a test script's expectations are shown passed or failed; the
// mode starts at one the configuration sends, and Enter runs.

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "ScriptedInteraction.h"
#include "firmware/BuildProject.h"
#include "sdcc/SdccSupport.h"
#include "settings/SaveFile.h"
#include "ui/ConfigWizardDlg.h"
#include "ui/ControlId.h"
#include "ui/dialogs/ReportLayoutView.h"
#include "ui/dialogs/SimulateDlg.h"

namespace kr::test {
namespace {

struct Table {
    QStringList titles;
    std::vector<QStringList> rows;
    std::vector<ReportLayout> drawn;
    QStringList expectations;
};

// Opens a form whose project folder is dir, runs Simulate with the mode and
// count given and returns the table it showed.
Table Simulate(ScriptedInteraction& ui, CKR761x_ConfigWizardDlg& window, const TempDir& dir, int mode, int count,
               bool script = false)
{
    ConfigurationSettings settings;
    settings.project.toolchain = 2;
    settings.project.projectPath = dir.folder();
    std::u16string error;
    EXPECT_TRUE(SaveSettings((dir / "form.kcw").u16string(), settings, error));
    window.OpenSaveFile(QString::fromStdString((dir / "form.kcw").string()));
    Table table;
    ui.runModal = [&](QDialog& dialog) {
        qobject_cast<QComboBox*>(FindControl(&dialog, simulate_id::kMode))->setCurrentIndex(mode);
        qobject_cast<QSpinBox*>(FindControl(&dialog, simulate_id::kCount))->setValue(count);
        if (script)
            QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(&dialog, simulate_id::kOpenScript)),
                              Qt::LeftButton);
        QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(&dialog, simulate_id::kRun)), Qt::LeftButton);
        auto* reports = qobject_cast<QTableWidget*>(FindControl(&dialog, simulate_id::kReports));
        for (int c = 0; c < reports->columnCount(); ++c)
            table.titles << reports->horizontalHeaderItem(c)->text();
        for (int r = 0; r < reports->rowCount(); ++r) {
            QStringList row;
            for (int c = 0; c < reports->columnCount(); ++c)
                row << (reports->item(r, c) ? reports->item(r, c)->text() : QString());
            table.rows.push_back(row);
        }
        if (auto* drawing = qobject_cast<CReportLayoutView*>(FindControl(&dialog, simulate_id::kLayout)))
            table.drawn = drawing->Layouts();
        auto* expectations = qobject_cast<QListWidget*>(FindControl(&dialog, simulate_id::kExpectations));
        for (int i = 0; i < expectations->count(); ++i)
            table.expectations << expectations->item(i)->text();
        return int(QDialog::Rejected);
    };
    FindAction(&window, wizard_id::kSimulate)->trigger();
    return table;
}

TEST(SimulateDialog, ShowsTheReportsOfTheBuiltImage)
{
    ScriptedInteraction ui;
    CKR761x_ConfigWizardDlg window;
    TempDir dir;
    GenerateSdccProject({}, dir);
    EXPECT_TRUE(Simulate(ui, window, dir, 0, 2).rows.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_TRUE(ui.messages[0].text.contains("build it first")) << ui.messages[0].text.toStdString();

    std::string main = ReadBytes(dir / "KR761x_Main.c");
    const std::string end = "            //! END user code: mouse report";
    main.insert(main.find(end), "            USB_Position_Buffer[0] = 1; USB_Position_Buffer[1] = 0xF4; "
                                "USB_Position_Buffer[2] = 0x01; KR761x_USB_Mouse_Send_Pending = 1;\r\n");
    WriteBytes(dir / "KR761x_Main.c", main);
    firmware::BuildResult built;
    ASSERT_TRUE(firmware::BuildSdccProject(dir.folder(), built)) << built.toolOutput;
    const Table table = Simulate(ui, window, dir, 0, 2);
    EXPECT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(table.titles, (QStringList{"Report", "Instructions", "Chip time (ms)", "Bytes", "Button 1", "X", "Y"}));
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[1].mid(3), (QStringList{"80 01 F4 01 00 00", "1", "500", "0"}));
    ASSERT_EQ(table.drawn.size(), 1u);
    EXPECT_EQ(table.drawn[0].structName, u"Mouse_Report");

    WriteBytes(dir / "mouse.test", "expect report X=500\nexpect report X=501\n");
    ui.openAnswers.push_back(QString::fromStdString((dir / "mouse.test").string()));
    const Table judged = Simulate(ui, window, dir, 0, 2, true);
    EXPECT_EQ(judged.expectations, (QStringList{"Line 1: expect report X=500: passed",
                                                "Line 2: expect report X=501: failed, expected X=501, got X=500"}));
}

// The mode the dialog starts in, and Enter running rather than closing.
TEST(SimulateDialog, StartsInAModeTheConfigurationSends)
{
    struct Row {
        int touchPoints;
        int pen;
        QString mode;
    };
    const Row rows[] = {
        {0, 0, "Mouse"}, {1, 0, "Single-point touch"}, {5, 1, "Multi-point touch"}, {0, 1, "Single pen"}};
    for (const Row& row : rows) {
        ConfigurationSettings settings;
        settings.touch.numTouchPoints = row.touchPoints;
        settings.pen.bPen = row.pen;
        CSimulateDlg dialog(u"", settings);
        EXPECT_EQ(qobject_cast<QComboBox*>(FindControl(&dialog, simulate_id::kMode))->currentText(), row.mode);
        EXPECT_TRUE(qobject_cast<QPushButton*>(FindControl(&dialog, simulate_id::kRun))->isDefault());
    }
}

}  // namespace
}  // namespace kr::test
