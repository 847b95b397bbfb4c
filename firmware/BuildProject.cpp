// SPDX-License-Identifier: MIT
#include "firmware/BuildProject.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>

#include "firmware/ImageCheck.h"
#include "firmware/IntelHex.h"
#include "firmware/MemoryContract.h"
#include "firmware/MemoryMap.h"
#include "firmware/SizeSummary.h"
#include "firmware/Workspace.h"
#include "platform/CommandRun.h"
#include "platform/FolderLock.h"
#include "platform/Folders.h"
#include "platform/PathText.h"
#include "platform/SmallFile.h"
#include "platform/StagedFiles.h"
#include "platform/TemporaryFolder.h"
#include "platform/Utf.h"

namespace kr::firmware {
namespace {

namespace fs = std::filesystem;

constexpr const char* kMainProgram = "KR761x_Main.c";

// How long a build waits for another run to let go of the project's folder.
constexpr std::chrono::seconds kFolderLockWait{10};

// The largest file a build reads whole: far above any image, map or object
// file of a 64 KiB code space.
constexpr std::size_t kLargestBuildFile = 64u << 20;

std::u16string Shown(const fs::path& path)
{
    return platform::ShownPath(path);
}

// The line that follows a failure's own sentence: the path and the system's
// reason; nothing when there is no reason.
std::u16string ReasonLine(const fs::path& path, const std::string& reason)
{
    return reason.empty() ? std::u16string() : u"\n" + Shown(path) + u": " + platform::FromUtf8(reason);
}

// The whole of a file the build reads. False with a sentence naming it, as
// what, and the system's reason.
bool ReadBuildFile(const fs::path& path, const std::u16string& what, std::string& text, std::u16string& errorText)
{
    std::string reason;
    std::optional<std::string> read = platform::ReadSmallRegularFile(path.string(), kLargestBuildFile, &reason);
    if (!read) {
        errorText = what + u" " + Shown(path) + u" cannot be read: " + platform::FromUtf8(reason) + u".";
        return false;
    }
    text = std::move(*read);
    return true;
}

// A file the link may or may not have written: its bytes, or none.
std::string ReadIfThere(const fs::path& path)
{
    return platform::ReadSmallRegularFile(path.string(), kLargestBuildFile).value_or("");
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
}

// The plain files of folder with the extension ext (without dot), sorted by
// name.
std::vector<fs::path> FilesWithExtension(const fs::path& folder, const char* ext)
{
    return platform::FindFilesByExtension(folder / "", ext);
}

// Finds the workspace of project; false with the reason in errorText.
bool FindWorkspace(const fs::path& project, fs::path& workspace, std::u16string& errorText)
{
    if (project.empty()) {
        errorText = u"No project folder or workspace is named.";
        return false;
    }
    if (platform::IsExistingFolder(project)) {
        const std::vector<fs::path> found = FilesWithExtension(project, "wsp");
        if (found.size() != 1) {
            errorText = (found.empty() ? u"There is no workspace (.wsp) in " : u"There is more than one workspace in ")
                        + Shown(project) + u": name the workspace to build.";
            return false;
        }
        workspace = found.front();
        return true;
    }
    if (!platform::IsExistingFile(project)) {
        errorText = u"There is no project folder or workspace " + Shown(project) + u"."
                    + ReasonLine(project, platform::PathProblem(project));
        return false;
    }
    workspace = project;
    return true;
}

// Whether the project is one this build can make: an SDCC workspace and a
// main program that is not for the KR7610. False with the reason.
bool CheckBuildable(const std::string& workspace, const std::u16string& workspaceName, const fs::path& folder,
                    std::u16string& errorText)
{
    const std::string compiler = Lower(WorkspaceSetting(workspace, "Compiler").value_or(""));
    if (compiler.find("sdcc") == std::string::npos) {
        const char16_t* toolchain = compiler.find("keil") != std::string::npos   ? u"a Keil workspace"
                                    : compiler.find("ride") != std::string::npos ? u"a Raisonance workspace"
                                                                                 : u"not an SDCC workspace";
        errorText = workspaceName + u" is " + toolchain + u": only SDCC projects can be built on Linux.";
        return false;
    }
    const fs::path mainProgram = folder / kMainProgram;
    std::string mainText;
    if (!ReadBuildFile(mainProgram, u"The main program", mainText, errorText))
        return false;
    if (mainText.empty()) {
        errorText = u"The main program " + Shown(mainProgram) + u" is missing or empty.";
        return false;
    }
    if (mainText.find("// Target: KR7610\r") != std::string::npos
        || mainText.find("// Target: KR7610\n") != std::string::npos) {
        errorText = u"KR7610 projects cannot be built: the memory layout of KR7610 user firmware is not known.";
        return false;
    }
    return true;
}

// A file name of the project folder as a tool's argument: one starting with
// '-' would be read as an option.
std::string AsArgument(const std::string& name)
{
    return name.starts_with('-') ? "./" + name : name;
}

// Runs one tool in folder, adding the command and its output to the log.
bool Run(const std::vector<std::string>& command, const fs::path& folder, std::string& log,
         std::string* output = nullptr)
{
    std::string line;
    for (const std::string& word : command)
        line += (line.empty() ? "" : " ") + word;
    log += line + "\n";
    const platform::CommandResult result = platform::RunCommand(command, folder.string());
    log += result.output;
    if (!result.output.empty() && result.output.back() != '\n')
        log += "\n";
    if (output)
        *output = result.output;
    return result.started && result.exited && result.exitStatus == 0;
}

// A failed step's sentence followed by the tool's own reason: what it
// printed, without blank lines.
std::u16string Failed(const std::u16string& step, const std::string& toolOutput)
{
    std::u16string text = step + u" failed.";
    std::size_t start = 0;
    while (start < toolOutput.size()) {
        std::size_t end = toolOutput.find('\n', start);
        if (end == std::string::npos)
            end = toolOutput.size();
        std::string line = toolOutput.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty())
            text += u"\n" + platform::FromUtf8(line);
    }
    return text;
}

// The flags with --debug, which makes the linker write the debug records
// the check reads the variables' places from.
std::vector<std::string> WithDebugRecords(std::vector<std::string> flags)
{
    if (std::find(flags.begin(), flags.end(), "--debug") == flags.end())
        flags.push_back("--debug");
    return flags;
}

// What the link placed: every module's object file, the map and the debug
// records beside the linked image. False with the reason when one cannot be
// read.
bool ReadLinkFacts(const std::vector<std::string>& objects, const fs::path& folder, const fs::path& linked,
                   const std::string& memText, LinkFacts& facts, std::u16string& errorText)
{
    facts.internalRam = ReadInternalRamLayout(memText);
    for (const std::string& object : objects) {
        ObjectModule module;
        std::u16string reason;
        std::string text;
        if (!ReadBuildFile(folder / object, u"The object file", text, errorText))
            return false;
        if (!ReadObjectModule(text, module, reason)) {
            errorText = u"The object file " + Shown(folder / object) + u" cannot be read: " + reason + u".";
            return false;
        }
        facts.modules.push_back(std::move(module));
    }
    std::u16string reason;
    fs::path map = linked;
    std::string text;
    if (!ReadBuildFile(map.replace_extension(".map"), u"The linker's map", text, errorText))
        return false;
    if (!ReadLinkMap(text, facts.map, reason)) {
        errorText = u"The linker's map " + Shown(map.filename()) + u" cannot be read: " + reason + u".";
        return false;
    }
    facts.mapSymbols = ReadMapSymbols(text);
    fs::path records = linked;
    if (!ReadBuildFile(records.replace_extension(".cdb"), u"The debug records", text, errorText))
        return false;
    facts.symbols = ReadDebugSymbols(text);
    facts.functions = ReadDebugFunctions(text);
    return true;
}

}  // namespace

bool FindSdccProject(const fs::path& project, SdccProject& found, std::u16string& errorText)
{
    found = {};
    fs::path workspacePath;
    if (!FindWorkspace(project, workspacePath, errorText))
        return false;
    const fs::path folder = workspacePath.parent_path().empty() ? fs::path(".") : workspacePath.parent_path();
    std::string workspace;
    if (!ReadBuildFile(workspacePath, u"The workspace", workspace, errorText))
        return false;
    if (!CheckBuildable(workspace, Shown(workspacePath.filename()), folder, errorText))
        return false;
    // The image's name, kept inside the project folder.
    std::string output = WorkspaceSetting(workspace, "OutputFile").value_or("");
    if (output.empty() || output.find('/') != std::string::npos || output.starts_with("."))
        output = "KR761x_Image";
    found.folder = folder.string();
    found.workspace = workspacePath.string();
    found.image = (folder / (output + ".ihx")).string();
    return true;
}

bool BuildSdccProject(const fs::path& project, BuildResult& result, const BuildOptions& options)
{
    result = {};
    SdccProject found;
    if (!FindSdccProject(project, found, result.errorText))
        return false;
    const fs::path folder = found.folder;
    std::string workspace;
    if (!ReadBuildFile(found.workspace, u"The workspace", workspace, result.errorText))
        return false;

    // The folder stays locked for the whole build, so no generation
    // rewrites the sources meanwhile and no other run takes this build's
    // temporary folder for one a killed build left, which are removed here.
    platform::CFolderLock lock;
    platform::FileFailure why;
    const std::string folderPath = folder.native().ends_with('/') ? folder.native() : folder.native() + '/';
    switch (lock.Lock(folderPath, kFolderLockWait, why)) {
    case platform::CFolderLock::Result::Locked:
        platform::RemoveStaleTemporaryFiles(folderPath);
        break;
    case platform::CFolderLock::Result::NoLocks:
        result.notice = platform::FromUtf8(platform::NoLocksNotice(why));
        break;
    case platform::CFolderLock::Result::InUse:
        result.errorText = u"The folder " + Shown(folder)
                           + u" is in use by another build, generation or batch; try again when it has finished.";
        return false;
    case platform::CFolderLock::Result::Failed:
        result.errorText = u"The folder " + Shown(folder) + u" cannot be locked." + ReasonLine(why.path, why.reason);
        return false;
    }

    const std::optional<std::string> sdcc = platform::FindOnPath("sdcc");
    if (!sdcc) {
        result.errorText =
            u"sdcc was not found on PATH: install SDCC (the Debian package sdcc) to build SDCC projects.";
        return false;
    }

    const fs::path image = found.image;
    const std::string output = image.stem().string();
    std::error_code error;
    fs::remove(image, error);
    if (std::error_code ignored; fs::exists(image, ignored)) {
        result.errorText =
            u"The old image " + Shown(image) + u" cannot be removed." + ReasonLine(image, error.message());
        return false;
    }

    // Compile; the main program's module goes first into the link, since it
    // holds the reset and interrupt vectors.
    std::vector<fs::path> sources = FilesWithExtension(folder, "c");
    std::stable_partition(sources.begin(), sources.end(),
                          [](const fs::path& p) { return p.filename() == kMainProgram; });
    const std::vector<std::string> compileFlags =
        WithDebugRecords(BuildFlags(WorkspaceSetting(workspace, "CompFlag").value_or("")));
    std::vector<std::string> objects;
    for (const fs::path& source : sources) {
        std::vector<std::string> command = {*sdcc, "-mmcs51", "-c"};
        command.insert(command.end(), compileFlags.begin(), compileFlags.end());
        command.push_back(AsArgument(source.filename().string()));
        std::string compilerOutput;
        if (!Run(command, folder, result.toolOutput, &compilerOutput)) {
            result.errorText = Failed(u"Compiling " + Shown(source.filename()), compilerOutput);
            return false;
        }
        objects.push_back(AsArgument(source.stem().string() + ".rel"));
    }

    const platform::CTemporaryFolder linkFolder(folder.string(), std::string(platform::kWorkFolderPrefix));
    if (linkFolder.Path().empty()) {
        result.errorText = u"Cannot create a temporary folder in " + Shown(folder) + u"."
                           + ReasonLine(folder, linkFolder.Failure().reason);
        return false;
    }
    const fs::path linkPath = linkFolder.Path();
    const fs::path linked = linkPath / (output + ".ihx");
    std::vector<std::string> command = {*sdcc, "-mmcs51"};
    const std::vector<std::string> linkFlags =
        WithDebugRecords(BuildFlags(WorkspaceSetting(workspace, "LinkFlag").value_or("")));
    command.insert(command.end(), linkFlags.begin(), linkFlags.end());
    command.insert(command.end(), objects.begin(), objects.end());
    command.insert(command.end(), {"-o", fs::relative(linked, folder, error).string()});
    std::string linkerOutput;
    const bool linkedOk = Run(command, folder, result.toolOutput, &linkerOutput);

    // The map, the memory summary and the debug records help whether or not
    // the image holds; they are read where the link wrote them.
    const std::string memText = ReadIfThere(linkPath / (output + ".mem"));
    LinkFacts facts;
    std::u16string factsError;
    const bool factsRead = linkedOk && ReadLinkFacts(objects, folder, linked, memText, facts, factsError);
    for (const char* ext : {".map", ".mem", ".cdb"}) {
        const fs::path from = linkPath / (output + ext);
        if (fs::exists(from, error))
            fs::rename(from, folder / (output + ext), error);
    }
    if (!linkedOk || !fs::exists(linked, error)) {
        result.errorText = Failed(u"Linking " + Shown(image.filename()), linkerOutput);
        if (const std::u16string full = InternalRamOverflow(linkerOutput, kKR7611Memory); !full.empty())
            result.errorText += u"\n" + full;
        return false;
    }
    if (!factsRead) {
        result.errorText = factsError;
        return false;
    }

    HexImage hex;
    std::string hexText;
    if (!ReadBuildFile(linked, u"The linked image", hexText, result.errorText))
        return false;
    if (!ReadIntelHex(hexText, hex, result.errorText)) {
        result.errorText = u"The linked image cannot be read: " + result.errorText + u".";
        return false;
    }
    std::vector<std::u16string> problems = CheckImage(hex, linkerOutput, kKR7611Memory);
    for (std::u16string& problem : CheckMemoryContract(facts, hex, kKR7611Memory, options.minimumStack))
        problems.push_back(std::move(problem));
    if (!problems.empty()) {
        result.errorText = u"The image breaks the chip's memory map:";
        for (const std::u16string& problem : problems)
            result.errorText += u"\n" + problem;
        return false;
    }

    fs::rename(linked, image, error);
    if (error) {
        result.errorText = u"The image cannot be moved to " + Shown(image) + u"." + ReasonLine(image, error.message());
        return false;
    }
    result.imagePath = image;
    result.summary = SizeSummary(hex, memText, kKR7611Memory, options.minimumStack,
                                 {StackRoom(facts, kKR7611Memory), HighestExternalRam(facts)});
    return true;
}

}  // namespace kr::firmware
