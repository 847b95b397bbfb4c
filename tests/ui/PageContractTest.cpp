// SPDX-License-Identifier: MIT
// What every page owes the main window: its fields shown at once, "Default"
// putting them back, one message per commit (the first refusal in page
// order), and a save or open stopped by the first page that refuses a value.

#include <fstream>

#include "PageFixture.h"
#include "support/DefaultSaveFile.h"
#include "support/Golden.h"
#include "ui/pages/CommunicationDlg.h"
#include "ui/pages/DeviceDlg.h"
#include "ui/pages/GpioDlg.h"
#include "ui/pages/MouseDlg.h"
#include "ui/pages/PenDlg.h"
#include "ui/pages/ScreenDlg.h"
#include "ui/pages/TouchDlg.h"

namespace kr::test {
namespace {

// Differs from the defaults in every group.
ConfigurationSettings Edited()
{
    ConfigurationSettings s;
    s.device = {.deviceSel = 0,
                .oscillator = 1,
                .defaultInputMode = 1,
                .bEnableRegulator = 0,
                .vid = 0x1234,
                .pid = 0x5678,
                .maxPower = 200,
                .powerMode = 1,
                .bEnableRemoteWakeup = 1,
                .releaseVersion = 0x0200,
                .manufacturer = u"Maker",
                .product = u"Panel"};
    s.communication = {.protocol = 2,
                       .spiClk = 200000,
                       .spiPha = 1,
                       .spiPol = 1,
                       .smbusClk = 20000,
                       .smbusAddress = 0x42,
                       .uartBaudRate = 9600,
                       .uartDataBits = 0,
                       .uartParity = 4,
                       .uartStopBits = 1};
    s.screen = {.width_mm = 1, .width_px = 2, .height_mm = 3, .height_px = 4};
    s.touch = {.numTouchPoints = 5,
               .bConfidence = 1,
               .bPressure = 1,
               .pressure = 7,
               .bWidth = 1,
               .width = 8,
               .bHeight = 1,
               .height = 9};
    s.pen = {.bPen = 1,
             .bPressure = 1,
             .pressure = 7,
             .bXTilt = 1,
             .xTiltMin = 1,
             .xTiltMax = 2,
             .bYTilt = 1,
             .yTiltMin = 3,
             .yTiltMax = 4,
             .bInverted = 1,
             .bBarrelButton = 1};
    s.mouse = {.bMouse = 1, .numButtons = 8};
    s.gpio.modes.fill(2);
    s.gpio.values.fill(0);
    return s;
}

using PageContractTest = PageFixture;

// How a control is named in a failure: its number, else its class.
QString Name(const QWidget* w)
{
    const int id = ControlIdOf(w);
    return id ? QString::number(id) : QString(w->metaObject()->className());
}

// The controls inside parent that Tab can reach, as a reader meets them: the
// widgets of one frame as a whole, rows from top to bottom (widgets whose
// middle lies within the first one's height share its row), left to right
// in a row.
void ReadingOrder(const QWidget* parent, QList<const QWidget*>& out)
{
    QList<const QWidget*> children;
    for (const QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisibleTo(parent) && !child->isWindow())
            children << child;
    std::sort(children.begin(), children.end(), [](const QWidget* a, const QWidget* b) {
        return a->geometry().center().y() < b->geometry().center().y();
    });
    for (qsizetype row = 0; row < children.size();) {
        qsizetype end = row + 1;
        while (end < children.size() && children[end]->geometry().center().y() <= children[row]->geometry().bottom())
            ++end;
        std::sort(children.begin() + row, children.begin() + end,
                  [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
        row = end;
    }
    for (const QWidget* child : children) {
        if (child->focusPolicy() & Qt::TabFocus)
            out << child;
        ReadingOrder(child, out);
    }
}

TEST_F(PageContractTest, TabFollowsTheOrderAReaderSeesTheControls)
{
    for (int tab = 0; tab < 7; ++tab) {
        CPage* page = Page(tab);
        Show(page);
        QApplication::processEvents();  // laid out as the reader sees it
        QList<const QWidget*> expected;
        ReadingOrder(page, expected);
        QStringList read;
        for (const QWidget* w : expected)
            read << Name(w);

        QStringList chain;
        for (const QWidget* w = page->nextInFocusChain(); w != page; w = w->nextInFocusChain())
            if (expected.contains(w))
                chain << Name(w);
        EXPECT_EQ(chain.join(' ').toStdString(), read.join(' ').toStdString()) << "page " << tab;
        EXPECT_GE(read.size(), 2) << "page " << tab;
    }
}

TEST_F(PageContractTest, PagesFirstShowTheDefaultsAndDefaultBringsThemBack)
{
    // At start-up every page shows the default save file: each numbered
    // control's text, state, enabled and shown, against the reviewed listing
    // beside the file (the update-golden build target rewrites it; review
    // its diff).
    const auto pagesOf = [this] {
        std::string listing;
        for (int tab = 0; tab < 7; ++tab)
            for (const QString& line : Snapshot(Page(tab)))
                listing += QString("%1 %2\n").arg(tab).arg(line).toStdString();
        return listing;
    };
    const std::string first = pagesOf();
    const auto golden = DefaultSaveFile().replace_extension(".pages");
    EXPECT_EQ(first, Golden(golden, first));
    EXPECT_FALSE(Enabled(Page(0), device_id::kDevice));
    std::filesystem::copy_file(DefaultSaveFile(), dir / "default.kcw");  // bound, never written
    window->OpenSaveFile(QString::fromStdString((dir / "default.kcw").string()));
    EXPECT_EQ(pagesOf(), first);

    // The Device page keeps the chip of the file: its list cannot change it.
    ConfigurationSettings defaults;
    defaults.device.deviceSel = 0;
    Load(defaults);
    QList<QStringList> initial;
    for (int tab = 0; tab < 7; ++tab)
        initial << Snapshot(Page(tab));
    Load(Edited());
    EXPECT_EQ(window->CollectSettings(), Edited());
    for (int tab = 0; tab < 7; ++tab) {
        EXPECT_NE(Snapshot(Page(tab)), initial[tab]) << tab;
        Click(Page(tab), kDefaultButtonId);
        EXPECT_EQ(Snapshot(Page(tab)), initial[tab]) << tab;
    }
    EXPECT_EQ(window->CollectSettings(), defaults);
    EXPECT_EQ(SaveAndReload().device.deviceSel, 0);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PageContractTest, ACommitShowsTheFirstRefusalInPageOrderOnly)
{
    struct Fault {
        int tab;
        int id;
        QString bad, message, good;
    };
    // Per page, two bad values: the one the page exchanges first, then a
    // later one.
    const std::pair<Fault, Fault> faults[] = {
        {{0, device_id::kVendorId, "G", "Please enter a hexadecimal value.", "ABCD"},
         {0, device_id::kMaxPower, "501", "Please enter an even integer between 0 and 500.", "500"}},
        {{1, communication_id::kSpiClock, "50", "Please enter an integer between 100000 and 4000000.", "4000000"},
         {1, communication_id::kAddress, "0F", "Please enter an even integer between 0x00 and 0xFE.", "10"}},
        {{2, screen_id::kWidthMm, "0", "Please enter an integer between 1 and 65535.", "65535"},
         {2, screen_id::kHeightPx, "65536", "Value overflow", "1"}},
        {{3, touch_id::kPressureMax, "+1", "Please enter a positive integer.", "1"},
         {3, touch_id::kHeightMax, "0", "Please enter an integer between 1 and 65535.", "2"}},
        {{4, pen_id::kPressureMax, "0", "Please enter an integer between 1 and 65535.", "3"},
         {4, pen_id::kTiltYMin, "4294967295", "Value overflow", "100"}},  // a minimum may equal its maximum
    };
    for (const auto& [earlier, later] : faults) {
        CPage* page = Page(earlier.tab);
        Edit(page, later.id)->setText(later.bad);
        Edit(page, earlier.id)->setText(earlier.bad);
        EXPECT_FALSE(page->ExchangeData(Direction::Commit));
        EXPECT_EQ(TakeMessage(), earlier.message);
        EXPECT_EQ(Edit(page, earlier.id)->selectedText(), earlier.bad);

        Edit(page, earlier.id)->setText(earlier.good);
        EXPECT_FALSE(page->ExchangeData(Direction::Commit));
        EXPECT_EQ(TakeMessage(), later.message);
        Edit(page, later.id)->setText(later.good);
        EXPECT_TRUE(page->ExchangeData(Direction::Commit)) << earlier.tab;
        EXPECT_EQ(Shows(page, earlier.id), earlier.good);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PageContractTest, ATiltMinimumAboveItsMaximumIsRefusedAtTheMinimumOfAReportedTilt)
{
    using namespace pen_id;
    struct Row {
        int min, max;
        QString minText, maxText, message;  // message empty: accepted
        int off = 0;  // a check box switched off first
    };
    const Row rows[] = {
        {kTiltXMin, kTiltXMax, "101", "100", "Please enter a minimum no greater than the maximum (100)."},
        {kTiltXMin, kTiltXMax, "100", "100", ""},
        {kTiltYMin, kTiltYMax, "65535", "1", "Please enter a minimum no greater than the maximum (1)."},
        {kTiltYMin, kTiltYMax, "1", "65535", ""},
        // The maximum's own range is checked first.
        {kTiltXMin, kTiltXMax, "5", "0", "Please enter an integer between 1 and 65535."},
        // A tilt or pen switched off reports no range: only the ranges count.
        {kTiltYMin, kTiltYMax, "65535", "1", "", kTiltY},
        {kTiltXMin, kTiltXMax, "101", "100", "", kPen},
        {kTiltXMin, kTiltXMax, "0", "100", "Please enter an integer between 1 and 65535.", kPen},
    };
    ConfigurationSettings s;
    s.pen.bPen = s.pen.bXTilt = s.pen.bYTilt = 1;
    Load(s);
    CPage* page = Page(4);
    Show(page);
    for (const Row& row : rows) {
        if (row.off)
            Click(page, row.off);
        Edit(page, row.min)->setText(row.minText);
        Edit(page, row.max)->setText(row.maxText);
        EXPECT_EQ(page->ExchangeData(Direction::Commit), row.message.isEmpty())
            << row.minText.toStdString() << " " << row.off;
        if (!row.message.isEmpty()) {
            EXPECT_EQ(TakeMessage(), row.message);
            if (row.maxText != "0" && !row.off) {  // the minimum is the box to change
                EXPECT_EQ(Edit(page, row.min)->selectedText(), row.minText);
            }
        }
        Edit(page, row.min)->setText("1");
        Edit(page, row.max)->setText("1");
        if (row.off)
            Click(page, row.off);
        EXPECT_TRUE(page->ExchangeData(Direction::Commit));
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PageContractTest, AManufacturerTooLongFromAFileIsShownWholeAndStopsTheSave)
{
    ConfigurationSettings s;
    s.device.manufacturer = std::u16string(62, u'M');
    Load(s);
    QLineEdit* manufacturer = Edit(Page(0), device_id::kManufacturer);
    EXPECT_EQ(manufacturer->text(), QString(62, 'M'));

    Show(Page(6));
    Trigger(wizard_id::kFileSaveAs);  // refused before the file dialog opens
    EXPECT_EQ(TakeMessage(), "Please enter no more than 61 characters.");
    EXPECT_EQ(window->Tabs()->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), manufacturer);
    EXPECT_TRUE(ui.saveRequests.empty());

    manufacturer->end(false);
    manufacturer->backspace();
    EXPECT_EQ(SaveAndReload().device.manufacturer, std::u16string(61, u'M'));
}

TEST_F(PageContractTest, SaveStopsAtTheFirstRefusingPageWithItInFront)
{
    Edit(Page(2), screen_id::kWidthMm)->setText("0");
    Edit(Page(1), communication_id::kSpiClock)->setText("50");
    Show(Page(6));

    Trigger(wizard_id::kFileSave);  // no file yet: Save As, refused first
    EXPECT_EQ(TakeMessage(), "Please enter an integer between 100000 and 4000000.");
    EXPECT_EQ(window->Tabs()->currentIndex(), 1);
    EXPECT_TRUE(Page(1)->isVisible());
    QLineEdit* refused = Edit(Page(1), communication_id::kSpiClock);
    EXPECT_EQ(QApplication::focusWidget(), refused);
    EXPECT_EQ(refused->selectedText(), "50");
    EXPECT_EQ(window->ScreenPage()->data.width_mm, 102);  // later pages are not committed
    EXPECT_TRUE(ui.saveRequests.empty());
}

TEST_F(PageContractTest, OpenAsksFirstAndShowsARefusalOnlyWhenTheUserSaves)
{
    Load({});
    const std::string stored = test::ReadBytes(dir / "loaded.kcw");
    ConfigurationSettings other;
    other.screen.width_mm = 7;
    std::u16string error;
    ASSERT_TRUE(SaveSettings((dir / "other.kcw").u16string(), other, error));
    Edit(Page(2), screen_id::kWidthMm)->setText("0");
    Show(Page(0));

    struct Row {
        SaveChoice answer;
        QString message;  // the refusal, shown only for Save
        bool opens;
    };
    const Row rows[] = {
        {SaveChoice::Cancel, "", false},
        {SaveChoice::Save, "Please enter an integer between 1 and 65535.", false},
        {SaveChoice::Discard, "", true},
    };
    for (const Row& row : rows) {
        ui.saveChangesAnswers = {row.answer};
        ui.openAnswers = {QString::fromStdString((dir / "other.kcw").string())};
        Trigger(wizard_id::kFileOpen);
        EXPECT_EQ(ui.saveChangesQuestions.size(), 1u);
        ui.saveChangesQuestions.clear();
        if (!row.message.isEmpty()) {
            EXPECT_EQ(TakeMessage(), row.message);
            EXPECT_EQ(window->Tabs()->currentIndex(), 2);
        }
        EXPECT_EQ(ui.openRequests.size(), row.opens ? 1u : 0u);
        EXPECT_EQ(ui.openAnswers.empty(), row.opens);
    }
    EXPECT_EQ(test::ReadBytes(dir / "loaded.kcw"), stored);
    EXPECT_EQ(Shows(Page(2), screen_id::kWidthMm), "7");
    EXPECT_TRUE(window->CurrentFile().endsWith("other.kcw"));
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace kr::test
