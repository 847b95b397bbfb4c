// SPDX-License-Identifier: MIT
// Save files come from anywhere: whatever a file holds, loading it either
// succeeds or fails with the load message, reads nothing else from the
// machine, and prints nothing.

#include "settings/SaveFile.h"

#include <gtest/gtest.h>

#include <random>
#include <sys/stat.h>

#include "support/TempDir.h"

namespace kr {
namespace {

std::string ValidFile()
{
    test::TempDir dir;
    std::u16string error;
    EXPECT_TRUE(SaveSettings((dir / "v.kcw").u16string(), ConfigurationSettings{}, error));
    return test::ReadBytes(dir / "v.kcw");
}

// The valid file with its product text replaced by a reference to an entity
// declared in the given document type.
std::string WithEntity(const std::string& doctype, const std::string& reference)
{
    std::string text = ValidFile();
    text.erase(0, text.find("<Touch"));
    const std::string product = "\"KR761x Touch Device\"";
    text.replace(text.find(product), product.size(), "\"" + reference + "\"");
    return doctype + "\n" + text;
}

std::string BillionLaughs()
{
    std::string doctype = "<!DOCTYPE Touch_Config_Wizard_Save [\n<!ENTITY lol0 \"lol\">\n";
    for (int i = 1; i < 10; ++i) {
        doctype += "<!ENTITY lol" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j)
            doctype += "&lol" + std::to_string(i - 1) + ";";
        doctype += "\">\n";
    }
    return WithEntity(doctype + "]>", "&lol9;");
}

TEST(HostileFile, IsRefusedWithTheLoadMessageAndLeavesTheRecordAlone)
{
    test::TempDir dir;
    const std::string secret = "TOP-SECRET-4711";
    test::WriteBytes(dir / "secret.txt", secret);
    const std::string secretUrl = "file://" + (dir / "secret.txt").string();
    test::WriteBytes(dir / "secret.dtd", "<!ENTITY xxe SYSTEM \"" + secretUrl + "\">");
    const std::string valid = ValidFile();

    std::mt19937 random(1);
    std::string binary(4096, '\0');
    for (auto& byte : binary)
        byte = static_cast<char>(random());
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    std::string huge = valid;
    huge.insert(huge.find("<Touch"), 17 * 1024 * 1024, ' ');

    const struct {
        const char* name;
        std::string bytes;
    } files[] = {
        {"empty", ""},
        {"not XML", "Just some notes about the touch screen.\n"},
        {"truncated", valid.substr(0, valid.size() / 2)},
        {"binary", binary},
        {"invalid UTF-8",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Touch_Config_Wizard_Save>\xC3\x28\xFF</Touch_Config_Wizard_Save>"},
        {"UTF-16 declared over 8-bit bytes",
         "<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + valid.substr(valid.find("<Touch"))},
        {"deeply nested", deep},
        {"huge", huge},
        {"billion laughs", BillionLaughs()},
        {"external entity",
         WithEntity("<!DOCTYPE Touch_Config_Wizard_Save [<!ENTITY xxe SYSTEM \"" + secretUrl + "\">]>", "&xxe;")},
        {"parameter entity",
         WithEntity("<!DOCTYPE Touch_Config_Wizard_Save [<!ENTITY % p SYSTEM \"" + secretUrl + "\"> %p;]>", "x")},
        {"external DTD",
         WithEntity("<!DOCTYPE Touch_Config_Wizard_Save SYSTEM \"" + (dir / "secret.dtd").string() + "\">", "&xxe;")},
        {"internal entity", WithEntity("<!DOCTYPE Touch_Config_Wizard_Save [<!ENTITY name \"Name\">]>", "&name;")},
        {"undeclared entity", WithEntity("", "&xxe;")},
    };

    ConfigurationSettings untouched;
    untouched.device.product = u"caller's own";
    testing::internal::CaptureStderr();
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        const auto path = dir / "hostile.kcw";
        test::WriteBytes(path, file.bytes);
        ConfigurationSettings settings = untouched;
        std::u16string error;
        EXPECT_FALSE(LoadSettings(path.u16string(), settings, error));
        // Only a file refused before parsing has a reason of the system's.
        EXPECT_EQ(error,
                  u"Failed to load settings from:\n" + path.u16string()
                      + u"\n\nThe file does not exist, or the file format is invalid."
                      + (file.name == std::string("huge") ? u"\n" + path.u16string() + u": File too large" : u""));
        EXPECT_TRUE(settings == untouched);
    }

    // Paths that name no readable file at all, the named pipe included: a
    // load must not wait for a writer that never comes.
    ::mkfifo((dir / "pipe.kcw").c_str(), 0600);
    const struct {
        std::filesystem::path path;
        const char16_t* reason;  // the system's, on the line below the message
    } paths[] = {
        {dir / "missing.kcw", u"No such file or directory"},
        {dir.path(), u"Is a directory"},
        {dir / "pipe.kcw", u"Not a regular file"},
        {"/dev/zero", u"Not a regular file"},
    };
    for (const auto& [path, reason] : paths) {
        SCOPED_TRACE(path.string());
        ConfigurationSettings settings = untouched;
        std::u16string error;
        EXPECT_FALSE(LoadSettings(path.u16string(), settings, error));
        EXPECT_EQ(error, u"Failed to load settings from:\n" + path.u16string()
                             + u"\n\nThe file does not exist, or the file format is invalid.\n" + path.u16string()
                             + u": " + reason);
        EXPECT_TRUE(settings == untouched);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace kr
