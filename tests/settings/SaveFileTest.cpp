// SPDX-License-Identifier: MIT
#include "settings/SaveFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <random>
#include <regex>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <libxml/parser.h>

#include "model/FieldTable.h"
#include "platform/NumberText.h"
#include "platform/PathText.h"
#include "platform/Utf.h"
#include "support/DefaultSaveFile.h"
#include "support/Golden.h"
#include "support/TempDir.h"

namespace kr {
namespace {

const std::u16string kNotLoadable = u"\n\nThe file does not exist, or the file format is invalid.";
const std::u16string kUnsupported = u"\n\nThe file version is unsupported.";
const std::u16string kIncomplete = u"\n\nThe file is missing configuration settings.";

std::string SavedText(const ConfigurationSettings& settings)
{
    test::TempDir dir;
    std::u16string error;
    EXPECT_TRUE(SaveSettings((dir / "s.kcw").u16string(), settings, error));
    return test::ReadBytes(dir / "s.kcw");
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// A record of random values in every field the table has, including the
// awkward cases: -1 list positions, extreme numbers, markup, quotes and
// characters beyond ASCII in the texts.
ConfigurationSettings RandomRecord(std::mt19937& random)
{
    const auto anyInt = [&] {
        const std::int32_t specials[] = {-1, 0, 1, INT32_MIN, INT32_MAX};
        return random() % 3 == 0 ? specials[random() % 5] : static_cast<std::int32_t>(random());
    };
    const auto text = [&] {
        static const std::u16string pieces[] = {u"\"",     u"&",          u"<",       u">",    u"&amp;",
                                                u"]]>",    u" ",          u"\t",      u"\r\n", u"\u00E9",
                                                u"\u4E2D", u"\U0001F600", u"C:\\x\\", u"/tmp/"};
        std::u16string out;
        const auto count = random() % 8;
        for (unsigned i = 0; i < count; ++i)
            out += pieces[random() % std::size(pieces)];
        return out;
    };

    ConfigurationSettings s;
    for (const FieldRow& row : FieldTable())
        std::visit(
            [&](auto* field) {
                using Field = std::remove_pointer_t<decltype(field)>;
                if constexpr (std::is_same_v<Field, std::u16string>)
                    *field = text();
                else if constexpr (std::is_same_v<Field, std::int32_t>)
                    *field = anyInt();
                else
                    *field = static_cast<Field>(random());
            },
            FieldIn(row, s));
    return s;
}

// A table whose later rows came in later versions, as a table gets them:
// what is written and read back by version.
FieldRows LaterTable()
{
    FieldRows table = FieldTable();
    for (FieldRow& row : table) {
        if (row.path == u"TouchData/bConfidence" || row.path == u"GpioData/values/pin3")
            row.since = 0x0101;
        if (row.path == u"MouseData/numButtons")
            row.since = 0x0102;
    }
    return table;
}

TEST(SaveFile, RecordsLoadBackEqualInEveryField)
{
    test::TempDir dir;
    std::mt19937 random(7610);
    const FieldRows later = LaterTable();
    for (int i = 0; i < 50; ++i) {
        // A file's name is bytes, UTF-8 or not.
        const std::filesystem::path path = dir / (i % 2 ? "round trip.kcw" : "round trip \xE9.kcw");
        const ConfigurationSettings saved = RandomRecord(random);
        // Whatever version a table writes, it reads back.
        const FieldRows& table = i % 3 ? FieldTable() : later;
        std::u16string error = u"stale";
        ASSERT_TRUE(SaveSettings(path, saved, error, table));
        EXPECT_EQ(error, u"");

        ConfigurationSettings loaded;
        ASSERT_TRUE(LoadSettings(path, loaded, error, nullptr, table)) << test::ReadBytes(path);
        ASSERT_EQ(error, u"");
        ASSERT_TRUE(loaded == saved) << test::ReadBytes(path);
    }
}

TEST(SaveFile, TheDefaultRecordIsWrittenAsTheDefaultSaveFile)
{
    const std::string text = SavedText(ConfigurationSettings{});
    EXPECT_EQ(text, test::Golden(test::DefaultSaveFile(), text));

    xmlDoc* doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr, XML_PARSE_NONET);
    ASSERT_NE(doc, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(xmlDocGetRootElement(doc)->name), "Touch_Config_Wizard_Save");
    xmlFreeDoc(doc);

    // Indented: one element per line, each deeper than the element it is in.
    std::istringstream lines(text);
    std::string line;
    std::vector<std::size_t> open;
    const std::regex element(R"(( *)<(/?)([A-Za-z_0-9]+)>(.*</[A-Za-z_0-9]+>)?)");
    while (std::getline(lines, line)) {
        std::smatch m;
        if (line.rfind("<?xml", 0) == 0)
            continue;
        ASSERT_TRUE(std::regex_match(line, m, element)) << line;
        const std::size_t indent = m[1].length();
        if (m[2].length()) {
            ASSERT_FALSE(open.empty());
            EXPECT_EQ(indent, open.back()) << line;
            open.pop_back();
            continue;
        }
        if (!open.empty()) {
            EXPECT_GT(indent, open.back()) << line;
        }
        if (!m[4].matched)
            open.push_back(indent);
    }
    EXPECT_TRUE(open.empty());
}

// "; this program reads versions up to 0x0100." for the newest version the
// table knows.
std::u16string NewestLine()
{
    return u"; this program reads versions up to " + platform::FormatHexLiteral(NewestSaveFileVersion(), 4) + u".";
}

TEST(SaveFile, VersionsUpToTheNewestAreAccepted)
{
    test::TempDir dir;
    const std::string text = SavedText(ConfigurationSettings{});
    const std::string version = "<SAVE_FILE_VERSION>0100</SAVE_FILE_VERSION>";
    const std::u16string newest = NewestLine();
    char next[8];
    std::snprintf(next, sizeof next, "%04X", NewestSaveFileVersion() + 1u);
    const struct {
        std::string element;
        std::u16string refusal;  // the line after the message; empty when accepted
    } cases[] = {
        {version, u""},
        {"<SAVE_FILE_VERSION>0000</SAVE_FILE_VERSION>", u""},
        {"<SAVE_FILE_VERSION></SAVE_FILE_VERSION>", u""},
        {"<SAVE_FILE_VERSION>100</SAVE_FILE_VERSION>", u""},
        {"<SAVE_FILE_VERSION>0x00ff</SAVE_FILE_VERSION>", u""},
        {std::string("<SAVE_FILE_VERSION>") + next + "</SAVE_FILE_VERSION>",
         u"The file is version 0x" + platform::FromUtf8(next) + newest},
        {"<SAVE_FILE_VERSION>0200</SAVE_FILE_VERSION>", u"The file is version 0x0200" + newest},
        {"<SAVE_FILE_VERSION>FFFF</SAVE_FILE_VERSION>", u"The file is version 0xFFFF" + newest},
        {"<SAVE_FILE_VERSION>10100</SAVE_FILE_VERSION>", u"The file is version 0x00010100" + newest},
        {"<SAVE_FILE_VERSION>-1</SAVE_FILE_VERSION>", u"The file is version 0xFFFFFFFF" + newest},
        {"", u"The file states no version" + newest},
    };
    const std::u16string path = (dir / "v.kcw").u16string();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.element);
        test::WriteBytes(dir / "v.kcw", Replaced(text, version, c.element));
        ConfigurationSettings settings;
        settings.mouse.numButtons = 5;
        std::u16string error;
        const bool accepted = c.refusal.empty();
        EXPECT_EQ(LoadSettings(path, settings, error), accepted);
        EXPECT_EQ(error, accepted ? u"" : u"Failed to load settings from:\n" + path + kUnsupported + u"\n" + c.refusal);
        EXPECT_EQ(settings.mouse.numButtons, accepted ? 1 : 5);
    }
}

TEST(SaveFile, ANewerVersionIsReportedBeforeMissingFields)
{
    test::TempDir dir;
    std::string text = SavedText(ConfigurationSettings{});
    text = Replaced(text, "<SAVE_FILE_VERSION>0100", "<SAVE_FILE_VERSION>0200");
    text = Replaced(text, "<numButtons>1</numButtons>", "");
    test::WriteBytes(dir / "v.kcw", text);
    ConfigurationSettings settings;
    std::u16string error;
    EXPECT_FALSE(LoadSettings((dir / "v.kcw").u16string(), settings, error));
    EXPECT_EQ(error, u"Failed to load settings from:\n" + (dir / "v.kcw").u16string() + kUnsupported
                         + u"\nThe file is version 0x0200" + NewestLine());
}

TEST(SaveFile, AFileMissingFieldsIsRefusedNamingThemAndLeavesTheRecord)
{
    test::TempDir dir;
    ConfigurationSettings inFile;
    inFile.mouse.bMouse = 0;
    inFile.device.product = u"From file";
    const std::string text = SavedText(inFile);
    const std::u16string path = (dir / "m.kcw").u16string();

    // A KR7610 has seven pins, but a file still needs all sixteen.
    std::string sevenPins = text;
    for (int pin = 7; pin < kPinCount; ++pin) {
        const std::string p = std::to_string(pin);
        sevenPins = Replaced(sevenPins, "<pin" + p + ">0</pin" + p + ">", "");
    }
    const struct {
        std::string text;
        std::u16string missing;
    } cases[] = {
        {Replaced(text, "<numButtons>1</numButtons>", ""), u"MouseData/numButtons."},
        {Replaced(Replaced(text, "<vid>1F3A</vid>", ""), "<numButtons>1</numButtons>", ""),
         u"DeviceData/vid, MouseData/numButtons."},
        {sevenPins, u"GpioData/modes/pin7, GpioData/modes/pin8, GpioData/modes/pin9, GpioData/modes/pin10, "
                    u"GpioData/modes/pin11 and 4 more."},
    };
    for (const auto& c : cases) {
        test::WriteBytes(dir / "m.kcw", c.text);
        ConfigurationSettings settings;
        settings.mouse.numButtons = 7;
        const ConfigurationSettings before = settings;
        std::u16string error;
        EXPECT_FALSE(LoadSettings(path, settings, error));
        EXPECT_EQ(error, u"Failed to load settings from:\n" + path + kIncomplete + u"\nMissing fields: " + c.missing);
        EXPECT_TRUE(settings == before);
    }
}

TEST(SaveFile, AFileIsWrittenInTheOldestVersionThatHoldsIt)
{
    const FieldRows table = LaterTable();
    const struct {
        const char* name;
        void (*change)(ConfigurationSettings&);
        std::uint16_t version;
        std::vector<std::string> absent;  // elements of later fields the file lacks
    } cases[] = {
        {"defaults", [](ConfigurationSettings&) {}, 0x0100, {"<bConfidence>", "<numButtons>", "<pin3>1</pin3>"}},
        {"an older field changed",
         [](ConfigurationSettings& s) { s.touch.bPressure = 1; },
         0x0100,
         {"<bConfidence>", "<numButtons>"}},
        {"a 0101 field changed", [](ConfigurationSettings& s) { s.gpio.values[3] = 0; }, 0x0101, {"<numButtons>"}},
        {"a 0102 field changed", [](ConfigurationSettings& s) { s.mouse.numButtons = 3; }, 0x0102, {}},
        {"both", [](ConfigurationSettings& s) { s.mouse.numButtons = 3, s.touch.bConfidence = 1; }, 0x0102, {}},
    };
    test::TempDir dir;
    const auto path = dir / "w.kcw";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ConfigurationSettings saved;
        c.change(saved);
        EXPECT_EQ(VersionHolding(saved, table), c.version);
        std::u16string error;
        ASSERT_TRUE(SaveSettings(path, saved, error, table));
        const std::string text = test::ReadBytes(path);
        char element[32];
        std::snprintf(element, sizeof element, "<SAVE_FILE_VERSION>%04X<", c.version);
        EXPECT_NE(text.find(element), std::string::npos);
        for (const std::string& element : c.absent)
            EXPECT_EQ(text.find(element), std::string::npos) << element;
        ConfigurationSettings loaded;
        loaded.touch.bConfidence = 1;
        loaded.mouse.numButtons = 8;
        std::uint16_t version = 0;
        ASSERT_TRUE(LoadSettings(path, loaded, error, &version, table)) << platform::ToUtf8(error);
        EXPECT_EQ(version, c.version);
        EXPECT_TRUE(loaded == saved);
        // A program that reads only the first version refuses a later one.
        FieldRows firstOnly = table;
        std::erase_if(firstOnly, [](const FieldRow& row) { return row.since > kFirstSaveFileVersion; });
        EXPECT_EQ(LoadSettings(path, loaded, error, nullptr, firstOnly), c.version == kFirstSaveFileVersion);
    }
}

// The first field of version 0x0101: on, it raises the file's version; off,
// the file is a 0x0100 file without it, which loads with it off.
TEST(SaveFile, TheTouchContactCountComesWithVersion0101)
{
    ConfigurationSettings on;
    on.touch.bContactCount = 1;
    const std::string onText = SavedText(on);
    EXPECT_NE(onText.find("<SAVE_FILE_VERSION>0101<"), std::string::npos);
    EXPECT_NE(onText.find("<bContactCount>1</bContactCount>"), std::string::npos);
    const std::string offText = SavedText(ConfigurationSettings{});
    EXPECT_EQ(offText.find("<bContactCount>"), std::string::npos);

    test::TempDir dir;
    const auto path = dir / "c.kcw";
    const struct {
        std::string file;
        std::u16string refusal;  // the added line; empty when accepted
        std::int32_t contactCount;
    } cases[] = {
        {onText, u"", 1},
        {offText, u"", 0},
        {Replaced(offText, "<SAVE_FILE_VERSION>0100", "<SAVE_FILE_VERSION>0101"),
         u"Missing fields: TouchData/bContactCount.", 1},
    };
    for (const auto& c : cases) {
        test::WriteBytes(path, c.file);
        ConfigurationSettings loaded = on;
        std::u16string error;
        EXPECT_EQ(LoadSettings(path, loaded, error), c.refusal.empty());
        EXPECT_TRUE(error.ends_with(c.refusal)) << platform::ToUtf8(error);
        EXPECT_EQ(loaded.touch.bContactCount, c.contactCount);
    }
}

TEST(SaveFile, FieldsOfLaterVersionsMayBeAbsentFromOlderFiles)
{
    const FieldRows table = LaterTable();
    ConfigurationSettings inFile;
    inFile.touch.bConfidence = 1;
    inFile.mouse.numButtons = 3;
    test::TempDir dir;
    const auto path = dir / "r.kcw";
    std::u16string error;
    ASSERT_TRUE(SaveSettings(path, inFile, error, table));
    const std::string text = test::ReadBytes(path);
    const std::string noConfidence = Replaced(text, "<bConfidence>1</bConfidence>", "");
    const std::string neither = Replaced(noConfidence, "<numButtons>3</numButtons>", "");
    const auto as = [](std::string file, const char* version) {
        return Replaced(file, "<SAVE_FILE_VERSION>0102", std::string("<SAVE_FILE_VERSION>") + version);
    };
    const struct {
        const char* name;
        std::string file;
        std::u16string refusal;  // the added line; empty when accepted
        std::int32_t confidence;
        std::int32_t buttons;
    } cases[] = {
        {"0100 without either", as(neither, "0100"), u"", 0, 1},
        {"0100 holding both", as(text, "0100"), u"", 1, 3},
        {"0101 without numButtons", as(Replaced(text, "<numButtons>3</numButtons>", ""), "0101"), u"", 1, 1},
        {"0101 without bConfidence", as(noConfidence, "0101"), u"Missing fields: TouchData/bConfidence.", 0, 0},
        {"0102 without either", neither, u"Missing fields: TouchData/bConfidence, MouseData/numButtons.", 0, 0},
        {"0103", as(text, "0103"), u"The file is version 0x0103; this program reads versions up to 0x0102.", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::WriteBytes(path, c.file);
        ConfigurationSettings loaded;
        loaded.touch.bConfidence = 1;
        loaded.mouse.numButtons = 7;
        const bool accepted = c.refusal.empty();
        EXPECT_EQ(LoadSettings(path, loaded, error, nullptr, table), accepted);
        if (accepted) {
            EXPECT_EQ(loaded.touch.bConfidence, c.confidence);
            EXPECT_EQ(loaded.mouse.numButtons, c.buttons);
        } else {
            EXPECT_TRUE(error.ends_with(u"\n" + c.refusal)) << platform::ToUtf8(error);
        }
    }
}

TEST(SaveFile, ElementsAreFoundWhereverTheyStand)
{
    test::TempDir dir;
    const std::u16string path = (dir / "a.kcw").u16string();
    std::string text = SavedText(ConfigurationSettings{});
    text = Replaced(text, "Touch_Config_Wizard_Save>", "Other>");
    text = Replaced(text, "Touch_Config_Wizard_Save>", "Other>");
    text = Replaced(text, "<Settings>", "<Settings/><Unknown><x>1</x></Unknown>");
    text = Replaced(text, "</Settings>", "");
    // An earlier duplicate wins over the original.
    text =
        Replaced(text, "<SAVE_FILE_VERSION>", "<MouseData><numButtons>4</numButtons></MouseData><SAVE_FILE_VERSION>");
    // A group moved inside another still matches its paths.
    text = Replaced(text, "<ScreenData>", "<Wrapper><ScreenData>");
    text = Replaced(text, "</ScreenData>", "</ScreenData></Wrapper>");
    test::WriteBytes(dir / "a.kcw", text);

    ConfigurationSettings settings;
    std::u16string error;
    ASSERT_TRUE(LoadSettings(path, settings, error)) << text;
    ConfigurationSettings expected;
    expected.mouse.numButtons = 4;
    EXPECT_TRUE(settings == expected);
}

TEST(SaveFile, NumbersAreTakenAsTheyReadWithoutRangeChecks)
{
    test::TempDir dir;
    std::string text = SavedText(ConfigurationSettings{});
    text = Replaced(text, "<numButtons>1<", "<numButtons>99<");
    text = Replaced(text, "<width_mm>102<", "<width_mm>70000<");
    text = Replaced(text, "<height_mm>77<", "<height_mm>0<");
    text = Replaced(text, "<vid>1F3A<", "<vid>0x1f3b<");
    text = Replaced(text, "<spiClk>100000<", "<spiClk>fast<");
    text = Replaced(text, "<projectPath>\"\"<", "<projectPath>/no/quotes/<");
    text = Replaced(text, "<product>\"KR761x Touch Device\"<", "<product> \"padded\"<");
    test::WriteBytes(dir / "n.kcw", text);

    ConfigurationSettings settings;
    std::u16string error;
    ASSERT_TRUE(LoadSettings((dir / "n.kcw").u16string(), settings, error));
    EXPECT_EQ(settings.mouse.numButtons, 99);
    EXPECT_EQ(settings.screen.width_mm, 4464);
    EXPECT_EQ(settings.screen.height_mm, 0);
    EXPECT_EQ(settings.device.vid, 0x1F3B);
    EXPECT_EQ(settings.communication.spiClk, 0u);
    EXPECT_EQ(settings.project.projectPath, u"/no/quotes/");
    EXPECT_EQ(settings.device.product, u" \"padded");
}

TEST(SaveFile, FilesFromOtherToolsLoad)
{
    test::TempDir dir;
    ConfigurationSettings saved;
    saved.device.manufacturer = u"M\u00FCller & S\u00F6hne \u65E5\u672C";
    saved.project.projectPath = u"/home/\u00E5sa/projects/";
    const std::string text = SavedText(saved);
    const std::string withoutDeclaration = text.substr(text.find('<', 1));
    const std::string compact = std::regex_replace(withoutDeclaration, std::regex(">\\s+<"), "><");
    const std::string crlfTabs =
        std::regex_replace(std::regex_replace(text, std::regex("\n"), "\r\n"), std::regex("  "), "\t");

    // The same record as ISO-8859-1; the Japanese text cannot be, so it goes.
    ConfigurationSettings latin = saved;
    latin.device.manufacturer = u"M\u00FCller & S\u00F6hne";
    const std::string latinText =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"
        + Replaced(Replaced(withoutDeclaration, "M\xC3\xBCller &amp; S\xC3\xB6hne \xE6\x97\xA5\xE6\x9C\xAC",
                            "M\xFCller &amp; S\xF6hne"),
                   "/home/\xC3\xA5sa/", "/home/\xE5sa/");

    const struct {
        const char* name;
        std::string bytes;
        const ConfigurationSettings& expected;
    } files[] = {
        {"no declaration", withoutDeclaration, saved},
        {"no indentation", compact, saved},
        {"CR LF and tabs", crlfTabs, saved},
        {"byte order mark", "\xEF\xBB\xBF" + text, saved},
        {"bare document type", "<!DOCTYPE Touch_Config_Wizard_Save>" + compact, saved},
        {"ISO-8859-1", latinText, latin},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        test::WriteBytes(dir / "o.kcw", file.bytes);
        ConfigurationSettings settings;
        std::u16string error;
        ASSERT_TRUE(LoadSettings((dir / "o.kcw").u16string(), settings, error));
        EXPECT_TRUE(settings == file.expected);
    }
}

TEST(SaveFile, AFailedSaveLeavesTheOldFileAsItWas)
{
    test::TempDir dir;
    const std::string old = SavedText(ConfigurationSettings{});
    ConfigurationSettings changed;
    changed.device.vid = 0x1234;

    const auto readOnly = dir / "read-only.kcw";
    test::WriteBytes(readOnly, old);
    ::chmod(readOnly.c_str(), 0444);
    const std::filesystem::path folder = dir / "folder.kcw";
    std::filesystem::create_directory(folder);

    // The system's reason follows on a line of its own, with the path it
    // concerns.
    const struct {
        std::filesystem::path target;
        std::u16string reason;
    } cases[] = {
        {readOnly, readOnly.u16string() + u": Permission denied"},
        {dir / "missing" / "new.kcw", (dir / "missing").u16string() + u": No such file or directory"},
        {folder, folder.u16string() + u": Is a directory"},
    };
    for (const auto& c : cases) {
        std::u16string error;
        EXPECT_FALSE(SaveSettings(c.target.u16string(), changed, error));
        EXPECT_EQ(error, u"Failed to save settings to:\n" + c.target.u16string() + u"\n" + c.reason);
    }
    EXPECT_EQ(test::ReadBytes(readOnly), old);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(SaveFile, ARecordThatCouldNotLoadAgainFailsTheSaveInsteadOfWritingAFile)
{
    test::TempDir dir;
    const auto target = dir / "c.kcw";
    const std::string old = SavedText(ConfigurationSettings{});
    const struct {
        const char* name;
        std::u16string product;
        std::u16string projectPath;
        std::u16string reason;
    } cases[] = {
        {"a character XML cannot carry", u"bell\u0007", u"",
         u"the text of element product holds a character XML cannot carry"},
        {"a file above the size cap", std::u16string(kMaxSaveFileBytes / 4, u'<'), u"",
         u"the document is larger than a save file may be"},
        // A project folder named by bytes that are not UTF-8 is no text a
        // save file can hold; it is refused rather than written changed.
        {"a project folder that is not UTF-8", u"", platform::PathAsText(std::string("/out/caf\xE9/")),
         u"the text of element projectPath holds a character XML cannot carry"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::WriteBytes(target, old);
        ConfigurationSettings settings;
        settings.device.product = c.product;
        settings.project.projectPath = c.projectPath;
        std::u16string error;
        EXPECT_FALSE(SaveSettings(target.u16string(), settings, error));
        EXPECT_EQ(error, u"Failed to save settings to:\n" + target.u16string() + u"\n" + c.reason);
        EXPECT_EQ(test::ReadBytes(target), old);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

// Files up to the cap are read; a larger one is refused by its size before
// anything is read, however large it claims to be.
TEST(SaveFile, FilesUpToTheSizeCapLoad)
{
    test::TempDir dir;
    const auto file = dir / "big.kcw";
    const std::string text = SavedText(ConfigurationSettings{});
    const std::size_t at = text.find("<Touch");
    constexpr std::uintmax_t kSparse = std::uintmax_t{64} << 30;
    const struct {
        const char* name;
        std::uintmax_t size;
        bool accepted;
    } cases[] = {
        {"at the cap", kMaxSaveFileBytes, true},
        {"one byte above", kMaxSaveFileBytes + 1, false},
        {"64 GiB, sparse", kSparse, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = text;
        bytes.insert(at, std::min<std::uintmax_t>(c.size, kMaxSaveFileBytes + 1) - text.size(), ' ');
        test::WriteBytes(file, bytes);
        if (c.size > bytes.size())
            std::filesystem::resize_file(file, c.size);
        ASSERT_EQ(std::filesystem::file_size(file), c.size);
        ConfigurationSettings settings;
        settings.mouse.numButtons = 5;
        std::u16string error;
        EXPECT_EQ(LoadSettings(file.u16string(), settings, error), c.accepted);
        EXPECT_EQ(error, c.accepted ? u""
                                    : u"Failed to load settings from:\n" + file.u16string() + kNotLoadable + u"\n"
                                          + file.u16string() + u": File too large");
        EXPECT_EQ(settings.mouse.numButtons, c.accepted ? 1 : 5);
    }
}

// A save killed at any moment leaves either the old or the new file, whole.
TEST(SaveFile, AnInterruptedSaveLeavesACompleteFile)
{
    test::TempDir dir;
    const std::u16string path = (dir / "k.kcw").u16string();
    ConfigurationSettings first;
    ConfigurationSettings second;
    second.device.manufacturer = std::u16string(20000, u'x');
    std::u16string error;
    ASSERT_TRUE(SaveSettings(path, first, error));

    std::mt19937 random(42);
    for (int round = 0; round < 10; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) {
                std::u16string childError;
                SaveSettings(path, i % 2 ? first : second, childError);
            }
        }
        ::usleep(static_cast<useconds_t>(random() % 20000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        ConfigurationSettings loaded;
        ASSERT_TRUE(LoadSettings(path, loaded, error)) << "round " << round;
        EXPECT_TRUE(loaded == first || loaded == second);
    }
}

TEST(SaveFile, LoadsRunOnSeveralThreadsAtOnce)
{
    test::TempDir dir;
    std::mt19937 random(5);
    const ConfigurationSettings saved = RandomRecord(random);
    const std::u16string path = (dir / "t.kcw").u16string();
    std::u16string error;
    ASSERT_TRUE(SaveSettings(path, saved, error));

    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i) {
                ConfigurationSettings loaded;
                std::u16string threadError;
                if (LoadSettings(path, loaded, threadError) && loaded == saved)
                    ++good;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(good, 80);
}

}  // namespace
}  // namespace kr
