// SPDX-License-Identifier: MIT
// The tab host and the page contract: one visible page at a time, the commit
// across pages that stops at the first refusal, the Default button, and keys
// that must not close anything.

#include <QDialog>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "ScriptedInteraction.h"
#include "TestPage.h"
#include "ui/DlgTabCtrl.h"

namespace kr::test {
namespace {

class TabHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog.resize(500, 500);
        auto* layout = new QVBoxLayout(&dialog);
        host = new CDlgTabCtrl(&dialog);
        layout->addWidget(host);
        // Added out of order on purpose: inserting moves later pages up.
        EXPECT_EQ(host->AddPage(0, first, "First"), 0);
        EXPECT_EQ(host->AddPage(1, third, "Third"), 1);
        EXPECT_EQ(host->AddPage(1, second, "Second"), 1);
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    ScriptedInteraction ui;
    // A dialog closes on Enter and Escape unless the page swallows them.
    QDialog dialog;
    CDlgTabCtrl* host = nullptr;
    TestPage* first = new TestPage(false, &dialog);
    TestPage* second = new TestPage(false, &dialog);
    TestPage* third = new TestPage(true, &dialog);
};

TEST_F(TabHostTest, PagesStandInTabOrderWithOnlyTheSelectedOneVisible)
{
    ASSERT_EQ(host->PageCount(), 3);
    EXPECT_EQ(host->Page(0), first);
    EXPECT_EQ(host->Page(1), second);
    EXPECT_EQ(host->Page(2), third);
    EXPECT_EQ(host->tabText(1), "Second");
    EXPECT_EQ(host->currentIndex(), 0);

    // Each page showed its fields and refreshed as it was added.
    EXPECT_EQ(second->Edit(TestPage::kWord)->text(), "10");
    EXPECT_GE(second->refreshCount, 1);

    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(second->isVisible());
    EXPECT_FALSE(third->isVisible());
    EXPECT_FALSE(first->geometry().isEmpty());
    EXPECT_EQ(second->geometry(), first->geometry());
    EXPECT_EQ(third->geometry(), first->geometry());
}

TEST_F(TabHostTest, ClickingATabShowsItsPageAndRefreshesAPageThatAsks)
{
    const int before = third->refreshCount;
    QTabBar* bar = host->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());

    EXPECT_EQ(host->currentIndex(), 2);
    EXPECT_TRUE(third->isVisible());
    EXPECT_FALSE(first->isVisible());
    EXPECT_EQ(third->refreshCount, before + 1);

    const int secondBefore = second->refreshCount;
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
    EXPECT_TRUE(second->isVisible());
    EXPECT_EQ(second->refreshCount, secondBefore);  // it did not ask
}

TEST_F(TabHostTest, CommitStopsAtTheFirstRefusingPageAndBringsItForward)
{
    first->Edit(TestPage::kWord)->setText("20");
    second->Edit(TestPage::kRate)->setText("50");
    third->Edit(TestPage::kWord)->setText("0");
    third->Edit(TestPage::kText)->setText("later");

    EXPECT_FALSE(host->ExchangeAllPages(Direction::Commit));

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Please enter an integer between 9600 and 500000.");
    EXPECT_EQ(host->currentIndex(), 1);
    EXPECT_TRUE(second->isVisible());
    EXPECT_FALSE(first->isVisible());
    EXPECT_EQ(first->data.word, 20);  // before: committed
    EXPECT_EQ(third->data.text, u"abc");  // after: untouched
    QLineEdit* refused = second->Edit(TestPage::kRate);
    EXPECT_EQ(QApplication::focusWidget(), refused);
    EXPECT_EQ(refused->selectedText(), "50");

    // Corrected, everything commits.
    second->Edit(TestPage::kRate)->setText("9600");
    third->Edit(TestPage::kWord)->setText("1");
    EXPECT_TRUE(host->ExchangeAllPages(Direction::Commit));
    EXPECT_EQ(third->data.text, u"later");
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(TabHostTest, DefaultButtonResetsShowsAndRefreshesItsOwnPageOnly)
{
    first->data.word = 999;
    first->data.text = u"changed";
    second->data.word = 999;
    first->ExchangeData(Direction::Show);
    const int refreshes = first->refreshCount;

    auto* button = qobject_cast<QPushButton*>(first->Control(kDefaultButtonId));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Default");
    QTest::mouseClick(button, Qt::LeftButton);

    EXPECT_EQ(first->data, TestFields{});
    EXPECT_EQ(first->Edit(TestPage::kWord)->text(), "10");
    EXPECT_EQ(first->Edit(TestPage::kText)->text(), "abc");
    EXPECT_EQ(first->refreshCount, refreshes + 1);
    EXPECT_EQ(second->data.word, 999);
}

TEST_F(TabHostTest, EnterAndEscapeInAPageCloseNothing)
{
    QLineEdit* edit = first->Edit(TestPage::kWord);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter);
    QTest::keyClick(edit, Qt::Key_Escape);
    QTest::keyClick(first->Control(TestPage::kCheck), Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), 0);
}

}  // namespace
}  // namespace kr::test
