// SPDX-License-Identifier: MIT
// The save-file loader on any bytes.
//
// Properties: a load either succeeds with no error text or fails with one of
// the loader's three messages, leaving the record untouched when the file is
// refused before its fields are read; whatever loads saves, loads again to
// an equal record, and saves again to the same bytes, leaving no temporary
// file behind.

#include <string>

#include "fuzz/FuzzSupport.h"
#include "model/ConfigurationSettings.h"
#include "settings/SaveFile.h"
#include "settings/SaveFileSize.h"

namespace {

bool Load(const std::filesystem::path& path, kr::ConfigurationSettings& settings, std::u16string& error)
{
    return kr::LoadSettings(path.u16string(), settings, error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path folder = kr::fuzz::WorkFolder();
    const auto input = folder / "input.kcw";
    kr::fuzz::WriteFile(input, std::string_view(reinterpret_cast<const char*>(data), size));

    // A record no file would give, to see what a refused load leaves behind.
    kr::ConfigurationSettings before;
    before.device.product = u"\u0001 not from a file";
    kr::ConfigurationSettings loaded = before;
    std::u16string error;
    if (!Load(input, loaded, error)) {
        const std::u16string head = u"Failed to load settings from:\n" + input.u16string() + u"\n\n";
        const std::u16string invalidText = head + u"The file does not exist, or the file format is invalid.";
        // A file above the cap is refused by its size, which the next line says.
        const bool invalid = size > kr::kMaxSaveFileBytes
                                 ? error == invalidText + u"\n" + input.u16string() + u": File too large"
                                 : error == invalidText;
        // A refusal by version or by missing fields has one line more, naming
        // the versions or the fields.
        const auto withLine = [&](std::u16string_view first) {
            const std::u16string start = head + std::u16string(first) + u"\n";
            return error.starts_with(start) && error.size() > start.size()
                   && error.find(u'\n', start.size()) == std::u16string::npos;
        };
        const bool unsupported = withLine(u"The file version is unsupported.");
        KR_FUZZ_CHECK(invalid || unsupported || withLine(u"The file is missing configuration settings."));
        KR_FUZZ_CHECK(loaded == before);
        return 0;
    }
    KR_FUZZ_CHECK(error.empty());

    // A text the file holds once may fill all three string fields, and each
    // markup character in it is written as an entity of four bytes: only a
    // file well below the cap is sure to save within it.
    if (size > kr::kMaxSaveFileBytes / 16)
        return 0;

    const auto first = folder / "first.kcw";
    const auto second = folder / "second.kcw";
    KR_FUZZ_CHECK(kr::SaveSettings(first.u16string(), loaded, error));
    kr::ConfigurationSettings reloaded;
    KR_FUZZ_CHECK(Load(first, reloaded, error));
    KR_FUZZ_CHECK(reloaded == loaded);
    KR_FUZZ_CHECK(kr::SaveSettings(second.u16string(), reloaded, error));
    KR_FUZZ_CHECK(kr::fuzz::ReadFile(second) == kr::fuzz::ReadFile(first));
    KR_FUZZ_CHECK(kr::fuzz::EntryCount(folder) == 3);
    return 0;
}
