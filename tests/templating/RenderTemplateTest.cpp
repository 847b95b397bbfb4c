// SPDX-License-Identifier: MIT
#include "templating/TemplateRender.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "platform/AtomicFile.h"
#include "platform/Resources.h"
#include "platform/Windows1252.h"
#include "support/RenderText.h"
#include "support/TempDir.h"
#include "templating/LoadTemplate.h"

namespace kr {
namespace {

// Marker characters spelled out so the test sources stay plain ASCII.
const std::u16string K = u"\u00A6";  // ¦ key
const std::u16string O = u"\u00AB";  // « tag open
const std::u16string C = u"\u00BB";  // » tag close
const std::u16string E = u"\u00B6";  // ¶ block end

std::u16string Block(const std::u16string& tag, const std::u16string& body)
{
    return O + tag + C + body + E;
}

// A rendered file is written as the generator writes its files: in one piece,
// the old file untouched unless the new one is complete.
bool WriteInOnePiece(const std::filesystem::path& path, const std::string& bytes)
{
    return platform::WriteFileAtomically(path.string(), bytes, platform::Durability::InOnePiece);
}

class Expand : public ::testing::Test {
protected:
    SwitchSet switches{{u"A", 1}, {u"B", 1}, {u"T", 1}, {u"OFF", 0}};
    SubstitutionMap keys{{u"KEY", u"value"}};
    test::TempDir dir;

    // Rendered in both forms, which agree: the same result and error, and on
    // Ok the same output.
    test::RenderedText Render(const std::u16string& tmpl)
    {
        test::RenderedText rendered = test::RenderText(tmpl, switches, keys);
        EXPECT_EQ(rendered.textResult, rendered.result);
        EXPECT_EQ(rendered.textError.problem, rendered.error.problem);
        EXPECT_EQ(DescribeTemplateError(u"t", rendered.textError), DescribeTemplateError(u"t", rendered.error));
        if (rendered.result == ExpandResult::Ok) {
            EXPECT_EQ(platform::EncodeWindows1252(rendered.text), rendered.bytes);
        }
        return rendered;
    }

    // Renders into the file at out, written only on success; the file's
    // content afterwards, or "<absent>" when there is none.
    std::string RunInto(const std::filesystem::path& out, const std::u16string& tmpl, ExpandResult expected)
    {
        const test::RenderedText rendered = Render(tmpl);
        EXPECT_EQ(rendered.result, expected);
        if (rendered.result == ExpandResult::Ok) {
            EXPECT_TRUE(WriteInOnePiece(out, rendered.bytes));
        }
        return std::filesystem::exists(out) ? test::ReadBytes(out) : "<absent>";
    }

    std::string Run(const std::u16string& tmpl, ExpandResult expected = ExpandResult::Ok)
    {
        std::filesystem::remove(dir / "out.c");
        return RunInto(dir / "out.c", tmpl, expected);
    }
};

TEST_F(Expand, ConditionalBlocksKeepOrDropTheirBody)
{
    EXPECT_EQ(Run(u"a" + Block(u"T", u"b") + u"c"), "abc");
    switches[u"T"] = 0;
    EXPECT_EQ(Run(u"a" + Block(u"T", u"b") + u"c"), "ac");
    // Any non-zero flag is active.
    switches[u"T"] = -7;
    EXPECT_EQ(Run(u"a" + Block(u"T", u"b") + u"c"), "abc");
}

TEST_F(Expand, NestedBlocks)
{
    const std::u16string tmpl = Block(u"A", u"x" + Block(u"B", u"y") + u"z") + u"w";
    EXPECT_EQ(Run(tmpl), "xyzw");
    switches[u"B"] = 0;
    EXPECT_EQ(Run(tmpl), "xzw");
    switches[u"A"] = 0;
    EXPECT_EQ(Run(tmpl), "w");
    switches[u"B"] = 1;
    EXPECT_EQ(Run(tmpl), "w");
}

TEST_F(Expand, SiblingBlocksRenderIndependently)
{
    const std::u16string tmpl = Block(u"A", u"1") + Block(u"B", u"2") + Block(u"T", u"3");
    switches[u"A"] = 0;
    EXPECT_EQ(Run(tmpl), "23");
    switches[u"B"] = 0;
    EXPECT_EQ(Run(tmpl), "3");
    switches = {{u"A", 1}, {u"B", 0}, {u"T", 1}};
    EXPECT_EQ(Run(tmpl), "13");
}

TEST_F(Expand, BlockOpeningAtTheStartOfAnotherBody)
{
    const std::u16string tmpl = Block(u"A", Block(u"B", u"x")) + u"!";
    EXPECT_EQ(Run(tmpl), "x!");
    switches[u"B"] = 0;
    EXPECT_EQ(Run(tmpl), "!");
    switches = {{u"A", 0}, {u"B", 1}};
    EXPECT_EQ(Run(tmpl), "!");
}

TEST_F(Expand, PlacementTextKeepsOnlyTheActiveToolchainAndChip)
{
    switches = {{u"SDCC", 1}, {u"KEIL", 0}, {u"KR7610", 0}, {u"KR7611", 1}};
    const std::u16string tmpl =
        Block(u"SDCC", u"__code __at (0x" + Block(u"KR7610", u"1A") + Block(u"KR7611", u"2683") + u")")
        + Block(u"KEIL", u"code") + u" U8 d[];";
    EXPECT_EQ(Run(tmpl), "__code __at (0x2683) U8 d[];");
    switches = {{u"SDCC", 1}, {u"KEIL", 0}, {u"KR7610", 1}, {u"KR7611", 0}};
    EXPECT_EQ(Run(tmpl), "__code __at (0x1A) U8 d[];");
    switches = {{u"SDCC", 0}, {u"KEIL", 1}, {u"KR7610", 1}, {u"KR7611", 0}};
    EXPECT_EQ(Run(tmpl), "code U8 d[];");
}

TEST_F(Expand, UnclosedBlockRunsToTheEnd)
{
    EXPECT_EQ(Run(u"a" + O + u"T" + C + u"x"), "ax");
    switches[u"T"] = 0;
    EXPECT_EQ(Run(u"a" + O + u"T" + C + u"x" + Block(u"A", u"y")), "a");
}

TEST_F(Expand, KeysAreReplacedVerbatimAndNotExpandedAgain)
{
    keys[u"KEY"] = K + u"KEY" + K + O + u"T" + C + E;
    EXPECT_EQ(Run(u"<" + K + u"KEY" + K + u">"), platform::EncodeWindows1252(u"<" + keys[u"KEY"] + u">"));
    keys[u"EMPTY"] = u"";
    EXPECT_EQ(Run(u"a" + K + u"EMPTY" + K + u"b" + Block(u"T", K + u"EMPTY" + K)), "ab");
}

TEST_F(Expand, TextRenderingGivesTheFileTextAndTheSameFailures)
{
    const std::u16string tmpl = u"a" + K + u"KEY" + K + Block(u"OFF", u"x") + Block(u"T", u"\u00E9\r\n");
    const test::RenderedText rendered = Render(tmpl);
    ASSERT_EQ(rendered.textResult, ExpandResult::Ok);
    EXPECT_EQ(rendered.text, u"avalue\u00E9\r\n");
    EXPECT_EQ(platform::EncodeWindows1252(rendered.text), Run(tmpl));
    EXPECT_EQ(Render(K + u"MISSING" + K).textResult, ExpandResult::UndefinedName);
    EXPECT_EQ(Render(u"a" + E).textResult, ExpandResult::StructureError);
    EXPECT_EQ(Render(u"a" + K + u"KEY").textResult, ExpandResult::SyntaxError);
}

TEST_F(Expand, NamesAreExactAndCaseSensitive)
{
    EXPECT_EQ(Run(K + u"key" + K, ExpandResult::UndefinedName), "<absent>");
    EXPECT_EQ(Run(K + u" KEY" + K, ExpandResult::UndefinedName), "<absent>");
    EXPECT_EQ(Run(Block(u"a", u"x"), ExpandResult::UndefinedName), "<absent>");
    // An empty tag is a name like any other.
    switches[u""] = 1;
    EXPECT_EQ(Run(Block(u"", u"x")), "x");
}

TEST_F(Expand, UndefinedNamesFailEvenInsideDroppedBlocks)
{
    EXPECT_EQ(Run(Block(u"OFF", Block(u"MISSING", u"x")), ExpandResult::UndefinedName), "<absent>");
    EXPECT_EQ(Run(Block(u"OFF", K + u"MISSING" + K), ExpandResult::UndefinedName), "<absent>");
}

TEST_F(Expand, MalformedTemplatesGiveTheirCodeAndWriteNothing)
{
    EXPECT_EQ(Run(u"x" + O, ExpandResult::SyntaxError), "<absent>");
    EXPECT_EQ(Run(u"x" + O + u"T no close", ExpandResult::SyntaxError), "<absent>");
    EXPECT_EQ(Run(u"x" + K + u"KEY", ExpandResult::SyntaxError), "<absent>");
    EXPECT_EQ(Run(u"x" + E, ExpandResult::StructureError), "<absent>");
    EXPECT_EQ(Run(Block(u"A", u"x") + E, ExpandResult::StructureError), "<absent>");
    // A syntax error wins over names that are also missing.
    EXPECT_EQ(Run(K + u"MISSING" + K + O, ExpandResult::SyntaxError), "<absent>");
}

// Each failure keeps its place (line and column of the marker at fault) and,
// for an undefined name, the name used first in the template.
TEST_F(Expand, ErrorsSayWhereAndWhat)
{
    using P = TemplateProblem;
    struct Row {
        std::u16string tmpl;
        P problem;
        std::u16string described;  // as the command line prints it, for file "t"
    } rows[] = {
        {u"ab\r\ncd" + O + u"T", P::UnterminatedTag, u"t:2:3: tag marker \u00AB without its closing \u00BB"},
        {u"x" + O, P::UnterminatedTag, u"t:1:2: tag marker \u00AB without its closing \u00BB"},
        {u"x" + K + u"KEY", P::UnterminatedKey, u"t:1:2: key marker \u00A6 without its closing \u00A6"},
        {u"a\nb" + E, P::UnopenedBlockEnd, u"t:2:2: block end \u00B6 with no block open"},
        {Block(u"A", u"x") + E, P::UnopenedBlockEnd, u"t:1:6: block end \u00B6 with no block open"},
        {u"\n\n  " + K + u"NOPE" + K + Block(u"MISS", u""), P::UndefinedKey, u"t:3:3: undefined key \u00A6NOPE\u00A6"},
        {Block(u"OFF", Block(u"MISS", u"x")) + K + u"NOPE" + K, P::UndefinedTag,
         u"t:1:6: undefined tag \u00ABMISS\u00BB"},
    };
    for (const Row& row : rows) {
        const test::RenderedText rendered = Render(row.tmpl);
        EXPECT_NE(rendered.result, ExpandResult::Ok);
        EXPECT_EQ(rendered.error.problem, row.problem);
        EXPECT_EQ(DescribeTemplateError(u"t", rendered.error), row.described);
    }
    // A failed write has no place in the template: just the message.
    TemplateError unwritable;
    unwritable.code = ExpandResult::WriteError;
    unwritable.problem = TemplateProblem::WriteFailed;
    EXPECT_FALSE(unwritable.HasPlace());
    EXPECT_EQ(DescribeTemplateError(u"t", unwritable), u"the output file cannot be written");
}

TEST_F(Expand, AFailedExpansionLeavesAnExistingFileUntouched)
{
    const auto out = dir / "kept.c";
    test::WriteBytes(out, "previous");
    const struct {
        std::u16string tmpl;
        ExpandResult result;
    } bad[] = {
        {u"x" + E, ExpandResult::StructureError},
        {u"x" + O, ExpandResult::SyntaxError},
        {K + u"NOPE" + K, ExpandResult::UndefinedName},
    };
    for (const auto& b : bad)
        EXPECT_EQ(RunInto(out, b.tmpl, b.result), "previous");
}

TEST_F(Expand, LoneTagCloseIsOrdinaryText)
{
    EXPECT_EQ(Run(u"a" + C + u"b"), "a\xBB"
                                    "b");
}

TEST_F(Expand, EmptyTemplateWritesAnEmptyFile)
{
    EXPECT_EQ(Run(u""), "");
}

TEST_F(Expand, OutputIsWindows1252WithUnrepresentableCharactersReplaced)
{
    keys[u"KEY"] = u"\u00E9\u20AC\u4E2D";
    EXPECT_EQ(Run(K + u"KEY" + K), "\xE9\x80?");
}

TEST_F(Expand, EveryByteExceptTheMarkersPassesThroughUnchanged)
{
    const auto bytes = platform::FindResource("TEMPLATE", 9001);
    ASSERT_TRUE(bytes.has_value());
    const auto tmpl = LoadTemplate(9001);
    ASSERT_TRUE(tmpl.has_value());
    EXPECT_EQ(Run(*tmpl), std::string(*bytes));

    // The same in code: all 253 byte values in one template.
    std::string all;
    for (int b = 0; b < 256; ++b) {
        if (b != 0xA6 && b != 0xAB && b != 0xB6)
            all.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(Run(platform::DecodeWindows1252(all)), all);
}

TEST_F(Expand, ThousandsOfTokensAtOneLevelRenderInOrder)
{
    std::u16string tmpl;
    std::string expected;
    for (int i = 0; i < 50000; ++i) {
        tmpl += Block(u"A", u"a") + K + u"KEY" + K + Block(u"OFF", u"dropped") + u";";
        expected += "avalue;";
    }
    EXPECT_EQ(Run(tmpl), expected);
}

TEST_F(Expand, DeeplyNestedBlocksRenderInOrder)
{
    std::u16string tmpl;
    std::string expected;
    const int depth = 50000;
    for (int i = 0; i < depth; ++i)
        tmpl += O + u"A" + C + u"(";
    for (int i = 0; i < depth; ++i)
        tmpl += u")" + E;
    expected = std::string(depth, '(') + std::string(depth, ')');
    EXPECT_EQ(Run(tmpl), expected);
}

TEST_F(Expand, UnwritableOutputFailsTheWrite)
{
    const test::RenderedText rendered = Render(u"x");
    ASSERT_EQ(rendered.result, ExpandResult::Ok);
    EXPECT_FALSE(WriteInOnePiece(dir / "no/such/folder/out.c", rendered.bytes));
    EXPECT_FALSE(WriteInOnePiece(dir.path(), rendered.bytes));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path()));
}

// A write that stops part-way (here: the file size limit, as a full disk
// would) is a failure, and the old file stays complete.
TEST_F(Expand, AWriteThatFailsPartWayFailsAndKeepsTheOldFile)
{
    const auto out = dir / "big.c";
    test::WriteBytes(out, "old content");

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);

    const test::RenderedText rendered = Render(std::u16string(100000, u'x'));
    const bool written = WriteInOnePiece(out, rendered.bytes);
    // A file that did not exist before is not left behind half written.
    const auto fresh = dir / "fresh.c";
    const bool freshWritten = WriteInOnePiece(fresh, rendered.bytes);

    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(rendered.result, ExpandResult::Ok);
    EXPECT_FALSE(written);
    EXPECT_EQ(test::ReadBytes(out), "old content");
    EXPECT_FALSE(freshWritten);
    EXPECT_FALSE(std::filesystem::exists(fresh));
}

}  // namespace
}  // namespace kr
