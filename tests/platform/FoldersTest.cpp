// SPDX-License-Identifier: MIT
#include "platform/Folders.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace kr::platform {
namespace {

TEST(Folders, FindsPlainFilesByExtensionOnlyAtTheTopLevel)
{
    test::TempDir dir;
    test::WriteBytes(dir / "b.kcw", "");
    test::WriteBytes(dir / "a.KCW", "");          // extensions compare without case
    test::WriteBytes(dir / "c.kcw.bak", "");
    test::WriteBytes(dir / "d.kcwx", "");
    test::WriteBytes(dir / "kcw", "");
    std::filesystem::create_directory(dir / "folder.kcw");   // a directory, whatever its name
    std::filesystem::create_directory(dir / "sub");
    test::WriteBytes(dir / "sub/inner.kcw", "");

    const std::u16string folder = dir.folder();
    const auto files = FindFilesByExtension(folder, u"kcw");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], folder + u"a.KCW");
    EXPECT_EQ(files[1], folder + u"b.kcw");

    EXPECT_TRUE(FindFilesByExtension(folder + u"missing/", u"kcw").empty());
    EXPECT_TRUE(FindFilesByExtension(folder, u"wsp").empty());
}

TEST(Folders, SplitsTitleAndExtension)
{
    EXPECT_EQ(FileTitleOf(u"/in/panel_a.kcw"), u"panel_a");
    EXPECT_EQ(FileExtensionOf(u"/in/panel_a.kcw"), u".kcw");
    EXPECT_EQ(FileTitleOf(u"/in/archive.tar.kcw"), u"archive.tar");
    EXPECT_EQ(FileExtensionOf(u"/in/archive.tar.kcw"), u".kcw");
    EXPECT_EQ(FileTitleOf(u"/in.d/noext"), u"noext");
    EXPECT_EQ(FileExtensionOf(u"/in.d/noext"), u"");
    EXPECT_EQ(FileTitleOf(u"plain.kcw"), u"plain");
    EXPECT_EQ(FileTitleOf(u"/in/\u00E9t\u00E9.kcw"), u"\u00E9t\u00E9");
}

TEST(Folders, CreatesOneLevelAndTellsAnExistingFolderApart)
{
    test::TempDir dir;
    const std::u16string folder = dir.folder() + u"project";
    EXPECT_EQ(CreateFolder(folder), CreateFolderResult::Created);
    EXPECT_TRUE(IsExistingFolder(folder));
    EXPECT_EQ(CreateFolder(folder), CreateFolderResult::AlreadyExists);
    EXPECT_EQ(CreateFolder(dir.folder() + u"a/b"), CreateFolderResult::Failed);
    EXPECT_FALSE(IsExistingFile(folder));
    test::WriteBytes(dir / "file", "");
    EXPECT_TRUE(IsExistingFile(dir.folder() + u"file"));
    EXPECT_FALSE(IsExistingFolder(dir.folder() + u"file"));
}

}  // namespace
}  // namespace kr::platform
