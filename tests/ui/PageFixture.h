// SPDX-License-Identifier: MIT
#pragma once
// The configuration pages as the user meets them: inside the main window,
// driven through their numbered controls, with every message scripted.

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "ScriptedInteraction.h"
#include "settings/SaveFile.h"
#include "support/TempDir.h"
#include "ui/ConfigWizardDlg.h"
#include "ui/ControlId.h"
#include "ui/DlgTabCtrl.h"
#include "ui/pages/Page.h"

namespace kr::test {

class PageFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    CPage* Page(int tab) const { return window->Tabs()->Page(tab); }
    // Brings page to the front, as clicking its tab does.
    void Show(CPage* page) { window->Tabs()->setCurrentIndex(window->Tabs()->PageIndex(page)); }

    static QLineEdit* Edit(const CPage* page, int id) { return qobject_cast<QLineEdit*>(page->Control(id)); }
    static bool Enabled(const CPage* page, int id) { return page->Control(id)->isEnabled(); }
    // Shown on its page, whether or not the page is in front.
    static bool Shown(const CPage* page, int id) { return page->Control(id)->isVisibleTo(page); }
    static bool Checked(const CPage* page, int id) { return Shows(page, id) == "on"; }

    // What control id shows: its text, its list's choice, "on" or "off".
    static QString Shows(const CPage* page, int id)
    {
        QWidget* control = page->Control(id);
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            return edit->text();
        if (auto* list = qobject_cast<QComboBox*>(control))
            return list->currentText();
        if (auto* button = qobject_cast<QAbstractButton*>(control))
            return button->isChecked() ? "on" : "off";
        auto* label = qobject_cast<QLabel*>(control);
        return label ? label->text() : QString();
    }

    // The controls out of ids that are enabled.
    static QList<int> EnabledOf(const CPage* page, const QList<int>& ids)
    {
        QList<int> enabled;
        for (int id : ids)
            if (Enabled(page, id))
                enabled << id;
        return enabled;
    }

    // Every numbered control of the page: what it shows, enabled, shown.
    static QStringList Snapshot(const CPage* page)
    {
        QStringList all;
        for (QWidget* control : page->findChildren<QWidget*>())
            if (const int id = ControlIdOf(control))
                all << QString("%1 %2 %3 %4").arg(id).arg(Shows(page, id)).arg(Enabled(page, id)).arg(Shown(page, id));
        return all;
    }

    // A click near the left edge: a check box or radio button answers only
    // on its mark and caption, not across the whole cell it stands in.
    void Click(CPage* page, int id)
    {
        Show(page);
        auto* button = qobject_cast<QAbstractButton*>(page->Control(id));
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->height() / 2, button->height() / 2));
    }
    void Choose(CPage* page, int id, int index)
    {
        Show(page);
        auto* list = qobject_cast<QComboBox*>(page->Control(id));
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
    void Trigger(int id) { FindAction(window.get(), id)->trigger(); }

    // The text of the one message shown since the last call, a refused
    // value's; empty when none or several were shown.
    QString TakeMessage()
    {
        const std::vector<ShownMessage> shown = std::exchange(ui.messages, {});
        EXPECT_EQ(shown.size(), 1u);
        return shown.size() == 1 && shown[0].title == kApplicationName ? shown[0].text : QString();
    }

    // Opens settings as a save file.
    void Load(const ConfigurationSettings& settings)
    {
        std::u16string error;
        ASSERT_TRUE(SaveSettings((dir / "loaded.kcw").u16string(), settings, error));
        window->OpenSaveFile(QString::fromStdString((dir / "loaded.kcw").string()));
    }

    // Saves through File > Save As and reads back what was written.
    ConfigurationSettings SaveAndReload()
    {
        ui.saveAnswers = {QString::fromStdString((dir / "saved.kcw").string())};
        Trigger(wizard_id::kFileSaveAs);
        ConfigurationSettings saved;
        std::u16string error;
        EXPECT_TRUE(LoadSettings((dir / "saved.kcw").u16string(), saved, error));
        return saved;
    }

    ScriptedInteraction ui;
    TempDir dir;
    std::unique_ptr<CKR761x_ConfigWizardDlg> window = std::make_unique<CKR761x_ConfigWizardDlg>();
};

}  // namespace kr::test
