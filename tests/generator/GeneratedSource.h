#pragma once
// Reading back what the generator wrote: the numeric macros of a header, the
// bytes of a C array initializer, and the items of a HID report descriptor
// with the faults a host's parser would refuse.

#include <map>
#include <string>
#include <vector>

namespace kr::test {

// NAME -> value of every "#define NAME number" line.
std::map<std::string, long> ReadDefines(const std::string& source);

// The bytes of "NAME[] = { ... };" or "NAME = { ... };" in a C source. Elements may be numbers,
// character literals or macros from defines; anything else, a value outside
// 0-255 or a missing array throws std::runtime_error saying what.
std::vector<int> ArrayBytes(const std::string& source, const std::string& name,
                            const std::map<std::string, long>& defines = {});

struct HidItem {
    std::size_t offset;
    int type;                // 0 main, 1 global, 2 local
    int tag;
    std::vector<int> data;   // little-endian
    long Unsigned() const;
};

struct HidItems {
    std::vector<HidItem> items;
    std::vector<std::string> faults;  // empty when every item is well formed
};

// Splits a report descriptor into its short items. A fault is an item whose
// size bits ask for more bytes than remain, a long or reserved-type item,
// data on End Collection, Push or Pop, an End Collection or Pop with nothing
// open, and collections or pushes left open at the end.
HidItems ParseHidItems(const std::vector<int>& bytes);

// Bits each Input report declares, by report id, following Report Size,
// Report Count and Report ID through Push and Pop.
std::map<int, long> InputReportBits(const std::vector<HidItem>& items);

}  // namespace kr::test
