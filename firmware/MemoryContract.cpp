// SPDX-License-Identifier: MIT
#include "firmware/MemoryContract.h"

#include <algorithm>
#include <map>
#include <regex>
#include <set>

#include "firmware/ImageCheck.h"
#include "firmware/TextLines.h"
#include "platform/NumberText.h"
#include "platform/Utf.h"

namespace kr::firmware {
namespace {

using platform::FormatDecimal;
using platform::FromUtf8;

// Something placed: a variable, an absolute area or a whole segment.
struct Placed {
    std::u16string what;  // "x (User)", "the segment CSEG"
    MemorySpace space;
    std::uint32_t first;
    std::uint32_t size;  // bytes, or bits
    std::uint32_t last() const { return first + size - 1; }
};

std::u16string Range(std::uint32_t first, std::uint32_t last, int digits)
{
    std::u16string text = platform::FormatHexLiteral(first, digits);
    if (last != first)
        text += u"-" + platform::FormatHexLiteral(last, digits);
    return text;
}

int Digits(MemorySpace space)
{
    return space == MemorySpace::Code || space == MemorySpace::ExternalRam || space == MemorySpace::PagedExternalRam
               ? 4
               : 2;
}

std::u16string At(const Placed& p)
{
    return p.what + (p.space == MemorySpace::Bits ? u" at bit " : u" at ") + Range(p.first, p.last(), Digits(p.space));
}

bool Meets(const Placed& p, std::uint32_t first, std::uint32_t last)
{
    return p.size > 0 && p.first <= last && p.last() >= first;
}

MemorySpace SpaceOfArea(unsigned flags)
{
    if (flags & kAreaCode)
        return MemorySpace::Code;
    if (flags & kAreaBit)
        return MemorySpace::Bits;
    if (flags & kAreaExternal)
        return (flags & kAreaPaged) ? MemorySpace::PagedExternalRam : MemorySpace::ExternalRam;
    return MemorySpace::InternalRam;
}

// The C name of an absolute area's first symbol ("_Msg" -> "Msg"); the
// debug names ("G$Msg$0_0$0") are skipped.
std::string AreaName(const ObjectArea& area)
{
    for (const ObjectSymbol& symbol : area.symbols)
        if (symbol.name.find('$') == std::string::npos && symbol.name.starts_with("_"))
            return symbol.name.substr(1);
    return area.name;
}

// "0x28, 0x2A-0x2C": ascending addresses as runs.
std::u16string Runs(const std::vector<std::uint32_t>& addresses, int digits)
{
    std::u16string out;
    for (std::size_t i = 0; i < addresses.size();) {
        std::size_t j = i;
        while (j + 1 < addresses.size() && addresses[j + 1] == addresses[j] + 1)
            ++j;
        out += (out.empty() ? u"" : u", ") + Range(addresses[i], addresses[j], digits);
        i = j + 1;
    }
    return out;
}

// The three kinds of memory a variable placed at an address can share with
// the linker's own: bytes of internal RAM, bits, bytes of XRAM.
enum class Kind { InternalRam, Bits, ExternalRam, None };

Kind KindOf(MemorySpace space)
{
    switch (space) {
    case MemorySpace::InternalRam:
    case MemorySpace::DirectRam:
        return Kind::InternalRam;
    case MemorySpace::Bits:
        return Kind::Bits;
    case MemorySpace::ExternalRam:
    case MemorySpace::PagedExternalRam:
        return Kind::ExternalRam;
    case MemorySpace::Code:
        break;
    }
    return Kind::None;
}

// The data areas whose globals the map lists, and what they hold.
Kind KindOfArea(const std::string& area)
{
    if (area == "DSEG" || area == "OSEG" || area == "ISEG")
        return Kind::InternalRam;
    if (area == "BSEG")
        return Kind::Bits;
    if (area == "XSEG" || area == "XISEG" || area == "PSEG")
        return Kind::ExternalRam;
    return Kind::None;
}

// The data segments a library module alone may fill, with their attributes.
const std::pair<const char*, unsigned> kLibrarySegments[] = {
    {"XSEG", kAreaExternal}, {"XISEG", kAreaExternal}, {"PSEG", kAreaExternal | kAreaPaged}, {"BSEG", kAreaBit}};

// What a byte of the linker's drawing of internal RAM holds when no variable
// of the records or the map names it.
std::u16string DrawnContent(char c)
{
    switch (c) {
    case 'B':
        return u"the bytes of the bit segment";
    case 'T':
        return u"the bit registers";
    case 'Q':
        return u"the overlaid variables of the linker";
    case 'I':
        return u"the indirect data of the linker";
    default:
        return u"the data of the linker";
    }
}

class ContractCheck {
public:
    ContractCheck(const LinkFacts& link, const HexImage& image, const MemoryMap& memory)
        : link_(link), image_(image), memory_(memory)
    {
    }

    std::vector<std::u16string> Run(std::uint32_t minimumStack)
    {
        Occupants();
        Segments();
        AbsoluteAreas();
        Variables();
        Stack(minimumStack);
        WindowBytes();
        FreeInternalRam(minimumStack);
        return problems_;
    }

    // The bytes the stack has below the first variable placed in its room.
    std::uint32_t StackRoomLeft(const Placed** lowest = nullptr)
    {
        const auto stack = link_.map.find("SSEG");
        if (stack == link_.map.end() || stack->second.length == 0)
            return 0;
        const std::uint32_t start = stack->second.start;
        std::uint32_t end = std::min<std::uint32_t>(start + stack->second.length, 0x100);
        for (const Placed& p : placements_)
            if (KindOf(p.space) == Kind::InternalRam && p.last() >= start && p.first < end) {
                end = std::max(p.first, start);
                if (lowest)
                    *lowest = &p;
            }
        return end - start;
    }

    // The variables placed at an address, found by Run.
    std::vector<Placed> placements_;

private:
    void Add(const std::u16string& problem)
    {
        if (seen_.insert(problem).second)
            problems_.push_back(problem);
    }

    // A problem of internal RAM: the refusal then lists what is still free.
    void AddInternal(const std::u16string& problem)
    {
        Add(problem);
        internalRamAtFault_ = true;
    }

    bool IsEquate(const DebugSymbol& symbol) const { return equates_.count(symbol.record) > 0; }

    // What the linker placed itself, of every module, library ones included:
    // the variables of the debug records that are not placed at an address,
    // and the globals the map lists in the data areas that the records do
    // not describe, each up to the next one or the end of its area.
    void Occupants()
    {
        for (const ObjectModule& module : link_.modules)
            for (const ObjectSymbol& equate : module.equates)
                equates_.insert(equate.name);
        // Variables of an absolute area are placed by their module, not by
        // the linker.
        std::vector<Placed> absolute;
        for (const ObjectModule& module : link_.modules)
            for (const ObjectArea& area : module.areas)
                if ((area.flags & kAreaAbsolute) && area.size > 0 && !(area.flags & kAreaCode))
                    absolute.push_back({{}, SpaceOfArea(area.flags), area.address, area.size});
        auto inAbsoluteArea = [&](const DebugSymbol& symbol) {
            return std::any_of(absolute.begin(), absolute.end(), [&](const Placed& a) {
                return KindOf(a.space) == KindOf(symbol.space) && symbol.address >= a.first
                       && symbol.address <= a.last();
            });
        };
        for (const DebugSymbol& symbol : link_.symbols)
            if (!IsEquate(symbol) && KindOf(symbol.space) != Kind::None && !inAbsoluteArea(symbol))
                occupants_.push_back({FromUtf8(symbol.name) + u" (" + FromUtf8(symbol.module) + u")", symbol.space,
                                      symbol.address, std::max<std::uint32_t>(symbol.size, 1)});
        // The bits have no address in the records and the map lists none:
        // the linker lays each module's part of a bit segment after the
        // part of the module linked before it.
        std::map<std::string, std::uint32_t> bitOffsets;
        for (const ObjectModule& module : link_.modules)
            for (const ObjectArea& area : module.areas) {
                const auto placed = link_.map.find(area.name);
                if (!(area.flags & kAreaBit) || (area.flags & kAreaAbsolute) || placed == link_.map.end())
                    continue;
                const std::uint32_t base = placed->second.start + bitOffsets[area.name];
                bitOffsets[area.name] += area.size;
                for (const ObjectSymbol& symbol : area.symbols)
                    if (symbol.name.starts_with("_") && symbol.name.find('$') == std::string::npos
                        && symbol.value < area.size)
                        occupants_.push_back({FromUtf8(symbol.name.substr(1)) + u" (" + FromUtf8(module.name) + u")",
                                              MemorySpace::Bits, base + symbol.value, 1});
            }
        struct Start {
            const MapSymbol* symbol;
            Kind kind;
        };
        std::vector<Start> starts;
        for (const MapSymbol& symbol : link_.mapSymbols) {
            const Kind kind = KindOfArea(symbol.area);
            if (kind == Kind::None || symbol.name.find('$') != std::string::npos || symbol.name.starts_with("__start_"))
                continue;
            starts.push_back({&symbol, kind});
        }
        const std::size_t recorded = occupants_.size();
        for (const Start& start : starts) {
            const std::uint32_t at = start.symbol->value;
            const bool described = std::any_of(occupants_.begin(), occupants_.begin() + recorded, [&](const Placed& o) {
                return KindOf(o.space) == start.kind && o.first == at;
            });
            if (described)
                continue;
            // Up to the next variable of the same area, of the map or the records.
            std::uint32_t end = AreaEnd(start.symbol->area, at);
            for (const Start& other : starts)
                if (other.symbol->area == start.symbol->area && other.symbol->value > at)
                    end = std::min(end, other.symbol->value);
            for (const Placed& o : occupants_)
                if (KindOf(o.space) == start.kind && o.first > at)
                    end = std::min(end, o.first);
            const std::string& name = start.symbol->name;
            const std::u16string module = FromUtf8(start.symbol->module);
            const std::u16string what = name == "___sdcc_heap" ? u"the library allocator's heap (" + module + u")"
                                                               : FromUtf8(name.starts_with("_") ? name.substr(1) : name)
                                                                     + u" (" + module + u")";
            const MemorySpace space = start.kind == Kind::InternalRam ? MemorySpace::InternalRam
                                      : start.kind == Kind::Bits      ? MemorySpace::Bits
                                                                      : MemorySpace::ExternalRam;
            occupants_.push_back({what, space, at, std::max<std::uint32_t>(end - at, 1)});
        }
    }

    // Where the area that holds address ends (one past its last address):
    // the map's extent for the bits and XRAM, the run of the same drawing
    // for internal RAM, whose extents the map does not give.
    std::uint32_t AreaEnd(const std::string& area, std::uint32_t address) const
    {
        if (KindOfArea(area) == Kind::InternalRam) {
            if (!link_.internalRam.known || address > 0xFF)
                return address + 1;
            std::uint32_t end = address;
            while (end <= 0xFF && link_.internalRam.bytes[end] == link_.internalRam.bytes[address])
                ++end;
            return end;
        }
        const auto placed = link_.map.find(area);
        if (placed == link_.map.end() || placed->second.start + placed->second.length <= address)
            return address + 1;
        return placed->second.start + placed->second.length;
    }

    // The rules for data of every space; code is judged by the windows.
    void Data(const Placed& p)
    {
        switch (p.space) {
        case MemorySpace::Code:
            Code(p);
            break;
        case MemorySpace::InternalRam:
        case MemorySpace::DirectRam:
            for (const AddressRange& range : memory_.systemInternalRam)
                if (Meets(p, range.first, range.last))
                    AddInternal(At(p) + u" lies in internal RAM the system firmware owns ("
                                + Range(range.first, range.last, 2) + u").");
            if (p.space == MemorySpace::DirectRam && Meets(p, 0x80, 0xFF))
                AddInternal(At(p) + u" is direct data above 0x7F, where the special function registers lie.");
            break;
        case MemorySpace::Bits:
            if (Meets(p, 0, memory_.systemBitsLast))
                AddInternal(At(p) + u" lies in the bit addresses 0x00-"
                            + platform::FormatHexLiteral(memory_.systemBitsLast, 2)
                            + u" that the system firmware owns.");
            if (Meets(p, 0x80, 0xFFFF))
                AddInternal(At(p) + u" lies above bit 0x7F, among the bits of the special function registers.");
            break;
        case MemorySpace::ExternalRam:
            if (Meets(p, 0, memory_.sharedExternalRamLast))
                Add(At(p) + u" lies in XRAM 0x0000-" + platform::FormatHexLiteral(memory_.sharedExternalRamLast, 4)
                    + u", which holds only the variables shared with the system firmware.");
            break;
        case MemorySpace::PagedExternalRam:
            Add(At(p)
                + u" is paged external data, reached through P2, which is the GPIO_HI port on this chip: "
                  u"declare it __xdata.");
            break;
        }
    }

    // Code or constants in a window; their bytes are then accounted for.
    void Code(const Placed& p)
    {
        for (const ReservedWindow& window : memory_.windows)
            if (Meets(p, window.first, window.last)) {
                Add(At(p) + u" lies in " + Range(window.first, window.last, 4) + u", which holds only " + window.holds
                    + u".");
                for (std::uint32_t a = p.first; a <= p.last(); ++a)
                    accounted_.insert(a);
            }
    }

    // The relocatable areas, each as far as the map says the linker placed
    // it, with every module's part, library ones included.
    void Segments()
    {
        struct Segment {
            unsigned flags = 0;
            std::set<std::string> modules;
        };
        std::map<std::string, Segment> segments;
        for (const ObjectModule& module : link_.modules)
            for (const ObjectArea& area : module.areas)
                if (!(area.flags & kAreaAbsolute) && area.size > 0) {
                    Segment& segment = segments[area.name];
                    segment.flags |= area.flags;
                    segment.modules.insert(module.name);
                }
        // Segments that library modules fill, the allocator's heap among them.
        for (const auto& [name, flags] : kLibrarySegments)
            if (link_.map.count(name))
                segments[name].flags |= flags;
        for (const MapSymbol& symbol : link_.mapSymbols)
            if (segments.count(symbol.area))
                segments[symbol.area].modules.insert(symbol.module);
        for (const auto& [name, segment] : segments) {
            const auto placed = link_.map.find(name);
            if (placed == link_.map.end() || placed->second.length == 0)
                continue;
            std::u16string modules;
            for (const std::string& module : segment.modules)
                modules += (modules.empty() ? u"" : u", ") + FromUtf8(module);
            // The map's extent: every module's part, library ones included.
            const Placed p{u"The segment " + FromUtf8(name) + u" (" + modules + u")", SpaceOfArea(segment.flags),
                           placed->second.start, placed->second.length};
            if (p.space == MemorySpace::ExternalRam || p.space == MemorySpace::PagedExternalRam
                || p.space == MemorySpace::Bits)
                segments_.push_back({FromUtf8(name), p.space, p.first, p.size});
            if (name.starts_with("REG_BANK_")) {
                if (name != "REG_BANK_0")
                    AddInternal(u"Register bank " + FromUtf8(name.substr(9)) + u" (" + Range(p.first, p.last(), 2)
                                + u") is in use by " + BankUsers(name.substr(9), modules)
                                + u": the banks but bank 0 belong to the system firmware.");
                continue;
            }
            if (name == "SSEG")
                continue;  // the stack: judged by its room
            // The map's figures for the internal RAM areas do not say where
            // a flag put them; their variables are judged one by one.
            if (p.space == MemorySpace::InternalRam)
                continue;
            if (name == "HOME" && p.last() > memory_.vectorsLast) {
                Add(u"The reset and interrupt vectors (HOME at " + Range(p.first, p.last(), 4) + u") reach past "
                    + platform::FormatHexLiteral(memory_.vectorsLast, 4)
                    + u": an interrupt above 15, or library code in the HOME area, does that.");
                continue;
            }
            if (p.space == MemorySpace::PagedExternalRam) {
                Add(At(p)
                    + u" holds paged external data, reached through P2, which is the GPIO_HI port on this "
                      u"chip: declare its variables __xdata.");
                pagedSegments_.push_back(p);
                continue;
            }
            Data(p);
        }
    }

    // The functions that use a bank, each as what it is: "the interrupt
    // handler Timer (User) with __using (1)".
    std::u16string BankUsers(const std::string& bank, const std::u16string& modules) const
    {
        std::u16string users;
        for (const DebugFunction& f : link_.functions)
            if (f.bank != 0 && std::to_string(f.bank) == bank)
                users += std::u16string(users.empty() ? u"" : u", ")
                         + (f.interrupt ? u"the interrupt handler " : u"the function ") + FromUtf8(f.name) + u" ("
                         + FromUtf8(f.module) + u") with __using (" + FormatDecimal(f.bank) + u")";
        return users.empty() ? modules + u" (a function with __using)" : users;
    }

    // Absolute areas: data and code placed at an address by one module.
    void AbsoluteAreas()
    {
        for (const ObjectModule& module : link_.modules)
            for (const ObjectArea& area : module.areas) {
                if (!(area.flags & kAreaAbsolute) || area.size == 0)
                    continue;
                const std::string name = AreaName(area);
                const Placed p{FromUtf8(name) + u" (" + FromUtf8(module.name) + u")", SpaceOfArea(area.flags),
                               area.address, area.size};
                if (p.space != MemorySpace::Code) {
                    Data(p);
                    BesideTheLinker(p);
                    continue;
                }
                const ReservedWindow* window = GeneratedArrayWindow(module.name, name, p);
                if (!window) {
                    Code(p);
                    continue;
                }
                for (std::uint32_t a = p.first; a <= p.last(); ++a)
                    accounted_.insert(a);
                std::vector<std::uint32_t> differing;
                for (const auto& [address, byte] : area.bytes) {
                    const auto it = image_.bytes.find(address);
                    if (it == image_.bytes.end() || it->second != byte)
                        differing.push_back(address);
                }
                if (!differing.empty())
                    Add(At(p) + u" differs from its compiled module at " + AddressRuns(differing) + u".");
            }
    }

    const ReservedWindow* GeneratedArrayWindow(const std::string& module, const std::string& name,
                                               const Placed& p) const
    {
        for (const ReservedWindow& window : memory_.windows)
            if (module == window.module && p.first >= window.first && p.last() <= window.last
                && std::find_if(window.arrays.begin(), window.arrays.end(), [&](const char* array) {
                       return name == array;
                   }) != window.arrays.end())
                return &window;
        return nullptr;
    }

    // A variable placed at an address is unknown to the linker, which may
    // give the same bytes or bits to variables of any module, a register
    // bank, the bit segment or the stack; the stack's room is judged once all
    // placements are known.
    void BesideTheLinker(const Placed& p)
    {
        const Kind kind = KindOf(p.space);
        if (kind == Kind::None)
            return;
        placements_.push_back(p);
        // Each occupant with the addresses of p it shares.
        std::vector<std::pair<Placed, std::vector<std::uint32_t>>> shared;
        auto share = [&](const Placed& occupant, std::uint32_t address) {
            auto it = std::find_if(shared.begin(), shared.end(), [&](const auto& s) {
                return s.first.what == occupant.what && s.first.first == occupant.first;
            });
            if (it == shared.end())
                shared.push_back({occupant, {address}});
            else if (it->second.back() != address)
                it->second.push_back(address);
        };
        const std::uint32_t last = kind == Kind::InternalRam ? std::min<std::uint32_t>(p.last(), 0xFF) : p.last();
        for (std::uint32_t a = p.first; a <= last && a >= p.first; ++a) {
            bool named = false;
            for (const Placed& o : occupants_)
                if (KindOf(o.space) == kind && a >= o.first && a <= o.last()) {
                    share(o, a);
                    named = true;
                }
            if (kind == Kind::InternalRam) {
                const char drawn = link_.internalRam.known ? link_.internalRam.bytes[a] : ' ';
                if (drawn >= '0' && drawn <= '3') {
                    const std::uint32_t bank = static_cast<std::uint32_t>(drawn - '0');
                    share({u"register bank " + FormatDecimal(bank), MemorySpace::InternalRam, bank * 8, 8}, a);
                    continue;
                }
                // The bits the linker placed in this byte.
                for (const Placed& o : occupants_)
                    if (o.space == MemorySpace::Bits && o.first < 0x80 && 0x20 + o.first / 8 == a) {
                        share(o, a);
                        named = true;
                    }
                if (!named && drawn != ' ' && drawn != 'A' && drawn != 'S' && drawn != 0) {
                    // The whole run of bytes drawn alike.
                    std::uint32_t first = a, end = a + 1;
                    while (first > 0 && link_.internalRam.bytes[first - 1] == drawn)
                        --first;
                    while (end <= 0xFF && link_.internalRam.bytes[end] == drawn)
                        ++end;
                    share({DrawnContent(drawn), MemorySpace::InternalRam, first, end - first}, a);
                }
            } else if (!named) {
                for (const Placed& segment : segments_)
                    if (KindOf(segment.space) == kind && a >= segment.first && a <= segment.last())
                        share({u"the segment " + segment.what, segment.space, segment.first, segment.size}, a);
            }
        }
        for (const auto& [occupant, addresses] : shared) {
            const std::u16string problem = At(p) + u" overlaps " + At(occupant) + u", which the linker placed there: "
                                           + (kind == Kind::Bits ? u"bit " : u"") + Runs(addresses, Digits(p.space))
                                           + u".";
            if (kind == Kind::ExternalRam)
                Add(problem);
            else
                AddInternal(problem);
        }
    }

    // The variables of the debug records: those placed with __at have no
    // storage of their own, so only these records say where they lie.
    void Variables()
    {
        for (const DebugSymbol& symbol : link_.symbols) {
            if (IsShared(symbol))
                continue;
            const Placed p{FromUtf8(symbol.name) + u" (" + FromUtf8(symbol.module) + u")", symbol.space, symbol.address,
                           std::max<std::uint32_t>(symbol.size, 1)};
            const bool inPagedSegment = std::any_of(pagedSegments_.begin(), pagedSegments_.end(), [&](const Placed& s) {
                return p.first >= s.first && p.last() <= s.last();
            });
            if (p.space == MemorySpace::PagedExternalRam && inPagedSegment)
                continue;  // said of its segment
            Data(p);
            if (IsEquate(symbol))
                BesideTheLinker(p);
        }
    }

    bool IsShared(const DebugSymbol& symbol) const
    {
        if (symbol.module != memory_.mainModule)
            return false;
        return std::any_of(memory_.shared.begin(), memory_.shared.end(), [&](const SharedVariable& shared) {
            return symbol.name == shared.name && symbol.space == shared.space && symbol.address == shared.address
                   && symbol.size == shared.size;
        });
    }

    // The stack grows from its segment up: a variable placed in its room
    // leaves it the bytes below that variable.
    void Stack(std::uint32_t minimumStack)
    {
        const auto stack = link_.map.find("SSEG");
        const std::uint32_t whole = stack == link_.map.end() ? 0 : stack->second.length;
        if (whole < minimumStack) {
            AddInternal(u"Only " + FormatDecimal(whole) + u" bytes of internal RAM are left for the stack; at least "
                        + FormatDecimal(minimumStack) + u" are needed.");
            return;
        }
        const Placed* lowest = nullptr;
        const std::uint32_t room = StackRoomLeft(&lowest);
        if (room < minimumStack && lowest) {
            const std::uint32_t start = link_.map.at("SSEG").start;
            AddInternal(At(*lowest) + u" lies in the stack's room (" + Range(start, 0xFF, 2)
                        + u") and leaves the stack only " + FormatDecimal(room) + u" bytes below it; at least "
                        + FormatDecimal(minimumStack) + u" are needed.");
        }
    }

    // After a fault of internal RAM, the bytes of the application's internal
    // RAM where nothing lies: neither a variable nor the minimum of the stack.
    void FreeInternalRam(std::uint32_t minimumStack)
    {
        if (!internalRamAtFault_ || !link_.internalRam.known)
            return;
        const auto stack = link_.map.find("SSEG");
        const std::uint32_t stackStart = stack == link_.map.end() ? 0x100 : stack->second.start;
        std::vector<std::uint32_t> free;
        for (std::uint32_t a = 0; a <= 0xFF; ++a) {
            const char drawn = link_.internalRam.bytes[a];
            const bool system = std::any_of(memory_.systemInternalRam.begin(), memory_.systemInternalRam.end(),
                                            [&](const AddressRange& r) { return a >= r.first && a <= r.last; });
            const bool placed = std::any_of(placements_.begin(), placements_.end(), [&](const Placed& p) {
                return (KindOf(p.space) == Kind::InternalRam && a >= p.first && a <= p.last())
                       || (p.space == MemorySpace::Bits && p.first < 0x80 && a >= 0x20 + p.first / 8
                           && a <= 0x20 + std::min<std::uint32_t>(p.last(), 0x7F) / 8);
            });
            const bool stackMinimum = a >= stackStart && a < stackStart + minimumStack;
            if (!system && !placed && !stackMinimum && (drawn == ' ' || drawn == 'S'))
                free.push_back(a);
        }
        std::u16string stackNote;
        if (stackStart <= 0xFF)
            stackNote = u" (the stack needs "
                        + Range(stackStart, std::min<std::uint32_t>(stackStart + minimumStack - 1, 0xFF), 2) + u")";
        if (free.empty())
            Add(u"No internal RAM of the application is still free" + stackNote + u".");
        else
            Add(u"Internal RAM still free: " + Runs(free, 2) + stackNote + u".");
    }

    // Whatever else lies in a window: bytes neither a generated array nor a
    // placement named above accounts for.
    void WindowBytes()
    {
        for (const ReservedWindow& window : memory_.windows) {
            std::vector<std::uint32_t> intruders;
            for (auto it = image_.bytes.lower_bound(window.first); it != image_.bytes.end() && it->first <= window.last;
                 ++it)
                if (!accounted_.count(it->first))
                    intruders.push_back(it->first);
            if (!intruders.empty())
                Add(u"Other than " + std::u16string(window.holds) + u" in " + Address(window.first) + u"-"
                    + Address(window.last) + u": " + AddressRuns(intruders) + u".");
        }
    }

    const LinkFacts& link_;
    const HexImage& image_;
    const MemoryMap& memory_;
    std::vector<std::u16string> problems_;
    std::set<std::u16string> seen_;
    std::set<std::uint32_t> accounted_;  // window bytes already explained
    std::vector<Placed> pagedSegments_;
    std::vector<Placed> segments_;  // external RAM and bit segments, named by the segment alone
    std::vector<Placed> occupants_;  // what the linker placed itself
    std::set<std::string> equates_;  // the records' names of what is placed at an address
    bool internalRamAtFault_ = false;
};

}  // namespace

std::uint32_t StackRoom(const LinkFacts& link, const MemoryMap& memory)
{
    const HexImage none;
    ContractCheck check(link, none, memory);
    check.Run(0);
    return check.StackRoomLeft();
}

std::optional<std::uint32_t> HighestExternalRam(const LinkFacts& link)
{
    std::optional<std::uint32_t> highest;
    auto take = [&](std::uint32_t last) { highest = std::max(highest.value_or(0), last); };
    for (const char* segment : {"XSEG", "XISEG", "PSEG"}) {
        const auto placed = link.map.find(segment);
        if (placed != link.map.end() && placed->second.length > 0)
            take(placed->second.start + placed->second.length - 1);
    }
    for (const DebugSymbol& symbol : link.symbols)
        if (symbol.space == MemorySpace::ExternalRam || symbol.space == MemorySpace::PagedExternalRam)
            take(symbol.address + std::max<std::uint32_t>(symbol.size, 1) - 1);
    for (const ObjectModule& module : link.modules)
        for (const ObjectArea& area : module.areas)
            if ((area.flags & kAreaAbsolute) && (area.flags & kAreaExternal) && area.size > 0)
                take(area.address + area.size - 1);
    return highest;
}

std::u16string InternalRamOverflow(std::string_view linkerOutput, const MemoryMap& memory)
{
    const std::regex asked(R"(Could not get (\d+) consecutive bytes? in internal RAM for area (\S+?)\.?\s*$)");
    std::map<std::string, std::vector<std::string>> byArea;
    std::vector<std::string> areas;
    ForEachLine(linkerOutput, [&](std::string_view view) {
        const std::string line(view);
        std::smatch m;
        if (!std::regex_search(line, m, asked))
            return;
        if (!byArea.count(m[2].str()))
            areas.push_back(m[2].str());
        byArea[m[2].str()].push_back(m[1].str());
    });
    if (areas.empty())
        return {};
    std::u16string what;
    for (std::size_t i = 0; i < areas.size(); ++i) {
        std::u16string counts;
        const std::vector<std::string>& asks = byArea[areas[i]];
        for (std::size_t k = 0; k < asks.size(); ++k)
            counts += (k == 0 ? u"" : k + 1 == asks.size() ? u" and " : u", ") + FromUtf8(asks[k]);
        what += (i == 0                  ? u""
                 : i + 1 == areas.size() ? u" and "
                                         : u", ")
                + counts + u" bytes for " + FromUtf8(areas[i]);
    }
    // The application's internal RAM: what the system firmware does not own.
    std::vector<std::uint32_t> owned;
    for (std::uint32_t a = 0; a <= 0xFF; ++a)
        if (std::none_of(memory.systemInternalRam.begin(), memory.systemInternalRam.end(),
                         [&](const AddressRange& r) { return a >= r.first && a <= r.last; }))
            owned.push_back(a);
    std::u16string ranges = Runs(owned, 2);
    if (const std::size_t comma = ranges.rfind(u", "); comma != std::u16string::npos)
        ranges.replace(comma, 2, u" and ");
    // Direct data (DSEG, OSEG) cannot lie above 0x7F, where the registers are.
    const bool direct = byArea.count("DSEG") || byArea.count("OSEG");
    const std::uint32_t directLast = 0x7F;
    return u"Internal RAM is full: the linker could not find room for " + what + u". The application owns only "
           + ranges + u" of internal RAM (" + FormatDecimal(static_cast<std::int64_t>(owned.size()))
           + u" bytes, for its bits, its variables and the stack)"
           + (direct ? u", and only " + Range(memory.userDataStart, directLast, 2) + u" ("
                           + FormatDecimal(directLast - memory.userDataStart + 1)
                           + u" bytes) of it for direct data (__data, and the parameters and locals of functions); "
                             u"declare large variables __xdata or __idata."
                     : std::u16string(u"; declare large variables __xdata."));
}

std::vector<std::u16string> CheckMemoryContract(const LinkFacts& link, const HexImage& image, const MemoryMap& memory,
                                                std::uint32_t minimumStack)
{
    return ContractCheck(link, image, memory).Run(minimumStack);
}

}  // namespace kr::firmware
