// Project > "View Report Descriptor...": the decoded descriptor of what the
// form would generate, with a host's refusal stated at the top.

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "ScriptedInteraction.h"
#include "settings/SaveFile.h"
#include "support/TempDir.h"
#include "ui/ConfigWizardDlg.h"
#include "ui/ControlId.h"
#include "ui/QtText.h"
#include "ui/dialogs/ReportDescriptorDlg.h"

namespace kr::test {
namespace {

struct Shown {
    QString listing;
    QString failures;
    bool failuresVisible = false;
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
        EXPECT_TRUE(SaveSettings(file.u16string(), error, settings));
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
}

TEST_F(ReportDescriptorView, StatesAHostRefusalAtTheTop)
{
    // The pen page takes each tilt value on its own, so a minimum above its
    // maximum reaches the descriptor.
    ConfigurationSettings settings;
    settings.pen.bPen = 1;
    settings.pen.bXTilt = 1;
    settings.pen.xTiltMin = 200;
    settings.pen.xTiltMax = 100;
    const Shown shown = View(settings);
    EXPECT_EQ(shown.listing, Expected());
    EXPECT_TRUE(shown.failuresVisible);
    EXPECT_FALSE(shown.failures.isEmpty());
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
