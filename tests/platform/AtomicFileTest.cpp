// SPDX-License-Identifier: MIT
#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/TempDir.h"

namespace kr::platform {
namespace {

std::size_t EntriesIn(const std::filesystem::path& folder)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

TEST(AtomicFile, CreatesAndReplacesFilesWithoutLeavingTemporaries)
{
    test::TempDir dir;
    const auto file = dir / "out.txt";
    ASSERT_TRUE(WriteFileAtomically(file.string(), std::string("one\r\n\0two", 10)));
    EXPECT_EQ(test::ReadBytes(file), std::string("one\r\n\0two", 10));
    ASSERT_TRUE(WriteFileAtomically(file.string(), "x"));
    EXPECT_EQ(test::ReadBytes(file), "x");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

// Staged files are not in place before the commit; a temporary file or work
// folder of ours that nobody holds (a killed run's) is removed, one being
// written is not, and a link named like a work folder is not followed.
TEST(AtomicFile, StagedFilesWaitForTheCommitAndOnlyStaleTemporariesAreRemoved)
{
    test::TempDir dir;
    test::WriteBytes(dir / ".kr761x-AbC123", "left by a killed run");
    test::WriteBytes(dir / ".kr761x-other", "not one of ours");
    std::filesystem::create_directories(dir / ".kr761x-build-XyZ789/deep");
    test::WriteBytes(dir / ".kr761x-build-XyZ789/deep/a.rel", "left by a killed build");
    test::TempDir elsewhere;
    test::WriteBytes(elsewhere / "kept", "not ours");
    std::filesystem::create_directory_symlink(elsewhere.path(), dir / ".kr761x-build-Link00");
    CStagedFiles staged;
    FileFailure why;
    ASSERT_TRUE(staged.Stage((dir / "a.c").string(), "new", Durability::InOnePiece, why));
    EXPECT_FALSE(std::filesystem::exists(dir / "a.c"));
    test::WriteBytes(dir / "b.c", "there");
    std::vector<std::string> names;
    EXPECT_TRUE(RemoveStaleTemporaryFiles(dir.path().string() + "/", &names));
    EXPECT_FALSE(std::filesystem::exists(dir / ".kr761x-AbC123"));
    EXPECT_FALSE(std::filesystem::exists(dir / ".kr761x-build-XyZ789"));
    EXPECT_EQ(test::ReadBytes(elsewhere / "kept"), "not ours");
    std::filesystem::remove(dir / ".kr761x-build-Link00");
    EXPECT_EQ(EntriesIn(dir.path()), 3u);  // ".kr761x-other", "b.c" and the live one
    // What is left but our own temporary files, sorted.
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", ".kr761x-other", "b.c"}));
    EXPECT_FALSE(RemoveStaleTemporaryFiles(dir.path().string() + "/missing/", &names));
    ASSERT_TRUE(staged.Commit(why));
    EXPECT_EQ(test::ReadBytes(dir / "a.c"), "new");
    EXPECT_EQ(EntriesIn(dir.path()), 3u);
}

// A file failing while the files are put in place puts back those before
// it: a replaced file has its old content again, a new one is gone, and no
// temporary file is left.
TEST(AtomicFile, AFailedCommitLeavesEveryTargetAsItWas)
{
    test::TempDir dir;
    std::filesystem::create_directory(dir / "other");
    test::WriteBytes(dir / "old.c", "old");
    CStagedFiles staged;
    FileFailure why;
    ASSERT_TRUE(staged.Stage((dir / "old.c").string(), "new", Durability::InOnePiece, why));
    ASSERT_TRUE(staged.Stage((dir / "fresh.c").string(), "new", Durability::InOnePiece, why));
    ASSERT_TRUE(staged.Stage((dir / "other/last.c").string(), "new", Durability::InOnePiece, why));
    // The last file's temporary is gone by the time it would go in place.
    for (const auto& entry : std::filesystem::directory_iterator(dir / "other"))
        std::filesystem::remove(entry.path());
    EXPECT_FALSE(staged.Commit(why));
    EXPECT_EQ(why.Line(), (dir / "other/last.c").string() + ": No such file or directory");
    EXPECT_EQ(test::ReadBytes(dir / "old.c"), "old");
    EXPECT_EQ(EntriesIn(dir.path()), 2u);  // "old.c" and "other"
    EXPECT_EQ(EntriesIn(dir / "other"), 0u);
}

TEST(AtomicFile, NewFilesGetTheUsualPermissionsAndReplacedFilesKeepTheirs)
{
    test::TempDir dir;
    struct stat st {};
    const struct {
        mode_t mask;
        mode_t mode;
    } masks[] = {{022, 0644}, {027, 0640}, {077, 0600}, {0, 0666}};
    for (const auto& row : masks) {
        const auto fresh = dir / ("fresh" + std::to_string(row.mask));
        const mode_t oldMask = ::umask(row.mask);
        const bool written = WriteFileAtomically(fresh.string(), "a");
        ::umask(oldMask);
        ASSERT_TRUE(written);
        ASSERT_EQ(::stat(fresh.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, row.mode) << "umask " << std::oct << row.mask;
    }

    const auto kept = dir / "kept";
    test::WriteBytes(kept, "old");
    ::chmod(kept.c_str(), 0640);
    ASSERT_TRUE(WriteFileAtomically(kept.string(), "new"));
    ASSERT_EQ(::stat(kept.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(AtomicFile, RefusesWhatAnInPlaceWriteWouldRefuse)
{
    test::TempDir dir;
    EXPECT_FALSE(WriteFileAtomically((dir / "missing/out.txt").string(), "x"));
    EXPECT_FALSE(WriteFileAtomically(dir.path().string() + "/", "x"));

    std::filesystem::create_directory(dir / "sub");
    EXPECT_FALSE(WriteFileAtomically((dir / "sub").string(), "x"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "sub"));

    const auto readOnly = dir / "ro.txt";
    test::WriteBytes(readOnly, "keep");
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_FALSE(WriteFileAtomically(readOnly.string(), "lost"));
    EXPECT_EQ(test::ReadBytes(readOnly), "keep");
    EXPECT_EQ(EntriesIn(dir.path()), 2u);
}

// A link is followed to the file it leads to, which is replaced; a link that
// leads nowhere writes nothing.
TEST(AtomicFile, WritesTheFileALinkLeadsTo)
{
    test::TempDir dir;
    std::filesystem::create_directory(dir / "real");
    test::WriteBytes(dir / "real/s.kcw", "old");
    std::filesystem::create_symlink("real/s.kcw", dir / "s.kcw");
    std::filesystem::create_symlink("s.kcw", dir / "twice.kcw");
    std::filesystem::create_symlink("missing.kcw", dir / "dangling.kcw");
    std::filesystem::create_symlink("loop.kcw", dir / "loop.kcw");
    for (const char* link : {"s.kcw", "twice.kcw"}) {
        ASSERT_TRUE(WriteFileAtomically((dir / link).string(), link));
        EXPECT_TRUE(std::filesystem::is_symlink(dir / link));
        EXPECT_EQ(test::ReadBytes(dir / "real/s.kcw"), link);
    }
    for (const char* link : {"dangling.kcw", "loop.kcw"}) {
        FileFailure why;
        EXPECT_FALSE(WriteFileAtomically((dir / link).string(), "x", Durability::InOnePiece, &why)) << link;
        EXPECT_EQ(why.path, (dir / link).string());
        EXPECT_TRUE(std::filesystem::is_symlink(dir / link));
    }
    EXPECT_EQ(EntriesIn(dir.path()), 5u);
    EXPECT_EQ(EntriesIn(dir / "real"), 1u);
}

}  // namespace
}  // namespace kr::platform
