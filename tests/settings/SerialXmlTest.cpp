// SPDX-License-Identifier: MIT
#include "settings/SerialXml.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <type_traits>

#include "platform/Resources.h"
#include "platform/Windows1252.h"
#include "support/TempDir.h"

namespace kr {
namespace {

static_assert(!std::is_base_of_v<MissingNodeError, XmlLibraryError>);
static_assert(!std::is_base_of_v<XmlLibraryError, MissingNodeError>);

// A document whose root holds one element <v> with the given text.
struct OneValue {
    explicit OneValue(const std::u16string& text)
    {
        const XmlNode root = doc.CreateElement(u"root");
        doc.AppendToDocument(root);
        doc.AppendChild(root, doc.CreateTextElement(u"v", text));
    }
    CSerialXml doc;
};

std::u16string Stylesheet()
{
    return platform::DecodeWindows1252(*platform::FindResource("XML", 150));
}

TEST(SerialXml, CreatingOperationsWriteTheirTextForms)
{
    CSerialXml doc;
    const XmlNode root = doc.CreateElement(u"root");
    doc.AppendToDocument(root);
    struct Case {
        XmlNode element;
        std::u16string text;
    } cases[] = {
        {doc.CreateHexByteElement(u"a", 5), u"05"},
        {doc.CreateHexByteElement(u"a", 0xAB), u"AB"},
        {doc.CreateHexWordElement(u"a", 0x100), u"0100"},
        {doc.CreateHexWordElement(u"a", 0xBEEF), u"BEEF"},
        {doc.CreateDecimalWordElement(u"a", 65535), u"65535"},
        {doc.CreateDecimalWordElement(u"a", 0), u"0"},
        {doc.CreateDecimalDWordElement(u"a", 4294967295u), u"4294967295"},
        {doc.CreateIntElement(u"a", -1), u"-1"},
        {doc.CreateIntElement(u"a", INT32_MIN), u"-2147483648"},
        {doc.CreateStringElement(u"a", u""), u"\"\""},
        {doc.CreateStringElement(u"a", u"say \"hi\""), u"\"say \"hi\"\""},
        {doc.CreateTextElement(u"a", u" <&> "), u" <&> "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(doc.GetNodeText(c.element), c.text);
}

TEST(SerialXml, ReadingOperationsConvertLoosely)
{
    struct Case {
        std::u16string text;
        std::uint8_t hexByte;
        std::uint16_t hexWord;
        std::uint16_t decimalWord;
        std::uint32_t decimalDWord;
        std::int32_t integer;
    } cases[] = {
        {u"", 0, 0, 0, 0, 0},
        {u"abc", 0xBC, 0x0ABC, 0, 0, 0},
        {u"xyz", 0, 0, 0, 0, 0},
        {u"1A2B", 0x2B, 0x1A2B, 1, 1, 1},
        {u"0x1a2b", 0x2B, 0x1A2B, 0, 0, 0},
        {u"12345", 0x45, 0x2345, 12345, 12345, 12345},
        {u"17F", 0x7F, 0x017F, 17, 17, 17},
        {u"70000", 0x00, 0x0000, 4464, 70000, 70000},
        {u"-1", 0xFF, 0xFFFF, 65535, 4294967295u, -1},
        {u"-5", 0xFB, 0xFFFB, 65531, 4294967291u, -5},
        {u"12abc", 0xBC, 0x2ABC, 12, 12, 12},
        {u" \t\r\n+42 ", 0x42, 0x42, 42, 42, 42},
        {u"- 1", 0, 0, 0, 0, 0},
        {u"99999999999", 0xFF, 0xFFFF, 0xFFFF, 4294967295u, 2147483647},
        {u"-99999999999", 0xFF, 0xFFFF, 0xFFFF, 4294967295u, -2147483648},
        {u"2147483648", 0xFF, 0xFFFF, 0, 2147483648u, 2147483647},
        {u"-2147483648", 0xFF, 0xFFFF, 0, 2147483648u, -2147483648},
        {u"4294967296", 0xFF, 0xFFFF, 0xFFFF, 4294967295u, 2147483647},
        {u"\"7\"", 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        OneValue v(c.text);
        std::uint8_t hexByte = 1;
        std::uint16_t hexWord = 1, decimalWord = 1;
        std::uint32_t decimalDWord = 1;
        std::int32_t integer = 1;
        v.doc.GetHexByte(u"//v", hexByte);
        v.doc.GetHexWord(u"//v", hexWord);
        v.doc.GetDecimalWord(u"//v", decimalWord);
        v.doc.GetDecimalDWord(u"//v", decimalDWord);
        v.doc.GetInt(u"//v", integer);
        EXPECT_EQ(hexByte, c.hexByte);
        EXPECT_EQ(hexWord, c.hexWord);
        EXPECT_EQ(decimalWord, c.decimalWord);
        EXPECT_EQ(decimalDWord, c.decimalDWord);
        EXPECT_EQ(integer, c.integer);
    }
}

TEST(SerialXml, StringsLoseOneLeadingThenOneTrailingQuote)
{
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"\"abc\"", u"abc"},     {u"\"\"", u""},         {u"\"", u""},
        {u"\"a\"b\"", u"a\"b"},   {u"\"abc", u"abc"},     {u"abc\"", u"abc"},
        {u" \"abc\"", u" \"abc"}, {u"\"\"\"\"", u"\"\""}, {u"\" x \"", u" x "},
    };
    for (const auto& [text, expected] : cases) {
        OneValue v(text);
        std::u16string value = u"unchanged";
        v.doc.GetString(u"//v", value);
        EXPECT_EQ(value, expected);
    }
}

TEST(SerialXml, PathsSelectTheFirstMatchInDocumentOrder)
{
    CSerialXml doc;
    const XmlNode root = doc.CreateElement(u"root");
    doc.AppendToDocument(root);
    const XmlNode deep = doc.AppendChild(root, doc.CreateElement(u"a"));
    const XmlNode deeper = doc.AppendChild(deep, doc.CreateElement(u"g"));
    doc.AppendChild(deeper, doc.CreateIntElement(u"x", 1));
    const XmlNode later = doc.AppendChild(root, doc.CreateElement(u"g"));
    doc.AppendChild(later, doc.CreateIntElement(u"x", 2));

    std::int32_t x = 0;
    doc.GetInt(u"//g/x", x);
    EXPECT_EQ(x, 1);
    doc.GetInt(u"/root/g/x", x);
    EXPECT_EQ(x, 2);
    EXPECT_EQ(doc.GetNodeText(doc.SelectNode(u"//x[. = 2]")), u"2");
}

// Field paths (//Group/field, //Group/list/item, //VERSION) are answered
// from an index of the document; each row checks the answer against the
// general evaluation of the same path and against the value it must find.
TEST(SerialXml, FieldPathsFindWhatTheFullPathFinds)
{
    struct Row {
        const char* xml;
        std::u16string path;
        std::u16string found;  // text of the node, "-" for none
    } rows[] = {
        {"<r><A><x>1</x></A><A><B>2</B></A></r>", u"//A/B", u"2"},
        {"<r><A><A><B>inner</B></A><B>outer</B></A></r>", u"//A/B", u"inner"},
        {"<r xmlns:p='urn:x'><A><p:B>ns</p:B><B>plain</B></A></r>", u"//A/B", u"plain"},
        {"<r><A xmlns='urn:y'><B>y</B></A><A><B>z</B></A></r>", u"//A/B", u"z"},
        {"<r><G><m><p0>0</p0><p1>1</p1></m></G><m><p1>x</p1></m></r>", u"//G/m/p1", u"1"},
        {"<r><A>text<B>b</B></A></r>", u"//A/C", u"-"},
        {"<r><A><B/></A></r>", u"//A/B", u""},
        {"<r><A><B>1</B></A></r>", u"//r/A/B", u"1"},
        {"<r xmlns:p='urn:x'><p:G><A><B>below</B></A></p:G></r>", u"//A/B", u"below"},
        {"<r xmlns:p='urn:x'><G><p:m><p1>n</p1></p:m><m><p1>p</p1></m></G></r>", u"//G/m/p1", u"p"},
        {"<r><G><m><p1>a</p1></m></G><X><G><m><p1>b</p1></m></G></X></r>", u"//X/G/m/p1", u"b"},
        {"<r><B><A>1</A></B><A>2</A></r>", u"//A", u"1"},
        {"<r xmlns:p='urn:x'><p:A>n</p:A><A>p</A></r>", u"//A", u"p"},
        {"<A>root<B/></A>", u"//A", u"root"},
    };
    test::TempDir dir;
    for (const Row& row : rows) {
        test::WriteBytes(dir / "doc.xml", row.xml);
        CSerialXml doc;
        ASSERT_TRUE(doc.Load((dir / "doc.xml").u16string())) << row.xml;
        const XmlNode node = doc.SelectNode(row.path);
        const XmlNode general = doc.SelectNode(u"(" + row.path + u")[1]");
        EXPECT_EQ(node ? doc.GetNodeText(node) : u"-", row.found) << row.xml;
        EXPECT_EQ(general ? doc.GetNodeText(general) : u"-", row.found) << row.xml;
    }
}

TEST(SerialXml, PathsSeeElementsAppendedAfterALookup)
{
    CSerialXml doc;
    const XmlNode root = doc.CreateElement(u"root");
    doc.AppendToDocument(root);
    const XmlNode first = doc.AppendChild(root, doc.CreateElement(u"g"));
    const XmlNode second = doc.AppendChild(root, doc.CreateElement(u"g"));
    doc.AppendChild(second, doc.CreateIntElement(u"x", 2));
    std::int32_t x = 0;
    doc.GetInt(u"//g/x", x);
    EXPECT_EQ(x, 2);
    doc.AppendChild(first, doc.CreateIntElement(u"x", 1));
    doc.GetInt(u"//g/x", x);
    EXPECT_EQ(x, 1);
}

TEST(SerialXml, AMissingNodeLeavesTheValueAndNamesThePath)
{
    OneValue v(u"1");
    std::int32_t value = 77;
    std::u16string text = u"kept";
    try {
        v.doc.GetInt(u"//DeviceData/vid", value);
        FAIL() << "no error";
    } catch (const MissingNodeError& e) {
        EXPECT_STREQ(e.what(), "Invalid XPath: //DeviceData/vid");
    }
    EXPECT_EQ(value, 77);
    EXPECT_THROW(v.doc.GetString(u"//w", text), MissingNodeError);
    EXPECT_EQ(text, u"kept");
    EXPECT_FALSE(v.doc.SelectNode(u"//w"));
    EXPECT_EQ(v.doc.GetNodeText(XmlNode()), u"");
}

TEST(SerialXml, LibraryMisuseIsAnXmlLibraryError)
{
    CSerialXml doc;
    const XmlNode root = doc.CreateElement(u"root");
    doc.AppendToDocument(root);
    const XmlNode child = doc.AppendChild(root, doc.CreateElement(u"child"));
    std::int32_t value = 5;
    EXPECT_THROW(doc.GetInt(u"//[", value), XmlLibraryError);
    EXPECT_THROW(doc.GetInt(u"count(//child)", value), XmlLibraryError);
    EXPECT_EQ(value, 5);
    EXPECT_THROW(doc.AppendToDocument(doc.CreateElement(u"second")), XmlLibraryError);
    EXPECT_THROW(doc.AppendChild(child, root), XmlLibraryError);
    EXPECT_THROW(doc.AppendChild(child, child), XmlLibraryError);
    EXPECT_THROW(doc.CreateElement(u"1bad name"), XmlLibraryError);

    CSerialXml other;
    EXPECT_THROW(doc.AppendChild(root, other.CreateElement(u"foreign")), XmlLibraryError);
}

// A transform the library stops carries the library's own reason, and
// nothing is written.
TEST(SerialXml, AFailedTransformSaysTheLibrarysReason)
{
    test::TempDir dir;
    CSerialXml doc;
    doc.AppendToDocument(doc.CreateElement(u"root"));
    const std::u16string stopping =
        u"<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
        u"<xsl:template match=\"/\"><xsl:message terminate=\"yes\">stopped by the stylesheet</xsl:message>"
        u"</xsl:template></xsl:stylesheet>";
    try {
        doc.SaveWithStylesheet((dir / "s.xml").u16string(), stopping);
        FAIL() << "no error";
    } catch (const XmlLibraryError& e) {
        EXPECT_STREQ(e.what(), "the transform failed: stopped by the stylesheet");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "s.xml"));
}

TEST(SerialXml, TextsXmlCannotCarryAreRefusedWhenCreated)
{
    CSerialXml doc;
    const std::u16string refused[] = {u"a\u0001b", std::u16string(1, u'\0'), std::u16string(1, char16_t(0xFFFF)),
                                      std::u16string(1, char16_t(0xD800)), u"x" + std::u16string(1, char16_t(0xDC00))};
    for (const auto& text : refused)
        EXPECT_THROW(doc.CreateStringElement(u"s", text), XmlLibraryError);
    EXPECT_NO_THROW(doc.CreateStringElement(u"s", u"tab\t line\n cr\r pair \U0001F600"));
}

TEST(SerialXml, SavingWritesTheIndentedDocumentAndLeavesItUnchanged)
{
    test::TempDir dir;
    CSerialXml doc;
    const XmlNode root = doc.CreateElement(u"root");
    doc.AppendToDocument(root);
    const XmlNode group = doc.AppendChild(root, doc.CreateElement(u"group"));
    doc.AppendChild(group, doc.CreateStringElement(u"s", u"a < b & \"c\""));
    doc.AppendChild(group, doc.CreateHexWordElement(u"h", 0x1F3A));

    // An identity transform without indentation shows the document as it is.
    const std::u16string plain =
        u"<xsl:stylesheet version='1.0' xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
        u"<xsl:template match='@*|node()'><xsl:copy><xsl:apply-templates select='@*|node()'/></xsl:copy>"
        u"</xsl:template></xsl:stylesheet>";
    ASSERT_TRUE(doc.SaveWithStylesheet((dir.path() / "before.xml").u16string(), plain));
    ASSERT_TRUE(doc.SaveWithStylesheet((dir.path() / "indented.xml").u16string(), Stylesheet()));
    ASSERT_TRUE(doc.SaveWithStylesheet((dir.path() / "after.xml").u16string(), plain));

    const std::string before = test::ReadBytes(dir / "before.xml");
    EXPECT_NE(before.find("<root><group><s>\"a &lt; b &amp; \"c\"\"</s><h>1F3A</h></group></root>"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(dir / "after.xml"), before);
    EXPECT_NE(test::ReadBytes(dir / "indented.xml").find("<root>\n  <group>\n    <s>"), std::string::npos);

    CSerialXml loaded;
    ASSERT_TRUE(loaded.Load((dir.path() / "indented.xml").u16string()));
    std::u16string s;
    loaded.GetString(u"//group/s", s);
    EXPECT_EQ(s, u"a < b & \"c\"");
}

TEST(SerialXml, SavingFailsOnABadStylesheetOrAnUnwritablePath)
{
    test::TempDir dir;
    CSerialXml doc;
    doc.AppendToDocument(doc.CreateElement(u"root"));
    const std::u16string target = (dir.path() / "out.xml").u16string();
    EXPECT_FALSE(doc.SaveWithStylesheet(target, u""));
    EXPECT_FALSE(doc.SaveWithStylesheet(target, u"<xsl:stylesheet"));
    EXPECT_FALSE(doc.SaveWithStylesheet(target, u"<root/>"));
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_THROW(doc.SaveWithStylesheet((dir.path() / "missing/out.xml").u16string(), Stylesheet()), XmlLibraryError);
}

TEST(SerialXml, ALoadThatFailsKeepsTheDocument)
{
    test::TempDir dir;
    OneValue v(u"9");
    test::WriteBytes(dir / "bad.xml", "<root><v>1</v>");
    EXPECT_FALSE(v.doc.Load((dir.path() / "bad.xml").u16string()));
    std::int32_t value = 0;
    v.doc.GetInt(u"//v", value);
    EXPECT_EQ(value, 9);
}

}  // namespace
}  // namespace kr
