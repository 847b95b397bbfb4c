// SPDX-License-Identifier: MIT
#pragma once
// Writing one firmware project: every template of the chosen toolchain,
// expanded against the switches and keys of the configuration, into the
// project folder.

#include <array>
#include <span>
#include <string>

#include "generator/GeneratedFile.h"
#include "model/Choices.h"
#include "model/ConfigurationSettings.h"
#include "platform/Folders.h"
#include "templating/TemplateError.h"

namespace kr {

// One template and the file it becomes. toolchain is the only toolchain the
// file is written for, or kEveryToolchain.
struct TemplateRow {
    int resource;
    const char16_t* fileName;
    int toolchain;
};

inline constexpr int kEveryToolchain = -1;

// Every template of the program in the order the files are written.
inline constexpr std::array<TemplateRow, 14> TemplateTable{{
    {138, u"compiler_defs.h", kEveryToolchain},
    {139, u"KR761x_API.h", kEveryToolchain},
    {140, u"KR761x_Buffer_Struct.h", kEveryToolchain},
    {141, u"KR761x_Configuration.c", kEveryToolchain},
    {142, u"KR761x_Configuration.h", kEveryToolchain},
    {143, u"KR761x_Keil.wsp", Stored(Toolchain::Keil)},
    {144, u"KR761x_Main.c", kEveryToolchain},
    {145, u"KR761x_Raisonance.wsp", Stored(Toolchain::Raisonance)},
    {146, u"KR761x_SDCC.wsp", Stored(Toolchain::Sdcc)},
    {147, u"KR761x_USB_Descriptor.c", kEveryToolchain},
    {148, u"STARTUP.A51", Stored(Toolchain::Keil)},
    {149, u"STARTUP.A51", Stored(Toolchain::Raisonance)},
    {150, u"KR761x_Startup.c", Stored(Toolchain::Sdcc)},
    {151, u"Makefile", Stored(Toolchain::Sdcc)},
}};

// Whether a run writes its files, or only finds out which files it would
// create or change (report.written and report.created), writing nothing.
enum class GenerationMode { Write, CheckOnly };

// The reason line of a run that found its folder in use by another run.
inline constexpr char16_t kMsgFolderInUse[] =
    u"The folder is in use by another generation, build or batch; try again when it has finished.";

// The reason line of a run whose project path holds a control character
// (platform::HoldsControlCharacter): refused before anything is written.
inline constexpr char16_t kMsgControlCharacterInPath[] =
    u"The project folder's path holds a control character, which would break the lines of the generated "
    u"files; choose a folder whose path has none.";

// Why a run stopped, beyond its error text: the file it was making and the
// template's own error (code Ok when the template could not be loaded).
struct GenerationFailure {
    std::u16string fileName;
    TemplateError error;
};

// Writes the files of TemplateTable for settings.project.toolchain into
// settings.project.projectPath, which must name an existing folder and end
// with a separator (file names are appended to it as they are). A
// configuration that breaks a rule of a valid record, or whose report
// descriptor a host would refuse, writes nothing: errorText lists every
// problem (GenerationRefusalText). Otherwise stops at the first failure with
// errorText set to "Error loading resource files." or "Error
// generating:\n" and the output path, followed by a line with the path
// at fault and the system's reason when there is one.
// errorText is emptied first. A project path holding a control character
// writes nothing (kMsgControlCharacterInPath).
//
// Every file is written aside first and put in place only when all are
// written, so a failure before that leaves the folder as it was; a file
// whose content does not change is not touched. The folder is locked for
// the run (another run's lock is waited for a while, then the run fails
// with kMsgFolderInUse), and temporary files a killed run left there are
// removed. The user code regions of files already there are carried into
// the new ones (GeneratedFile.h); report, when given, lists the files
// written and the existing files kept beside them; failure, when given,
// says which file failed and why. When a file fails while the files are put
// in place, those already in place are put back: the project is left as it
// was.
//
// The folder is opened once and every file is read and written through it:
// folder, when given, is the project folder already open (its path that of
// the project path's folder); otherwise the project path's folder is opened,
// following a link, as a folder the user names may be one. An existing file
// that is a link, not a regular file or larger than kMaxExistingFileBytes
// is refused, not read.
bool GenerateProject(const ConfigurationSettings& settings, std::u16string& errorText,
                     GenerationReport* report = nullptr, GenerationFailure* failure = nullptr,
                     GenerationMode mode = GenerationMode::Write, const platform::CFolder* folder = nullptr);

// The same for any table of templates, without the check of the
// configuration: every value is taken as it is.
bool GenerateFiles(const ConfigurationSettings& settings, std::span<const TemplateRow> rows, std::u16string& errorText,
                   GenerationReport* report = nullptr, GenerationFailure* failure = nullptr,
                   GenerationMode mode = GenerationMode::Write, const platform::CFolder* folder = nullptr);

}  // namespace kr
