// SPDX-License-Identifier: MIT
// Choosing a folder: what the chooser hands back, the separator every chosen
// folder ends with, and the real browser's handling of the initial folder
// and of a typed name that is no folder.

#include <QLineEdit>
#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include "ScriptedInteraction.h"
#include "support/TempDir.h"
#include "ui/dialogs/FolderBrowser.h"
#include "ui/dialogs/FolderDialog.h"
#include "ui/QtText.h"

namespace kr::test {
namespace {

// Types a name into the browser's name box, as the user would.
void TypeName(CFolderBrowser& browser, const QString& name)
{
    auto* edit = browser.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, name);
}

TEST(FolderDialog, ChosenFoldersEndWithExactlyOneSeparator)
{
    EXPECT_EQ(WithTrailingSeparator("/home/user/out"), "/home/user/out/");
    EXPECT_EQ(WithTrailingSeparator("/home/user/out/"), "/home/user/out/");
    EXPECT_EQ(WithTrailingSeparator("/home/user/out//"), "/home/user/out/");
    EXPECT_EQ(WithTrailingSeparator("/"), "/");
    EXPECT_EQ(WithTrailingSeparator(""), "");
}

TEST(FolderDialog, HandsBackTheFolderOnlyWhenConfirmed)
{
    ScriptedInteraction ui;
    ui.folderAnswers = {{kFolderOk, "/srv/projects"}, {kFolderCancel, "/ignored"}, {kFolderNoPath, "/ignored"}};

    CFolderDialog chooser(nullptr, "Select project output directory.", "/srv");
    EXPECT_EQ(chooser.DoModal(), kFolderOk);
    EXPECT_EQ(chooser.SelectedFolder(), "/srv/projects");
    ASSERT_EQ(ui.folderRequests.size(), 1u);
    EXPECT_EQ(ui.folderRequests[0].title, "Select project output directory.");
    EXPECT_EQ(ui.folderRequests[0].initialFolder, "/srv");

    EXPECT_EQ(chooser.DoModal(), kFolderCancel);
    EXPECT_EQ(chooser.SelectedFolder(), "");
    EXPECT_EQ(chooser.DoModal(), kFolderNoPath);
    EXPECT_EQ(chooser.SelectedFolder(), "");
}

TEST(FolderBrowser, OpensOnTheInitialFolderOnlyWhileItExists)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "boards");

    CFolderBrowser existing(nullptr, "Pick", PathToQString(dir / "boards"));
    EXPECT_EQ(existing.windowTitle(), "Pick");
    EXPECT_EQ(QDir(existing.directory()).absolutePath(), PathToQString(dir / "boards"));

    CFolderBrowser vanished(nullptr, "Pick", PathToQString(dir / "gone"));
    EXPECT_EQ(QDir(vanished.directory()).absolutePath(), QDir::homePath());
}

TEST(FolderBrowser, ATypedNameThatIsNoFolderKeepsItOpen)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "out");
    WriteBytes(dir / "file.txt", "x");

    CFolderBrowser browser(nullptr, "Pick", PathToQString(dir.path()));
    browser.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&browser));

    for (const char* name : {"missing", "file.txt"}) {
        TypeName(browser, name);
        browser.accept();
        EXPECT_TRUE(browser.isVisible()) << name;
        EXPECT_EQ(browser.result(), 0) << name;
    }

    TypeName(browser, "out");
    browser.accept();
    EXPECT_FALSE(browser.isVisible());
    EXPECT_EQ(browser.result(), QDialog::Accepted);
    ASSERT_EQ(browser.selectedFiles().size(), 1);
    EXPECT_EQ(browser.selectedFiles()[0], PathToQString(dir / "out"));
}

}  // namespace
}  // namespace kr::test
