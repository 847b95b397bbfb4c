// SPDX-License-Identifier: MIT
// The exchange primitives on real widgets: what a page shows, what a commit
// stores, the message a refused value gives, and where the focus goes.

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "ScriptedInteraction.h"
#include "TestPage.h"
#include "ui/InputLimit.h"

namespace kr::test {
namespace {

class ExchangeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        page.Initialize();
        page.show();
        page.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    }

    // Replaces the text of a box as the user would: select all, type.
    void Type(int id, const QString& text)
    {
        QLineEdit* edit = page.Edit(id);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    // Clicks a check box or radio button on its indicator.
    void Click(int id)
    {
        QWidget* button = page.Control(id);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }

    // Commits with one box holding text; returns the one message shown.
    QString RefusalFor(int id, const QString& text)
    {
        page.ResetToDefaults();
        page.Edit(id)->setText(text);
        const std::size_t before = ui.messages.size();
        EXPECT_FALSE(page.ExchangeData(Direction::Commit)) << text.toStdString();
        EXPECT_EQ(ui.messages.size(), before + 1);
        return ui.messages.empty() ? QString() : ui.messages.back().text;
    }

    ScriptedInteraction ui;
    TestPage page;
};

TEST_F(ExchangeTest, DisplayShowsEachFieldInItsFormat)
{
    EXPECT_EQ(page.Edit(TestPage::kText)->text(), "abc");
    EXPECT_EQ(page.Edit(TestPage::kWord)->text(), "10");
    EXPECT_EQ(page.Edit(TestPage::kAddress)->text(), "0A");
    EXPECT_EQ(page.Edit(TestPage::kRate)->text(), "115200");
    EXPECT_EQ(page.Edit(TestPage::kId)->text(), "00C4");
    EXPECT_EQ(qobject_cast<QComboBox*>(page.Control(TestPage::kList))->currentIndex(), 2);
    EXPECT_TRUE(qobject_cast<QCheckBox*>(page.Control(TestPage::kCheck))->isChecked());
    EXPECT_TRUE(qobject_cast<QRadioButton*>(page.Control(TestPage::kRadio0))->isChecked());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ExchangeTest, CommitStoresWhatTheUserTypedAndClicked)
{
    Type(TestPage::kWord, "007");
    Type(TestPage::kAddress, "fe");
    Type(TestPage::kId, "beef");
    Type(TestPage::kRate, "9600");
    Type(TestPage::kText, "board");
    Click(TestPage::kRadio2);
    Click(TestPage::kCheck);
    qobject_cast<QComboBox*>(page.Control(TestPage::kList))->setCurrentIndex(4);

    ASSERT_TRUE(page.ExchangeData(Direction::Commit));
    EXPECT_EQ(page.data.word, 7);
    EXPECT_EQ(page.data.address, 0xFE);
    EXPECT_EQ(page.data.id, 0xBEEF);
    EXPECT_EQ(page.data.rate, 9600u);
    EXPECT_EQ(page.data.text, u"board");
    EXPECT_EQ(page.data.radio, 2);
    EXPECT_EQ(page.data.check, 0);
    EXPECT_EQ(page.data.list, 4);
    EXPECT_TRUE(ui.messages.empty());

    page.ExchangeData(Direction::Show);  // shown back in the canonical form
    EXPECT_EQ(page.Edit(TestPage::kWord)->text(), "7");
    EXPECT_EQ(page.Edit(TestPage::kAddress)->text(), "FE");
    EXPECT_EQ(page.Edit(TestPage::kId)->text(), "BEEF");
}

TEST_F(ExchangeTest, EachRefusalGivesItsOwnMessage)
{
    EXPECT_EQ(RefusalFor(TestPage::kWord, "-1"), "Please enter a positive integer.");
    EXPECT_EQ(RefusalFor(TestPage::kWord, " 5"), "Please enter a positive integer.");
    EXPECT_EQ(RefusalFor(TestPage::kWord, "65536"), "Value overflow");
    EXPECT_EQ(RefusalFor(TestPage::kWord, ""), "Please enter an integer between 1 and 65535.");
    EXPECT_EQ(RefusalFor(TestPage::kPower, "499"), "Please enter an even integer between 0 and 500.");
    EXPECT_EQ(RefusalFor(TestPage::kPower, "502"), "Please enter an even integer between 0 and 500.");
    EXPECT_EQ(RefusalFor(TestPage::kAddress, "0x"), "Please enter a hexadecimal value.");
    EXPECT_EQ(RefusalFor(TestPage::kAddress, "FF"), "Please enter an even integer between 0x00 and 0xFE.");
    EXPECT_EQ(RefusalFor(TestPage::kRate, "4294967295"), "Value overflow");
    EXPECT_EQ(RefusalFor(TestPage::kRate, "4294967294"), "Please enter an integer between 9600 and 500000.");
    EXPECT_EQ(RefusalFor(TestPage::kRate, "500001"), "Please enter an integer between 9600 and 500000.");
    EXPECT_EQ(RefusalFor(TestPage::kId, "G"), "Please enter a hexadecimal value.");
    EXPECT_EQ(RefusalFor(TestPage::kText, "123456789"), "Please enter no more than 8 characters.");

    for (const ShownMessage& m : ui.messages) {
        EXPECT_EQ(m.title, kApplicationName);
        EXPECT_EQ(m.icon, MessageIcon::Warning);
    }
}

TEST_F(ExchangeTest, ARefusalStopsTheCommitAndSelectsTheRefusedBox)
{
    Type(TestPage::kText, "new");
    Type(TestPage::kWord, "0");
    Type(TestPage::kPower, "200");
    page.Control(TestPage::kRadio0)->setFocus();  // the focus is elsewhere when committing

    EXPECT_FALSE(page.ExchangeData(Direction::Commit));

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Please enter an integer between 1 and 65535.");
    EXPECT_EQ(page.data.text, u"new");  // exchanged before the refused box
    EXPECT_EQ(page.data.word, 10);  // refused: keeps its value
    EXPECT_EQ(page.data.power, 100);  // after it: not read
    QLineEdit* refused = page.Edit(TestPage::kWord);
    EXPECT_EQ(QApplication::focusWidget(), refused);
    EXPECT_EQ(refused->text(), "0");
    EXPECT_EQ(refused->selectedText(), "0");
}

TEST_F(ExchangeTest, LimitsStopTypingButNotALongerLoadedText)
{
    QLineEdit* id = page.Edit(TestPage::kId);
    Type(TestPage::kId, "12345");
    EXPECT_EQ(id->text(), "1234");
    Type(TestPage::kAddress, "ABC");
    EXPECT_EQ(page.Edit(TestPage::kAddress)->text(), "AB");

    // A text longer than the limit, as a file may bring it.
    page.data.text = u"0123456789";
    page.ExchangeData(Direction::Show);
    QLineEdit* text = page.Edit(TestPage::kText);
    EXPECT_EQ(text->text(), "0123456789");
    text->setFocus();
    text->end(false);
    QTest::keyClicks(text, "x");
    EXPECT_EQ(text->text(), "0123456789");  // cannot grow
    QTest::keyClick(text, Qt::Key_Backspace);
    EXPECT_EQ(text->text(), "012345678");  // can shrink
    EXPECT_FALSE(page.ExchangeData(Direction::Commit));
    EXPECT_EQ(ui.messages.back().text, "Please enter no more than 8 characters.");
    EXPECT_EQ(page.data.text, u"0123456789");

    // Pasting fills the box up to the limit.
    text->clear();
    QApplication::clipboard()->setText("abcdefghijkl");
    text->paste();
    EXPECT_EQ(text->text(), "abcdefgh");
    EXPECT_EQ(CInputLimit::LimitOf(text), TestPage::kTextLimit);
}

TEST_F(ExchangeTest, DisplayLeavesAnUnchangedBoxAlone)
{
    QLineEdit* word = page.Edit(TestPage::kWord);
    word->setFocus();
    word->setSelection(0, 1);
    QSignalSpy changes(word, &QLineEdit::textChanged);

    page.ExchangeData(Direction::Show);
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(word->selectedText(), "1");

    page.data.word = 11;
    page.ExchangeData(Direction::Show);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(word->text(), "11");
}

TEST_F(ExchangeTest, OutOfRangeChoicesShowNothingChosen)
{
    auto* check = qobject_cast<QCheckBox*>(page.Control(TestPage::kCheck));
    auto* list = qobject_cast<QComboBox*>(page.Control(TestPage::kList));

    page.data.check = 7;
    page.data.radio = 5;
    page.data.list = 9;
    page.ExchangeData(Direction::Show);
    EXPECT_EQ(page.data.check, 0);
    EXPECT_FALSE(check->isChecked());
    for (int id : {TestPage::kRadio0, TestPage::kRadio1, TestPage::kRadio2})
        EXPECT_FALSE(qobject_cast<QAbstractButton*>(page.Control(id))->isChecked()) << id;
    EXPECT_EQ(list->currentIndex(), -1);

    ASSERT_TRUE(page.ExchangeData(Direction::Commit));
    EXPECT_EQ(page.data.radio, -1);
    EXPECT_EQ(page.data.list, -1);

    page.data.check = 2;  // the third state of a check box shows as checked
    page.data.radio = 1;
    page.ExchangeData(Direction::Show);
    EXPECT_TRUE(check->isChecked());
    EXPECT_TRUE(qobject_cast<QAbstractButton*>(page.Control(TestPage::kRadio1))->isChecked());
    ASSERT_TRUE(page.ExchangeData(Direction::Commit));
    EXPECT_EQ(page.data.check, 1);
    EXPECT_EQ(page.data.radio, 1);
}

}  // namespace
}  // namespace kr::test
