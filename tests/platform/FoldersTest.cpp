// SPDX-License-Identifier: MIT
#include "platform/Folders.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "platform/PathText.h"
#include "platform/Utf.h"
#include "support/TempDir.h"

namespace kr::platform {
namespace {

TEST(Folders, FindsPlainFilesByExtensionOnlyAtTheTopLevel)
{
    test::TempDir dir;
    test::WriteBytes(dir / "b.kcw", "");
    test::WriteBytes(dir / "a.KCW", "");  // extensions compare without case
    test::WriteBytes(dir / "c.kcw.bak", "");
    test::WriteBytes(dir / "d.kcwx", "");
    test::WriteBytes(dir / "kcw", "");
    std::filesystem::create_directory(dir / "folder.kcw");  // a directory, whatever its name
    std::filesystem::create_directory(dir / "sub");
    test::WriteBytes(dir / "sub/inner.kcw", "");

    const std::u16string folder = dir.folder();
    const auto files = FindFilesByExtension(folder, "kcw");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], folder + u"a.KCW");
    EXPECT_EQ(files[1], folder + u"b.kcw");

    EXPECT_TRUE(FindFilesByExtension(folder + u"missing/", "kcw").empty());
    EXPECT_TRUE(FindFilesByExtension(folder, "wsp").empty());
}

// A name is bytes: one that is not UTF-8 is listed as it is, in byte order,
// and the path given back opens the file.
TEST(Folders, ListsNamesWhateverBytesTheyHold)
{
    test::TempDir dir;
    const std::vector<std::string> names = {"caf\xE9.kcw", "caf\xC3\xA9.kcw", "\xFF\xFE.KCW", "ctrl\x01\x7F.kcw",
                                            "plain.kcw"};
    for (const std::string& name : names)
        test::WriteBytes(dir / name, name);
    const std::filesystem::path folder = dir.path().native() + "/";

    const FileNameList listed = FindFileNamesByExtension(folder, "kcw");
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(listed.size(), expected.size());
    const auto files = FindFilesByExtension(folder, "kcw");
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(listed[i], expected[i]);
        EXPECT_EQ(files[i].native(), folder.native() + expected[i]);
        EXPECT_TRUE(IsExistingFile(files[i]));
        EXPECT_EQ(test::ReadBytes(files[i]), expected[i]);
    }
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
    EXPECT_EQ(FileTitleOf(std::string("/in\xE9.d/caf\xE9.kcw")).native(), "caf\xE9");
    EXPECT_EQ(FileExtensionOf(std::string("/in/caf\xE9.k\xFF")).native(), ".k\xFF");
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

    const std::filesystem::path bytes = dir.path().native() + "/caf\xE9";
    EXPECT_EQ(CreateFolder(bytes), CreateFolderResult::Created);
    EXPECT_TRUE(IsExistingFolder(bytes));
    EXPECT_TRUE(IsFolderItself(bytes.native() + "/"));
    EXPECT_EQ(PathProblem(bytes), "");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "caf\xE9"));
}

// A path's bytes, how a person is shown them, and the text that carries them
// in the record.
struct PathTextRow {
    const char* name;
    std::string bytes;
    std::u16string shown;
    std::u16string text;
};

const PathTextRow kPathTexts[] = {
    {"ascii", "/out/panel_a/", u"/out/panel_a/", u"/out/panel_a/"},
    {"utf8", "caf\xC3\xA9/", u"caf\u00E9/", u"caf\u00E9/"},
    {"fourBytes", "\xF0\x9F\x98\x80", u"\U0001F600", u"\U0001F600"},
    {"latin1", "/out/caf\xE9/", u"/out/caf\uFFFD/", u"/out/caf\xDCE9/"},
    {"truncatedAtEnd", "a\xC3", u"a\uFFFD", u"a\xDCC3"},
    {"strayContinuations",
     "a\x80\xBF"
     "b",
     u"a\uFFFD\uFFFD"
     "b",
     u"a\xDC80\xDCBF"
     "b"},
    {"encodedSurrogate", "\xED\xA0\x80", u"\uFFFD", u"\xDCED\xDCA0\xDC80"},
    {"overlong", "\xC0\xAF", u"\uFFFD", u"\xDCC0\xDCAF"},
    // A character whose low surrogate lies among the carried bytes, then a
    // carried byte: both come back as they were.
    {"pairThenByte", "\xF0\x90\x82\x80\x80", u"\U00010080\uFFFD", u"\U00010080\xDC80"},
    // Control characters are shown escaped, so a name stays on its line.
    {"controls", "p\r\nSummary:\t\x1B[2J\x7F\xC2\x85\xE2\x80\xA8", u"p\\r\\nSummary:\\t\\x1B[2J\\x7F\\x85\\u2028",
     u"p\r\nSummary:\t\x1B[2J\x7F\u0085\u2028"},
};

class PathText : public ::testing::TestWithParam<PathTextRow> {};

TEST_P(PathText, IsShownWithReplacementsAndCarriedWithoutLoss)
{
    const PathTextRow& row = GetParam();
    EXPECT_EQ(ShownPath(row.bytes), row.shown);
    EXPECT_EQ(PathAsText(row.bytes), row.text);
    EXPECT_EQ(PathFromText(row.text).native(), row.bytes);
    EXPECT_EQ(HoldsPathBytes(row.text), row.shown.find(u'\uFFFD') != std::u16string::npos);
    // Named by its own bytes, only the control characters are escaped.
    const bool controls = std::string_view(row.name) == "controls";
    EXPECT_EQ(EscapeControlBytes(row.bytes), controls ? ToUtf8(row.shown) : row.bytes);
}

INSTANTIATE_TEST_SUITE_P(Rows, PathText, ::testing::ValuesIn(kPathTexts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PathText, TextThatCarriesNoBytesIsWrittenAsUtf8)
{
    EXPECT_EQ(PathFromText(u"\xD800/x").native(), "\xEF\xBF\xBD/x");
    EXPECT_EQ(PathFromText(u"\xDC41").native(), "\xEF\xBF\xBD");
    EXPECT_FALSE(HoldsPathBytes(u"\xDC41"));
}

}  // namespace
}  // namespace kr::platform
