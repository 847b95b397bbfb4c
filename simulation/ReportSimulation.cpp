// SPDX-License-Identifier: MIT
#include "simulation/ReportSimulation.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

#include "firmware/BuildProject.h"
#include "firmware/IntelHex.h"
#include "firmware/LinkSymbols.h"
#include "firmware/MemoryMap.h"
#include "simulation/SimulatorCommands.h"
#include "simulation/TestScript.h"
#include "hid/CSourceReader.h"
#include "hid/HidDecoder.h"
#include "platform/CommandRun.h"
#include "platform/FifoFeeder.h"
#include "platform/InteractiveProcess.h"
#include "platform/NumberText.h"
#include "platform/PathText.h"
#include "platform/SmallFile.h"
#include "platform/TemporaryFolder.h"
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

// The oscillator the main program starts the chip with
// (KR761x_System_Init (..., OSC_48)), in MHz; 0 when it names none.
int OscillatorMHz(const std::string& mainProgram)
{
    std::smatch m;
    if (std::regex_search(mainProgram, m, std::regex(R"(KR761x_System_Init\s*\(\s*\w+\s*,\s*OSC_(\d+)\s*\))")))
        return std::stoi(m[1].str());
    return 0;
}

// The bytes the stack may use, from the linker's memory summary; -1 when it
// gives none.
long StackRoom(const std::string& memText)
{
    std::smatch m;
    if (std::regex_search(
            memText, m,
            std::regex(R"(Stack starts at: 0x[0-9a-fA-F]+ \(sp set to (0x[0-9a-fA-F]+)\) with (\d+) bytes available)")))
        return std::stol(m[2].str());
    return -1;
}

// What the simulation reads of the link, all found by name.
struct Target {
    std::uint32_t buffer = 0;  // USB_Position_Buffer
    std::uint32_t modeBit = 0;
    std::uint32_t pendingBit = 0;
    int interval = 1;  // ms between the host's polls of the input endpoint
    int oscillatorMHz = 24;
    bool oscillatorNamed = false;
    std::uint32_t stackStart = 0;  // SP after the start-up: the stack's bytes are above it
    std::uint32_t main = 0;
    long stackRoom = -1;
    std::vector<std::uint32_t> entries;
    std::vector<std::pair<std::string, std::uint32_t>> routines;  // by entry macro
    std::uint32_t status = 0x01F0;  // KR761x_Status
    std::optional<std::uint32_t> uartReady;  // the bit KR761x_UART_RX_Data_Ready
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
                    int& interval, std::u16string& errorText)
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
    // The input endpoint's bInterval: the host polls it every so many ms.
    const int total = at(configuration + 2) | at(configuration + 3) << 8;
    for (int offset = 0, size = 0; offset + 6 < total; offset += size) {
        size = at(configuration + offset);
        if (size <= 0)
            break;
        if (at(configuration + offset + 1) == 5 && (at(configuration + offset + 2) & 0x80) && size >= 7
            && at(configuration + offset + 6) > 0) {
            interval = at(configuration + offset + 6);
            break;
        }
    }
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
    if (const auto main = target.symbols.addresses.find("_main"); main != target.symbols.addresses.end())
        target.main = main->second;
    else
        target.stackStart = 0;
    if (const int mhz = OscillatorMHz(mainProgram)) {
        target.oscillatorMHz = mhz;
        target.oscillatorNamed = true;
    }
    if (const std::optional<std::string> mem =
            platform::ReadSmallRegularFile(fs::path(image).replace_extension(".mem").string(), kMaxSourceBytes)) {
        target.stackRoom = StackRoom(*mem);
        std::smatch m;
        if (std::regex_search(*mem, m, std::regex(R"(sp set to 0x([0-9a-fA-F]+))")))
            target.stackStart = static_cast<std::uint32_t>(std::stoul(m[1].str(), nullptr, 16));
    }
    target.entries = ReadSystemEntryPoints(apiHeader);
    target.routines = ReadSystemRoutines(apiHeader);
    if (const auto status = target.symbols.addresses.find("_KR761x_Status"); status != target.symbols.addresses.end())
        target.status = status->second;
    if (const auto ready = target.symbols.addresses.find("_KR761x_UART_RX_Data_Ready");
        ready != target.symbols.addresses.end())
        target.uartReady = ready->second;
    if (target.entries.empty()) {
        errorText = u"KR761x_API.h defines no entry point of a system routine.";
        return false;
    }

    std::vector<std::uint8_t> descriptor;
    if (!ReadDescriptor(hexText, target.symbols, descriptor, target.interval, errorText))
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

// The SFR that the poll clock drives: no register of the KR761x nor of the
// 8052 lies there, so only the clock writes it.
constexpr std::uint32_t kPollRegister = 0xFE;
// The SFR a watched system routine's stub writes its number to.
constexpr std::uint32_t kCallRegister = 0xFD;
// Clocks of the oscillator per machine cycle of the simulated core, and the
// most machine cycles one instruction takes (MUL, DIV).
constexpr std::uint64_t kClocksPerCycle = 12;
constexpr std::uint64_t kMostCyclesPerInstruction = 4;
constexpr std::uint8_t kStackPaint = 0xA5;
// Comm_Rx_Buffer and Comm_Tx_Buffer, at fixed addresses of the shared XRAM.
constexpr std::uint32_t kCommRx = 0x0000, kCommTx = 0x0080, kCommBytes = 128;
// KR761x_Status of a UART dequeue with nothing received (FUNC_UART_NO_DATA).
constexpr int kUartNoData = 0x31;

// What s51 prints first in answer to each command list, one number a line,
// so that the trace can be cut into events.
enum Marker : std::uint32_t {
    kTaken = 7610001,  // a report taken: the chip time, the state, the buffer
    kLastTaken = 7610002,  // the same, and the run stops
    kBudget = 7610003,  // no report within the budget: the run stops
    kStack = 7610006,  // the stack's RAM at the end
    kFlagWritten = 7610004,  // the user code wrote the send flag: the PC, the flag's byte
    kBufferWritten = 7610005,  // the user code wrote the buffer while the flag was set: the PC
    kUartArrived = 7610008,  // the next UART byte of the script is due: the run stops
    kCall = 7610007,  // a watched routine was called: its number, the chip time, Comm_Tx_Buffer; the run stops
    kEnd = 7610099,
};

// The poll clock as a value change dump: the register changes every
// interval ms, from interval ms on, for as long as it is read.
class CPollClock {
public:
    explicit CPollClock(int interval) : interval_(interval) {}
    std::string Next()
    {
        std::ostringstream s;
        if (polls_ == 0)
            s << "$timescale 1us $end\n$scope module bench $end\n$var wire 8 ! kp $end\n$upscope $end\n"
                 "$enddefinitions $end\n";
        for (int i = 0; i < 256; ++i) {
            ++polls_;
            s << "#" << polls_ * static_cast<std::uint64_t>(interval_) * 1000 << "\nb" << (polls_ % 2 ? "1" : "10")
              << " !\n";
        }
        return s.str();
    }

private:
    int interval_;
    std::uint64_t polls_ = 0;
};

std::u16string AtLine(std::uint32_t pc, const LinkSymbols& symbols)
{
    std::u16string text = Hex(pc);
    if (const std::optional<SourceLine> line = NearestSourceLine(symbols, pc))
        text += u", in " + Text(line->file) + u" line " + FormatDecimal(line->line);
    return text;
}

// The C line of the instruction that wrote something and left the program
// at pc (the instruction before it), or pc when the map has no line there.
std::u16string WriterLine(std::uint32_t pc, const LinkSymbols& symbols)
{
    if (const std::optional<SourceLine> line = NearestSourceLine(symbols, pc - 1))
        return Text(line->file) + u" line " + FormatDecimal(line->line);
    return Hex(pc);
}

std::u16string NoReport(std::uint64_t budget, std::uint32_t pc, const LinkSymbols& symbols)
{
    return u"No report after " + FormatDecimal(budget) + u" instructions: the program is at " + AtLine(pc, symbols)
           + u".";
}

// The commands that set the bench up and run it to the end: the image with
// the system routines and vectors in place, RAM cleared, the mode set, the
// poll clock read from clockPath, and breakpoints whose command lists
// (run inside s51, without a round trip) take each report when the host
// polls with the send flag set, stop after the last report or when the
// budget has run out, and trace the user code's writes to the flag, and to
// the buffer while a report is pending.
// Runs on until the simulation stops, then shows the stack's RAM and ends
// with the end marker.
std::string RunOn(const Target& target)
{
    std::ostringstream s;
    s << "run\nexpression " << kStack << "\n";
    if (target.stackStart > 0 && target.stackStart < 0xFF)
        s << std::hex << "dump iram 0x" << target.stackStart + 1 << " 0xff 16\n";
    s << std::dec << "expression " << kEnd << "\n";
    return s.str();
}

// A system routine whose calls the script answers: its entry macro, its
// entry point and the bus it transfers on, if any.
struct Watched {
    std::string name;
    std::uint32_t entry = 0;
    std::optional<Bus> bus;
};

std::string BenchCommands(const SdccProject& found, const Target& target, const SimulationOptions& options,
                          const std::string& clockPath, const std::vector<Watched>& watched)
{
    const std::uint32_t flagByte = 0x20 + target.pendingBit / 8, flagMask = 1u << target.pendingBit % 8;
    const std::size_t bytes = static_cast<std::size_t>((target.report->bits + 7) / 8);
    const std::uint32_t last = target.buffer + static_cast<std::uint32_t>(bytes) - 1;
    // s51 reckons in 32 bits: the clocks without a report are compared as a
    // signed difference, so they stop at 2^31 - 1.
    const std::uint64_t budgetTicks =
        std::min<std::uint64_t>(options.budget * kMostCyclesPerInstruction * kClocksPerCycle, 0x7FFFFFFF);
    std::ostringstream s;
    s << SimulatorSetUp(fs::absolute(found.image).string(), target.entries, options.passInterrupts) << std::hex
      << "fill iram 0x00 0xff 0x00\nfill xram 0x0000 0x03ff 0x00\nset mem sfr 0xa8 0x00\n"
      << "set bit 0x" << target.modeBit << " 1\npc 0x" << kKR7611Memory.applicationStart << "\n"
      << "var kp sfr[0x" << kPollRegister << "][7:0]\nvar kf iram[0x" << flagByte << "]\nvar kn\nvar kt\n"
      << std::dec << "kn=0\nkt=0\n"
      << "set hw vcd[0] input \"" << clockPath << "\"\nset hw vcd[0] start\n";
    // A watched routine's entry writes its number to a spare register and
    // returns: MOV direct,#n; RET.
    for (std::size_t i = 0; i < watched.size(); ++i)
        s << std::hex << "set mem rom 0x" << watched[i].entry << " 0x75 0x" << kCallRegister << " 0x" << i << " 0x22\n";
    s << std::dec;
    const std::string take = std::string("expression /u sim_ticks;state;dump xram 0x") + [&] {
        std::ostringstream t;
        t << std::hex << target.buffer << " 0x" << last << " 16;set bit 0x" << target.pendingBit << " 0";
        return t.str();
    }() + ";kn=kn+1;kt=sim_ticks";
    int number = 0;
    auto breakpoint = [&](const std::string& event, const std::string& condition, Marker marker,
                          const std::string& commands, bool run) {
        s << std::dec << "break " << event << " if " << condition << "\ncommands " << ++number << " expression "
          << marker << (commands.empty() ? "" : ";") << commands << (run ? ";run" : "") << "\n";
    };
    std::ostringstream poll, pending, flagBit;
    poll << std::hex << "sfr w 0x" << kPollRegister;
    pending << "(kf&" << flagMask << ")";
    flagBit << std::hex << "bits w 0x" << target.pendingBit;
    const std::string reports = std::to_string(options.reports - 1);
    breakpoint(poll.str(), pending.str() + "&&kn<" + reports, kTaken, take, true);
    breakpoint(poll.str(), pending.str() + "&&kn>=" + reports, kLastTaken, take, false);
    breakpoint(poll.str(), "sim_ticks-kt>" + std::to_string(budgetTicks), kBudget, "", false);
    breakpoint(flagBit.str(), "1", kFlagWritten, "expression /X PC;expression kf", true);
    if (options.script && !options.script->uart.empty()) {
        std::ostringstream poll;
        poll << std::hex << "sfr w 0x" << kPollRegister;
        s << "var ku\nku=0\n";
        breakpoint(poll.str(), "ku!=0&&sim_ticks>=ku", kUartArrived, "expression /u sim_ticks", false);
    }
    if (!watched.empty()) {
        std::ostringstream call, commands;
        call << std::hex << "sfr w 0x" << kCallRegister;
        s << std::hex << "var kc sfr[0x" << kCallRegister << "][7:0]\n";
        commands << std::hex << "expression /u kc;expression /u sim_ticks;dump xram 0x" << kCommTx << " 0x"
                 << kCommTx + kCommBytes - 1 << " 16";
        breakpoint(call.str(), "1", kCall, commands.str(), false);
    }
    for (std::uint32_t at = target.buffer; at <= last; ++at) {
        std::ostringstream event;
        event << std::hex << "xram w 0x" << at;
        breakpoint(event.str(), pending.str(), kBufferWritten, "expression /X PC", true);
    }
    // Stack painting: at main's entry the stack's RAM above SP is filled
    // with a byte, and the highest byte that no longer holds it at the end
    // is as deep as the stack went.
    if (target.stackStart > 0 && target.stackStart < 0xFF)
        s << std::hex << "var kq\nkq=0\nbreak 0x" << target.main << " if kq==0\ncommands " << std::dec << ++number
          << " kq=1;fill iram 0x" << std::hex << target.stackStart + 1 << " 0xff 0x" << int(kStackPaint) << ";run\n";
    return s.str();
}

// One event of the trace: its marker and the lines s51 printed for it.
struct Event {
    Marker marker;
    std::string text;
};

// Two routine names alike but for case.
bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::vector<Event> ReadTrace(const std::string& printed)
{
    std::vector<Event> events;
    std::istringstream in(printed);
    std::string line;
    bool echo = true;  // s51 echoes the commands it reads before it runs them
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const bool marker = line.size() == 7 && line.find_first_not_of("0123456789") == std::string::npos
                            && line.compare(0, 3, "761") == 0;
        if (marker) {
            events.push_back({static_cast<Marker>(std::stoul(line)), {}});
            echo = false;
        } else if (!echo && !events.empty())
            events.back().text += line + "\n";
    }
    return events;
}

// The number that starts line n of an event's text (decimal, or hex after
// 0x), or that follows word on the first line holding it.
std::optional<std::uint64_t> NumberAt(const std::string& text, std::size_t n, std::string_view word = {})
{
    std::size_t at = 0;
    if (word.empty()) {
        for (; n > 0 && at != std::string::npos; --n)
            at = text.find('\n', at) == std::string::npos ? std::string::npos : text.find('\n', at) + 1;
    } else if ((at = text.find(word)) != std::string::npos) {
        at += word.size();
        at = text.find_first_not_of(' ', at);
    }
    if (at == std::string::npos || at >= text.size())
        return std::nullopt;
    const bool hex = text.compare(at, 2, "0x") == 0;
    const char* first = text.data() + at + (hex ? 2 : 0);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), value, hex ? 16 : 10);
    if (error != std::errc() || end == first)
        return std::nullopt;
    return value;
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

bool SimulateReports(const std::filesystem::path& project, const SimulationOptions& given, SimulationRun& run,
                     std::u16string& errorText)
{
    run = {};
    errorText.clear();
    const TestScript* script = given.script;
    SimulationOptions options = given;
    // A script takes as many reports as it expects; with none, reports go
    // on until its sent bytes are seen.
    if (script && !script->expectations.empty())
        options.reports = script->ReportExpectations() > 0 ? script->ReportExpectations() : 1000000;
    SdccProject found;
    if (!FindSdccProject(project, found, errorText))
        return false;
    const ModeRow& mode = RowOf(options.mode);
    Target target;
    if (!FindTarget(found, mode, target, errorText))
        return false;
    run.layout = target.layout;
    run.stackStart = target.stackStart;
    run.stackRoom = target.stackRoom;
    if (options.passInterrupts)
        run.assumptions.push_back(u"The system firmware passes interrupt n on to the application at 0x2603 + 8n: "
                                  u"a jump there is planted at each of the "
                                  + FormatDecimal(kSimulatedInterrupts) + u" standard interrupt vectors.");
    run.assumptions.push_back(u"Every system routine returns at once (a RET at its entry point) with "
                              u"KR761x_Status 0 (FUNC_SUCCESS).");
    run.assumptions.push_back(u"The host polls the input endpoint every " + FormatDecimal(target.interval)
                              + u" ms (its bInterval); at a poll with the send flag set, the system firmware takes "
                                u"the report in USB_Position_Buffer and then clears the flag.");
    run.assumptions.push_back(u"Chip time counts " + FormatDecimal(kClocksPerCycle)
                              + u" oscillator clocks per machine cycle at " + FormatDecimal(target.oscillatorMHz)
                              + u" MHz"
                              + (target.oscillatorNamed ? u" (the oscillator KR761x_System_Init starts)."
                                                        : u" (the main program names no oscillator)."));

    // The routines a script answers: both bus transfers, and every routine
    // a status line names.
    std::vector<Watched> watched;
    if (script) {
        for (const auto& routine : target.routines) {
            // Named, not bound: a structured binding cannot be captured by
            // the lambda below in every compiler this builds with.
            const auto& name = routine.first;
            const auto& entry = routine.second;
            std::optional<Bus> bus;
            if (SameName(name, "KR761X_SPI_MASTER_TRANSFER"))
                bus = Bus::Spi;
            else if (SameName(name, "KR761X_SMBUS_MASTER_TRANSFER"))
                bus = Bus::SmBus;
            const bool named = std::any_of(script->statuses.begin(), script->statuses.end(),
                                           [&](const ScriptStatus& st) { return SameName(st.routine, name); });
            const bool dequeue = !script->uart.empty() && SameName(name, "KR761X_UART_DEQUEUE");
            if (bus || named || dequeue)
                watched.push_back({name, entry, bus});
        }
        for (const ScriptStatus& status : script->statuses)
            if (std::none_of(watched.begin(), watched.end(),
                             [&](const Watched& w) { return SameName(w.name, status.routine); })) {
                errorText = u"The script's line " + FormatDecimal(status.line) + u" names " + Text(status.routine)
                            + u", which KR761x_API.h does not define as a system routine's entry.";
                return false;
            }
        run.assumptions.push_back(u"What the script does not answer keeps the bench's answer: KR761x_Status 0 and "
                                  u"no bytes in Comm_Rx_Buffer.");
        if (!script->uart.empty()) {
            if (!target.uartReady) {
                errorText = u"The script gives UART bytes, but the linker's map names no KR761x_UART_RX_Data_Ready.";
                return false;
            }
            run.assumptions.push_back(
                u"UART bytes (KR761x_API.h leaves the hand-over open): the system firmware sets "
                u"KR761x_UART_RX_Data_Ready while received bytes wait, and each KR761x_UART_Dequeue hands over the "
                u"next one in Comm_Rx_Buffer[0] with KR761x_Status 0, or FUNC_UART_NO_DATA (0x31) when none waits.");
        }
    }

    const std::u16string lost = u"s51 ended or answered in a way that cannot be read.";
    platform::CTemporaryFolder folder(fs::temp_directory_path().string(), "kr761x-bench-");
    CPollClock clock(target.interval);
    platform::CFifoFeeder feeder;
    std::string reason;
    const std::string clockPath = folder.Path() + "/polls.vcd";
    if (folder.Path().empty()
        || !feeder.Start(
            clockPath, [&clock] { return clock.Next(); }, reason)) {
        errorText = u"The bench's poll clock cannot be made: "
                    + Text(folder.Path().empty() ? folder.Failure().reason : reason) + u".";
        return false;
    }
    const std::optional<std::string> s51 = platform::FindOnPath("s51");
    platform::CInteractiveProcess process;
    const std::string mhz = std::to_string(target.oscillatorMHz) + "M";
    if (!s51 || !process.Start({*s51, "-t", "8052", "-X", mhz}, reason)) {
        errorText = s51 ? u"s51 cannot be started: " + Text(reason) + u"."
                        : u"s51 was not found on PATH: install the 8051 simulator (the Debian package sdcc-ucsim).";
        return false;
    }
    const std::size_t bytes = static_cast<std::size_t>((target.report->bits + 7) / 8);
    const std::uint32_t last = target.buffer + static_cast<std::uint32_t>(bytes) - 1;
    const std::uint32_t flagMask = 1u << target.pendingBit % 8;
    const double ticksPerMs = target.oscillatorMHz * 1000.0;
    std::uint64_t instructions = 0, lastTicks = 0, wrapped = 0;
    bool pending = false;
    std::set<std::u16string> said;
    std::vector<bool> answerUsed(script ? script->answers.size() : 0), statusUsed(script ? script->statuses.size() : 0);
    std::size_t sentExpected[2] = {0, 0};
    if (script)
        for (const ScriptExpectation& e : script->expectations)
            if (!e.report)
                ++sentExpected[e.bus == Bus::Spi ? 0 : 1];
    std::size_t sentSeen[2] = {0, 0};
    // Unwraps s51's 32-bit clock count into ms of chip time.
    auto chipMs = [&](std::uint64_t ticks) {
        if (ticks < lastTicks)
            wrapped += std::uint64_t(1) << 32;
        lastTicks = ticks;
        return static_cast<double>(wrapped + ticks) / ticksPerMs;
    };
    const std::string end = "\n" + std::to_string(kEnd) + "\n";
    // The UART as the script has it at chip time now: the ready flag set
    // while an arrived byte waits, and a stop when the next one is due.
    std::size_t uartNext = 0;
    auto uartState = [&](double now) {
        if (!script || script->uart.empty())
            return std::string();
        const bool waiting = uartNext < script->uart.size() && script->uart[uartNext].fromMs <= now;
        std::uint64_t due = 0;
        for (std::size_t i = uartNext; i < script->uart.size() && !due; ++i)
            if (script->uart[i].fromMs > now)
                due = static_cast<std::uint64_t>(script->uart[i].fromMs * ticksPerMs) & 0x7FFFFFFF;
        std::ostringstream s;
        s << std::hex << "set bit 0x" << *target.uartReady << (waiting ? " 1" : " 0") << std::dec << "\nku=" << due
          << "\n";
        return s.str();
    };
    std::string commands = BenchCommands(found, target, options, clockPath, watched) + uartState(0) + RunOn(target);
    for (bool more = true; more;) {
        more = false;
        process.ClearOutput();
        if (!process.Write(commands)
            || !process.ReadUntil([&, searched = std::size_t(0)](std::string_view out) mutable {
                   // Only what arrived since the last look, the output being long.
                   const std::size_t from = searched > end.size() ? searched - end.size() : 0;
                   searched = out.size();
                   return out.find(end, from) != std::string_view::npos;
               })) {
            errorText = lost;
            return false;
        }
        auto diagnose = [&](std::u16string text) {
            if (said.insert(text).second)
                run.diagnostics.push_back(std::move(text));
        };
        for (const Event& event : ReadTrace(process.Output())) {
            if (event.marker == kTaken || event.marker == kLastTaken) {
                const std::optional<std::uint64_t> ticks = NumberAt(event.text, 0);
                const std::optional<std::uint64_t> now = NumberAt(event.text, 0, "Inst=");
                const std::size_t state = event.text.find("\nSimulation:");
                if (!ticks || !now || state == std::string::npos) {
                    errorText = lost;
                    return false;
                }
                const auto dumped =
                    ReadDumpedBytes(std::string_view(event.text).substr(state + 1), target.buffer, last);
                if (dumped.size() != bytes) {
                    errorText = lost;
                    return false;
                }
                SimulatedReport report;
                report.index = static_cast<int>(run.reports.size()) + 1;
                report.instructions = *now - instructions;
                instructions = *now;
                report.chipMs = chipMs(*ticks);
                report.reportId = target.reportId;
                for (const auto& [at, value] : dumped)
                    report.bytes.push_back(value);
                report.values = ReadReportValues(*target.report, report.bytes);
                run.reports.push_back(std::move(report));
                pending = false;
            } else if (event.marker == kFlagWritten) {
                const std::optional<std::uint64_t> pc = NumberAt(event.text, 0), flags = NumberAt(event.text, 1);
                const bool set = flags && (*flags & flagMask);
                if (set && pending && pc)
                    diagnose(u"The send flag was set again while a report was pending (not yet taken by the host), in "
                             + WriterLine(static_cast<std::uint32_t>(*pc), target.symbols)
                             + u": the two sends make one report.");
                pending = set;
            } else if (event.marker == kBufferWritten) {
                if (const std::optional<std::uint64_t> pc = NumberAt(event.text, 0))
                    diagnose(u"USB_Position_Buffer was written while a report was pending (the send flag set, the host "
                             u"not yet polled), in "
                             + WriterLine(static_cast<std::uint32_t>(*pc), target.symbols)
                             + u": the host may get the old or the new data.");
            } else if (event.marker == kStack && target.stackStart > 0) {
                const auto ram = ReadDumpedBytes(event.text, target.stackStart + 1, 0xFF);
                run.deepestStack = static_cast<long>(target.stackStart);
                for (const auto& [at, value] : ram)
                    if (value != kStackPaint)
                        run.deepestStack = static_cast<long>(at);
            } else if (event.marker == kCall) {
                // A watched routine: the script's status or answer, written
                // before the run goes on.
                const std::optional<std::uint64_t> n = NumberAt(event.text, 0), ticks = NumberAt(event.text, 1);
                if (!n || *n >= watched.size() || !ticks) {
                    errorText = lost;
                    return false;
                }
                const Watched& routine = watched[*n];
                const double now = chipMs(*ticks);
                SimulatedTransfer transfer;
                for (std::size_t i = 0; i < statusUsed.size(); ++i)
                    if (!statusUsed[i] && script->statuses[i].fromMs <= now
                        && SameName(script->statuses[i].routine, routine.name)) {
                        statusUsed[i] = true;
                        transfer.status = script->statuses[i].status;
                        break;
                    }
                std::ostringstream reply;
                reply << std::hex;
                if (SameName(routine.name, "KR761X_UART_DEQUEUE") && transfer.status == 0 && script
                    && !script->uart.empty()) {
                    if (uartNext < script->uart.size() && script->uart[uartNext].fromMs <= now)
                        reply << "set mem xram 0x" << kCommRx << " 0x" << int(script->uart[uartNext++].byte) << "\n";
                    else
                        transfer.status = kUartNoData;
                }
                if (routine.bus && transfer.status == 0)
                    for (std::size_t i = 0; i < answerUsed.size(); ++i)
                        if (!answerUsed[i] && script->answers[i].bus == *routine.bus
                            && script->answers[i].fromMs <= now) {
                            answerUsed[i] = true;
                            transfer.answered = true;
                            reply << "set mem xram 0x" << kCommRx;
                            for (std::uint8_t b : script->answers[i].bytes)
                                reply << " 0x" << int(b);
                            reply << "\n";
                            break;
                        }
                reply << "set mem xram 0x" << target.status << " 0x" << transfer.status << "\n";
                more = true;
                if (routine.bus) {
                    transfer.bus = *routine.bus;
                    const std::size_t state = event.text.find('\n', event.text.find('\n') + 1);
                    for (const auto& [at, value] : ReadDumpedBytes(std::string_view(event.text).substr(state + 1),
                                                                   kCommTx, kCommTx + kCommBytes - 1))
                        transfer.sent.push_back(value);
                    run.transfers.push_back(std::move(transfer));
                    // Without a report to expect, the run ends once every
                    // sent-bytes expectation has its transfer.
                    const std::size_t b = *routine.bus == Bus::Spi ? 0 : 1;
                    ++sentSeen[b];
                    if (script->ReportExpectations() == 0 && sentSeen[0] >= sentExpected[0]
                        && sentSeen[1] >= sentExpected[1] && sentExpected[0] + sentExpected[1] > 0)
                        more = false;
                }
                commands = reply.str() + uartState(now) + RunOn(target);
            } else if (event.marker == kUartArrived) {
                const std::optional<std::uint64_t> ticks = NumberAt(event.text, 0);
                if (!ticks) {
                    errorText = lost;
                    return false;
                }
                commands = uartState(chipMs(*ticks)) + RunOn(target);
                more = true;
            } else if (event.marker == kBudget) {
                std::smatch stop;
                if (!std::regex_search(event.text, stop, std::regex(R"(Stop at 0x([0-9a-fA-F]+))"))) {
                    errorText = lost;
                    return false;
                }
                errorText = NoReport(options.budget, static_cast<std::uint32_t>(std::stoul(stop[1].str(), nullptr, 16)),
                                     target.symbols);
                return false;
            }
        }
    }
    if (run.deepestStack >= 0 && run.stackStart > 0) {
        const long used = run.deepestStack - static_cast<long>(run.stackStart);
        run.stack = u"Stack: " + FormatDecimal(used) + u" bytes at its deepest (up to "
                    + Hex(static_cast<std::uint32_t>(run.deepestStack), 2) + u")"
                    + (run.stackRoom >= 0 ? u" of the " + FormatDecimal(run.stackRoom) + u" bytes the build left for it"
                                          : std::u16string())
                    + (run.stackRoom >= 0 && used > run.stackRoom ? u": it overran its room." : u".");
    }
    if (run.reports.size() != static_cast<std::size_t>(options.reports)
        && !(script && !run.transfers.empty() && script->ReportExpectations() == 0)) {
        std::smatch stop;
        const std::string& out = process.Output();
        errorText =
            std::regex_search(out, stop, std::regex(R"(Stop at 0x([0-9a-fA-F]+): \(\d+\) ([^\r\n]*))"))
                ? u"The simulation stopped at " + Text("0x" + stop[1].str()) + u": " + Text(stop[2].str()) + u"."
                : lost;
        return false;
    }
    return true;
}

}  // namespace kr::simulation
