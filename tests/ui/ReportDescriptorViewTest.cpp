// SPDX-License-Identifier: MIT
// Project > "View Report Descriptor...": the decoded descriptor of what the
// form would generate, with a host's refusal stated at the top.

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "ScriptedInteraction.h"
#include "hid/HostRules.h"
#include "settings/SaveFile.h"
#include "support/TempDir.h"
#include "ui/ConfigWizardDlg.h"
#include "ui/ControlId.h"
#include "ui/DlgTabCtrl.h"
#include "ui/pages/PenDlg.h"
#include "ui/QtText.h"
#include "ui/dialogs/ReportDescriptorDlg.h"
#include "ui/dialogs/ReportLayoutView.h"

namespace kr::test {
namespace {

struct Shown {
    QString listing;
    QString failures;
    bool failuresVisible = false;
    QString hosts;  // the text of the "Hosts" tab
};

class ReportDescriptorView : public ::testing::Test {
protected:
    ScriptedInteraction ui;
    CKR761x_ConfigWizardDlg window;
    TempDir dir;

    // Opens settings in the window, runs the command and returns what the
    // view showed.
    Shown View(const ConfigurationSettings& settings)
    {
        const auto file = dir / "form.kcw";
        std::u16string error;
        EXPECT_TRUE(SaveSettings(file.u16string(), settings, error));
        window.OpenSaveFile(QString::fromStdString(file.string()));

        Shown shown;
        ui.runModal = [&](QDialog& dialog) {
            auto* listing = dialog.findChild<QPlainTextEdit*>(QString::number(descriptor_view_id::kListing));
            auto* failures = dialog.findChild<QLabel*>(QString::number(descriptor_view_id::kFailures));
            EXPECT_NE(listing, nullptr);
            EXPECT_NE(failures, nullptr);
            if (listing && failures) {
                shown.listing = listing->toPlainText();
                shown.failures = failures->text();
                shown.failuresVisible = !failures->isHidden();
            }
            auto* pages = dialog.findChild<QTabWidget*>(QString::number(descriptor_view_id::kPages));
            auto* hosts = dialog.findChild<QPlainTextEdit*>(QString::number(descriptor_view_id::kHosts));
            if (pages && hosts && pages->tabText(pages->indexOf(hosts)) == QStringLiteral("Hosts"))
                shown.hosts = hosts->toPlainText();
            return int(QDialog::Rejected);
        };
        QAction* action = FindAction(&window, wizard_id::kViewReportDescriptor);
        EXPECT_NE(action, nullptr);
        if (action)
            action->trigger();
        return shown;
    }

    QString Expected()
    {
        kr::ReportDescriptorView view;
        std::u16string error;
        EXPECT_TRUE(DescribeReportDescriptor(window.CollectSettings(), view, error));
        return ToQString(view.text);
    }
};

TEST_F(ReportDescriptorView, ShowsTheDescriptorTheFormGenerates)
{
    ConfigurationSettings settings;
    settings.touch.numTouchPoints = 2;
    settings.touch.bPressure = 1;
    const Shown shown = View(settings);
    EXPECT_EQ(ui.dialogsRun.size(), 1u);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(shown.listing.isEmpty());
    EXPECT_EQ(shown.listing, Expected());
    EXPECT_FALSE(shown.failuresVisible);
    // The verdicts kr761x-gen hosts prints: serial touch reports fail on Windows.
    kr::ReportDescriptorView view;
    std::u16string error;
    ASSERT_TRUE(DescribeReportDescriptor(window.CollectSettings(), view, error));
    EXPECT_EQ(shown.hosts, ToQString(HostVerdictText(JudgeHosts(view.decoding))));
    EXPECT_TRUE(shown.hosts.startsWith(QStringLiteral("Windows, touch screen (HID-compliant touch screen): fails\n")))
        << shown.hosts.toStdString();
}

TEST_F(ReportDescriptorView, DrawsEveryReportBesideTheFirmwaresStructures)
{
    ConfigurationSettings settings;
    settings.touch.numTouchPoints = 1;
    settings.pen.bPen = settings.pen.bPressure = settings.pen.bXTilt = 1;
    std::vector<ReportLayout> drawn;
    int height = 0;
    QImage picture;
    ui.runModal = [&](QDialog& dialog) {
        if (auto* drawing = dialog.findChild<CReportLayoutView*>(QString::number(descriptor_view_id::kLayout))) {
            drawn = drawing->Layouts();
            height = drawing->sizeHint().height() / QFontMetrics(drawing->font()).height();
            picture = drawing->grab().toImage();
        }
        return int(QDialog::Rejected);
    };
    const auto file = dir / "form.kcw";
    std::u16string error;
    ASSERT_TRUE(SaveSettings(file.u16string(), settings, error));
    window.OpenSaveFile(QString::fromStdString(file.string()));
    FindAction(&window, wizard_id::kViewReportDescriptor)->trigger();

    kr::ReportDescriptorView view;
    ASSERT_TRUE(DescribeReportDescriptor(window.CollectSettings(), view, error));
    ASSERT_EQ(drawn.size(), view.layouts.size());
    EXPECT_EQ(drawn[2].structName, u"Pen_Report");
    // Taller than a title and a grid row per report, and not a blank page.
    EXPECT_GT(height, 4 * static_cast<int>(view.layouts.size()));
    ASSERT_FALSE(picture.isNull());
    bool paddingDrawn = false;  // the grey of the controls byte's filler bits
    for (int y = 0; y < picture.height() && !paddingDrawn; ++y)
        for (int x = 0; x < picture.width() && !paddingDrawn; ++x)
            paddingDrawn = picture.pixel(x, y) == qRgb(0xE6, 0xE6, 0xE6);
    EXPECT_TRUE(paddingDrawn);
}

TEST_F(ReportDescriptorView, StatesAHostRefusalAtTheTop)
{
    // The pages refuse what would lead here; the view still says it plainly
    // should a descriptor ever break a host's rule.
    ConfigurationSettings settings;
    settings.pen.bPen = settings.pen.bXTilt = 1;
    settings.pen.xTiltMin = 200;
    kr::ReportDescriptorView view;
    std::u16string error;
    ASSERT_TRUE(DescribeReportDescriptor(settings, view, error));
    CReportDescriptorDlg dialog(view);
    auto* failures = dialog.findChild<QLabel*>(QString::number(descriptor_view_id::kFailures));
    ASSERT_NE(failures, nullptr);
    EXPECT_FALSE(failures->isHidden());
    EXPECT_EQ(failures->text(), ToQString(HostRuleFailureText(view.failures)));
}

TEST_F(ReportDescriptorView, ATiltMinimumAboveItsMaximumIsRefusedBeforeTheViewOpens)
{
    ConfigurationSettings settings;
    settings.pen.bPen = settings.pen.bXTilt = 1;
    settings.pen.xTiltMin = 200;
    View(settings);
    EXPECT_TRUE(ui.dialogsRun.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Please enter a minimum no greater than the maximum (100).");
    EXPECT_EQ(window.Tabs()->currentIndex(), 4);
    auto* minimum = qobject_cast<QLineEdit*>(FindControl(window.Tabs()->Page(4), pen_id::kTiltXMin));
    ASSERT_NE(minimum, nullptr);
    EXPECT_EQ(minimum->selectedText(), "200");
}

TEST_F(ReportDescriptorView, AConfigurationThatCannotBeGeneratedShowsTheGenerationError)
{
    // A toolchain outside the list commits as no choice, for which no
    // project can be generated.
    ConfigurationSettings settings;
    settings.project.toolchain = 7;
    View(settings);
    EXPECT_TRUE(ui.dialogsRun.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "File Generation Error");
    EXPECT_TRUE(ui.messages[0].text.startsWith("Error generating:"));
}

}  // namespace
}  // namespace kr::test
