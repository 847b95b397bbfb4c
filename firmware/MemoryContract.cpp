// SPDX-License-Identifier: MIT
#include "firmware/MemoryContract.h"

#include <algorithm>
#include <map>
#include <set>

#include "firmware/ImageCheck.h"
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

class ContractCheck {
public:
    ContractCheck(const LinkFacts& link, const HexImage& image, const MemoryMap& memory)
        : link_(link), image_(image), memory_(memory)
    {
    }

    std::vector<std::u16string> Run(std::uint32_t minimumStack)
    {
        Segments();
        AbsoluteAreas();
        Variables();
        Stack(minimumStack);
        WindowBytes();
        return problems_;
    }

private:
    void Add(const std::u16string& problem)
    {
        if (seen_.insert(problem).second)
            problems_.push_back(problem);
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
                    Add(At(p) + u" lies in internal RAM the system firmware owns (" + Range(range.first, range.last, 2)
                        + u").");
            if (p.space == MemorySpace::DirectRam && Meets(p, 0x80, 0xFF))
                Add(At(p) + u" is direct data above 0x7F, where the special function registers lie.");
            break;
        case MemorySpace::Bits:
            if (Meets(p, 0, memory_.systemBitsLast))
                Add(At(p) + u" lies in the bit addresses 0x00-" + platform::FormatHexLiteral(memory_.systemBitsLast, 2)
                    + u" that the system firmware owns.");
            if (Meets(p, 0x80, 0xFFFF))
                Add(At(p) + u" lies above bit 0x7F, among the bits of the special function registers.");
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

    // The relocatable areas, each as the linker placed what its modules put
    // there: one after the other, or on top of each other for an overlay.
    void Segments()
    {
        struct Segment {
            unsigned flags = 0;
            std::uint32_t content = 0;
            std::set<std::string> modules;
        };
        std::map<std::string, Segment> segments;
        for (const ObjectModule& module : link_.modules)
            for (const ObjectArea& area : module.areas)
                if (!(area.flags & kAreaAbsolute) && area.size > 0) {
                    Segment& segment = segments[area.name];
                    segment.flags |= area.flags;
                    segment.content = (area.flags & kAreaOverlay) ? std::max(segment.content, area.size)
                                                                  : segment.content + area.size;
                    segment.modules.insert(module.name);
                }
        for (const auto& [name, segment] : segments) {
            const auto placed = link_.map.find(name);
            if (placed == link_.map.end() || placed->second.length == 0)
                continue;
            std::u16string modules;
            for (const std::string& module : segment.modules)
                modules += (modules.empty() ? u"" : u", ") + FromUtf8(module);
            const Placed p{u"The segment " + FromUtf8(name) + u" (" + modules + u")", SpaceOfArea(segment.flags),
                           placed->second.start, std::min(segment.content, placed->second.length)};
            if (p.space == MemorySpace::ExternalRam || p.space == MemorySpace::PagedExternalRam
                || p.space == MemorySpace::Bits)
                segments_.push_back({FromUtf8(name), p.space, p.first, p.size});
            if (name.starts_with("REG_BANK_")) {
                if (name != "REG_BANK_0")
                    Add(u"Register bank " + FromUtf8(name.substr(9)) + u" (" + Range(p.first, p.last(), 2)
                        + u") is in use by " + modules
                        + u" (an interrupt handler with __using): the banks but bank 0 belong to the system firmware.");
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
    // give the same bytes to the variables of a segment or to the stack.
    void BesideTheLinker(const Placed& p)
    {
        const auto stack = link_.map.find("SSEG");
        if ((p.space == MemorySpace::InternalRam || p.space == MemorySpace::DirectRam) && stack != link_.map.end()
            && stack->second.length > 0 && Meets(p, stack->second.start, 0xFF))
            Add(At(p) + u" lies in the stack (" + Range(stack->second.start, 0xFF, 2) + u").");
        for (const Placed& segment : segments_)
            if ((segment.space == p.space
                 || (segment.space == MemorySpace::PagedExternalRam && p.space == MemorySpace::ExternalRam))
                && Meets(p, segment.first, segment.last()))
                Add(At(p) + u" lies in the segment " + segment.what + u" ("
                    + Range(segment.first, segment.last(), Digits(segment.space))
                    + u"), where the linker placed other variables.");
    }

    // The variables of the debug records: those placed with __at have no
    // storage of their own, so only these records say where they lie.
    void Variables()
    {
        std::set<std::string> equates;
        for (const ObjectModule& module : link_.modules)
            for (const ObjectSymbol& equate : module.equates)
                equates.insert(equate.name);
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
            if (equates.count(symbol.record))
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

    void Stack(std::uint32_t minimumStack)
    {
        const std::uint32_t room = StackRoom(link_.map);
        if (room < minimumStack)
            Add(u"Only " + FormatDecimal(room) + u" bytes of internal RAM are left for the stack; at least "
                + FormatDecimal(minimumStack) + u" are needed.");
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
};

}  // namespace

std::uint32_t StackRoom(const LinkMap& map)
{
    const auto stack = map.find("SSEG");
    return stack == map.end() ? 0 : stack->second.length;
}

std::vector<std::u16string> CheckMemoryContract(const LinkFacts& link, const HexImage& image, const MemoryMap& memory,
                                                std::uint32_t minimumStack)
{
    return ContractCheck(link, image, memory).Run(minimumStack);
}

}  // namespace kr::firmware
