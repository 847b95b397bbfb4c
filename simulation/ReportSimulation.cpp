// SPDX-License-Identifier: MIT
#include "simulation/ReportSimulation.h"

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>

#include "firmware/BuildProject.h"
#include "firmware/IntelHex.h"
#include "firmware/LinkSymbols.h"
#include "firmware/MemoryMap.h"
#include "simulation/SimulatorCommands.h"
#include "hid/CSourceReader.h"
#include "hid/HidDecoder.h"
#include "platform/CommandRun.h"
#include "platform/InteractiveProcess.h"
#include "platform/NumberText.h"
#include "platform/PathText.h"
#include "platform/SmallFile.h"
#include "platform/Utf.h"
#include "platform/Windows1252.h"

namespace kr::simulation {
namespace {

namespace fs = std::filesystem;
using firmware::FindSdccProject;
using firmware::HexImage;
using firmware::kKR7611Memory;
using firmware::LinkSymbols;
using firmware::NearestSourceLine;
using firmware::ReadIntelHex;
using firmware::ReadLinkSymbols;
using firmware::SdccProject;
using firmware::SourceLine;
using firmware::SourceLineAddress;
using platform::FormatDecimal;

// What each input mode of the main program tests and sends: the mode flag,
// the send-pending flag its branch of the main loop waits on, and the
// report id macro of the report it fills.
struct ModeRow {
    InputMode mode;
    const char* name;
    const char* modeFlag;
    const char* pendingFlag;
    const char16_t* reportId;
};

constexpr ModeRow kModes[] = {
    {InputMode::Mouse, "mouse", "KR761x_Mouse_Mode", "KR761x_USB_Mouse_Send_Pending", u"ID_MOUSE_DATA"},
    {InputMode::Touch, "touch", "KR761x_SingleTouch_Mode", "KR761x_USB_Touch_Send_Pending", u"ID_TOUCH_DATA"},
    {InputMode::MultiTouch, "multitouch", "KR761x_MultiTouch_Mode", "KR761x_USB_Touch_Send_Pending", u"ID_TOUCH_DATA"},
    {InputMode::Pen, "pen", "KR761x_SinglePen_Mode", "KR761x_USB_Touch_Send_Pending", u"ID_PEN_DATA"},
    {InputMode::MultiPen, "multipen", "KR761x_MultiPen_Mode", "KR761x_USB_Pen_Send_Pending", u"ID_PEN_DATA"},
};

constexpr const char* kMainProgram = "KR761x_Main.c";
constexpr std::size_t kMaxSourceBytes = 16 * 1024 * 1024;

const ModeRow& RowOf(InputMode mode)
{
    return *std::find_if(std::begin(kModes), std::end(kModes), [&](const ModeRow& r) { return r.mode == mode; });
}

std::u16string Shown(const fs::path& path)
{
    return platform::ShownPath(path);
}
std::u16string Text(std::string_view text)
{
    return platform::FromUtf8(text);
}

std::u16string Hex(std::uint32_t value, int digits = 4)
{
    std::ostringstream s;
    s << "0x" << std::uppercase << std::hex;
    s.width(digits);
    s.fill('0');
    s << value;
    return Text(s.str());
}

bool ReadText(const fs::path& path, std::string& text, std::u16string& errorText)
{
    const std::optional<std::string> read = platform::ReadSmallRegularFile(path.string(), kMaxSourceBytes);
    if (!read) {
        errorText = u"The project has no readable " + Shown(path.filename()) + u" (" + Shown(path)
                    + u"): build it first with kr761x-gen build.";
        return false;
    }
    text = *read;
    return true;
}

// The line of the main loop's "while (1)", the one after the start-up region.
int MainLoopLine(const std::string& mainProgram)
{
    std::istringstream in(mainProgram);
    std::string line;
    bool afterStartUp = false;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.find("//! END user code: start-up") != std::string::npos)
            afterStartUp = true;
        else if (afterStartUp && std::regex_search(line, std::regex(R"(^\s*while\s*\(\s*1\s*\))")))
            return number;
    }
    return 0;
}

// What the simulation reads of the link, all found by name.
struct Target {
    std::uint32_t buffer = 0;  // USB_Position_Buffer
    std::uint32_t modeBit = 0;
    std::uint32_t pendingBit = 0;
    std::uint32_t mainLoop = 0;
    std::vector<std::uint32_t> entries;
    HidDecoding descriptor;
    const HidReportSize* report = nullptr;
    int reportId = 0;
    std::vector<ReportLayout> layout;
    LinkSymbols symbols;
};

bool Symbol(const LinkSymbols& symbols, const std::string& name, std::uint32_t& address, std::u16string& errorText)
{
    const auto found = symbols.addresses.find("_" + name);
    if (found == symbols.addresses.end()) {
        errorText =
            u"The linker's map names no " + Text(name) + u": the image was not built from a generated main program.";
        return false;
    }
    address = found->second;
    return true;
}

// The report descriptor as a host reads it from the image: the array at
// HidReportDesc, as long as the configuration descriptor says.
bool ReadDescriptor(const std::string& hexText, const LinkSymbols& symbols, std::vector<std::uint8_t>& bytes,
                    std::u16string& errorText)
{
    HexImage image;
    std::uint32_t configuration = 0, report = 0;
    if (!ReadIntelHex(hexText, image, errorText) || !Symbol(symbols, "HidConfigDesc", configuration, errorText)
        || !Symbol(symbols, "HidReportDesc", report, errorText))
        return false;
    auto at = [&](std::uint32_t address) {
        const auto b = image.bytes.find(address);
        return b == image.bytes.end() ? -1 : int(b->second);
    };
    const int low = at(configuration + 25), high = at(configuration + 26);
    if (low < 0 || high < 0) {
        errorText = u"The image holds no configuration descriptor at " + Hex(configuration) + u".";
        return false;
    }
    const std::uint32_t length = static_cast<std::uint32_t>(low | high << 8);
    for (std::uint32_t i = 0; i < length; ++i) {
        const int b = at(report + i);
        if (b < 0) {
            errorText = u"The image holds only " + FormatDecimal(i) + u" of the " + FormatDecimal(length)
                        + u" bytes of the report descriptor at " + Hex(report) + u".";
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(b));
    }
    return true;
}

bool FindTarget(const SdccProject& project, const ModeRow& mode, Target& target, std::u16string& errorText)
{
    const fs::path folder = project.folder;
    fs::path image = project.image;
    std::string hexText, mapText, mainProgram, apiHeader, configuration, reportStructures;
    if (!ReadText(image, hexText, errorText) || !ReadText(fs::path(image).replace_extension(".map"), mapText, errorText)
        || !ReadText(folder / kMainProgram, mainProgram, errorText)
        || !ReadText(folder / "KR761x_API.h", apiHeader, errorText)
        || !ReadText(folder / "KR761x_Configuration.h", configuration, errorText)
        || !ReadText(folder / "KR761x_Buffer_Struct.h", reportStructures, errorText))
        return false;
    target.symbols = ReadLinkSymbols(mapText);
    if (target.symbols.lines.empty()) {
        errorText = u"The linker's map has no C line symbols: build the project with the workspace's flags (--debug).";
        return false;
    }
    if (!Symbol(target.symbols, "USB_Position_Buffer", target.buffer, errorText)
        || !Symbol(target.symbols, mode.modeFlag, target.modeBit, errorText)
        || !Symbol(target.symbols, mode.pendingFlag, target.pendingBit, errorText))
        return false;
    const int loopLine = MainLoopLine(mainProgram);
    const std::optional<std::uint32_t> loop = SourceLineAddress(target.symbols, kMainProgram, loopLine);
    if (!loop) {
        errorText = u"The main loop of " + Text(kMainProgram) + u" has no code in the linker's map.";
        return false;
    }
    target.mainLoop = *loop;
    target.entries = ReadSystemEntryPoints(apiHeader);
    if (target.entries.empty()) {
        errorText = u"KR761x_API.h defines no entry point of a system routine.";
        return false;
    }

    std::vector<std::uint8_t> descriptor;
    if (!ReadDescriptor(hexText, target.symbols, descriptor, errorText))
        return false;
    target.descriptor = DecodeHidReportDescriptor(descriptor);
    const auto defines = ReadNumericDefines(platform::DecodeWindows1252(configuration));
    const auto id = defines.find(mode.reportId);
    if (id != defines.end()) {
        target.reportId = static_cast<int>(id->second);
        for (const HidReportSize& report : target.descriptor.reports)
            if (report.kind == HidReportKind::Input && report.reportId == target.reportId && report.bits > 0)
                target.report = &report;
    }
    for (ReportLayout& layout :
         BuildReportLayouts(target.descriptor, defines, platform::DecodeWindows1252(reportStructures)))
        if (layout.kind == HidReportKind::Input && layout.reportId == target.reportId)
            target.layout.push_back(std::move(layout));
    if (!target.report) {
        errorText = u"The project's report descriptor declares no " + std::u16string(mode.reportId)
                    + u" input report: its configuration has no " + Text(mode.name) + u" report to simulate.";
        return false;
    }
    return true;
}

// Where one run of the simulator stopped, and what the user code had done
// by then.
struct Stop {
    std::uint32_t pc = 0;
    std::string reason;  // as s51 words it: "stepped ...", "Event break", "Breakpoint"
    std::uint64_t instructions = 0;  // since the start
    std::uint8_t flags = 0;  // the byte that holds the send-pending flag
    std::vector<std::uint8_t> buffer;
};

// One conversation with s51. Each exchange is written at once and ends with
// a numbered marker whose answer tells that everything the commands printed
// has arrived: s51 answers a command only when the one before is done (a
// run included), and reads its input only every tenth of a second or so
// when idle, so the exchanges are few.
class CSimulator {
public:
    bool Start(std::u16string& errorText)
    {
        const std::optional<std::string> s51 = platform::FindOnPath("s51");
        std::string reason;
        if (!s51 || !process_.Start({*s51, "-t", "8052"}, reason)) {
            errorText = s51 ? u"s51 cannot be started: " + Text(reason) + u"."
                            : u"s51 was not found on PATH: install the 8051 simulator (the Debian package sdcc-ucsim).";
            return false;
        }
        return true;
    }

    // Runs commands and returns what they printed.
    bool Do(const std::string& commands, std::string& printed)
    {
        process_.ClearOutput();
        const std::string marker = std::to_string(7600000 + ++markers_);
        if (!process_.Write(commands + "expression " + marker + "\n"))
            return false;
        const std::string answer = "\n" + marker + "\n";
        if (!process_.ReadUntil([&](std::string_view out) { return out.find(answer) != std::string_view::npos; }))
            return false;
        printed = process_.Output();
        return true;
    }

    // Runs commands, then at most count instructions, and reads where it
    // stopped, the instructions run so far, the flag byte flagByte and the
    // count bytes of XRAM from buffer.
    bool Step(const std::string& commands, std::uint64_t count, std::uint32_t flagByte, std::uint32_t buffer,
              std::size_t bytes, Stop& stop)
    {
        std::ostringstream c;
        const std::uint32_t last = buffer + static_cast<std::uint32_t>(bytes) - 1;
        c << commands << "step " << count << std::hex << "\nstate\ndump iram 0x" << flagByte << " 0x" << flagByte
          << "\ndump xram 0x" << buffer << " 0x" << last << " 16\n";
        std::string printed;
        if (!Do(c.str(), printed))
            return false;
        // s51 echoes the commands as it reads them, then answers each in
        // turn: the stop, the state (ending with "Simulation: ..."), the
        // flag byte's line, the buffer's lines.
        std::smatch m, n;
        if (!std::regex_search(printed, m, std::regex(R"(Stop at 0x([0-9a-fA-F]+): \(\d+\) ([^\r\n]*))"))
            || !std::regex_search(printed, n, std::regex(R"(Inst= *(\d+))")))
            return false;
        stop.pc = static_cast<std::uint32_t>(std::stoul(m[1].str(), nullptr, 16));
        stop.reason = m[2].str();
        stop.instructions = std::stoull(n[1].str());
        const std::size_t state = printed.find("\nSimulation: ", static_cast<std::size_t>(n.position(0)));
        const std::size_t iram = state == std::string::npos ? state : printed.find('\n', state + 1);
        const std::size_t xram = iram == std::string::npos ? iram : printed.find('\n', iram + 1);
        if (xram == std::string::npos)
            return false;
        const auto flags = ReadDumpedBytes(std::string_view(printed).substr(iram, xram - iram), flagByte, flagByte);
        const auto dumped = ReadDumpedBytes(std::string_view(printed).substr(xram), buffer, last);
        if (flags.size() != 1 || dumped.size() != bytes)
            return false;
        stop.flags = flags.begin()->second;
        stop.buffer.clear();
        for (const auto& [at, value] : dumped)
            stop.buffer.push_back(value);
        return true;
    }

private:
    platform::CInteractiveProcess process_;
    int markers_ = 0;
};

std::u16string NoReport(std::uint64_t budget, std::uint32_t pc, const LinkSymbols& symbols)
{
    std::u16string text = u"No report after " + FormatDecimal(budget) + u" instructions: the program is at " + Hex(pc);
    if (const std::optional<SourceLine> line = NearestSourceLine(symbols, pc))
        text += u", in " + Text(line->file) + u" line " + FormatDecimal(line->line);
    return text + u".";
}

}  // namespace

std::string_view InputModeName(InputMode mode)
{
    return RowOf(mode).name;
}

bool ParseInputMode(std::string_view name, InputMode& mode)
{
    for (const ModeRow& row : kModes)
        if (name == row.name) {
            mode = row.mode;
            return true;
        }
    return false;
}

bool SimulateReports(const std::filesystem::path& project, const SimulationOptions& options, SimulationRun& run,
                     std::u16string& errorText)
{
    run = {};
    errorText.clear();
    SdccProject found;
    if (!FindSdccProject(project, found, errorText))
        return false;
    const ModeRow& mode = RowOf(options.mode);
    Target target;
    if (!FindTarget(found, mode, target, errorText))
        return false;
    run.layout = target.layout;
    if (options.passInterrupts)
        run.assumptions.push_back(u"The system firmware passes interrupt n on to the application at 0x2603 + 8n: "
                                  u"a jump there is planted at each of the "
                                  + FormatDecimal(kSimulatedInterrupts) + u" standard interrupt vectors.");
    run.assumptions.push_back(u"Every system routine returns at once (a RET at its entry point) with "
                              u"KR761x_Status 0 (FUNC_SUCCESS).");

    CSimulator s51;
    if (!s51.Start(errorText))
        return false;
    const std::u16string lost = u"s51 ended or answered in a way that cannot be read.";
    std::ostringstream setUp;
    setUp << SimulatorSetUp(fs::absolute(found.image).string(), target.entries, options.passInterrupts) << std::hex
          << "fill iram 0x00 0xff 0x00\nfill xram 0x0000 0x03ff 0x00\nset mem sfr 0xa8 0x00\n"
          << "set bit 0x" << target.modeBit << " 1\npc 0x" << kKR7611Memory.applicationStart << "\n"
          << "break bits w 0x" << target.pendingBit << "\nbreak iram w 0x" << 0x20 + target.pendingBit / 8 << "\n";
    std::string printed;
    if (!s51.Do(setUp.str(), printed)) {
        errorText = lost;
        return false;
    }
    const std::size_t bytes = static_cast<std::size_t>((target.report->bits + 7) / 8);
    const std::uint32_t flagByte = 0x20 + target.pendingBit / 8, flagMask = 1u << target.pendingBit % 8;
    std::ostringstream loopBreak, taken;
    loopBreak << std::hex << "break 0x" << target.mainLoop << "\n";
    taken << std::hex << "clear 0x" << target.mainLoop << "\nset bit 0x" << target.pendingBit << " 0\n";
    Stop stop;
    std::string before;  // commands that go with the next step
    for (int index = 1; index <= options.reports; ++index) {
        const std::uint64_t start = stop.instructions;
        // Until the user code sets the flag (a write may also clear it, or
        // change another bit of its byte), then on to the top of the main
        // loop, so that the whole block that set it has run.
        bool loopSet = false;
        do {
            if (stop.instructions - start >= options.budget) {
                errorText = NoReport(options.budget, stop.pc, target.symbols);
                return false;
            }
            if (!s51.Step(before, options.budget - (stop.instructions - start), flagByte, target.buffer, bytes, stop)) {
                errorText = lost;
                return false;
            }
            before.clear();
            if (stop.reason.find("stepped") == std::string::npos && stop.reason.find("Event") == std::string::npos
                && stop.reason.find("Breakpoint") == std::string::npos) {
                errorText = u"The simulation stopped at " + Hex(stop.pc) + u": " + Text(stop.reason) + u".";
                return false;
            }
            if ((stop.flags & flagMask) && !loopSet) {
                before = loopBreak.str();
                loopSet = true;
            }
        } while (
            !((stop.flags & flagMask) && stop.pc == target.mainLoop && stop.reason.find("Event") == std::string::npos));
        before = taken.str();
        SimulatedReport report;
        report.index = index;
        report.instructions = stop.instructions - start;
        report.reportId = target.reportId;
        report.bytes = stop.buffer;
        report.values = ReadReportValues(*target.report, report.bytes);
        run.reports.push_back(std::move(report));
    }
    return true;
}

}  // namespace kr::simulation
