// SPDX-License-Identifier: MIT
#pragma once
// A decoded report descriptor as structure: its collections, and every
// Input, Output and Feature item with the usages, report and global values
// in force where it stands. Range values are kept as their item wrote them,
// so each host's rules can read them as that host does.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "hid/HidDecoder.h"

namespace kr {

// Usages as a host holds them: the page in the high 16 bits.
constexpr std::uint32_t HidUsage(std::uint32_t page, std::uint32_t id)
{
    return page << 16 | id;
}

// A Logical or Physical Minimum or Maximum as written: its bytes' value and
// its item's size (0 when no such item was given).
struct HidRangeValue {
    std::uint32_t bits = 0;
    std::size_t size = 0;

    // Sign-extended from the item's size, as the HID rules read it.
    std::int64_t Signed() const;
    std::int64_t Unsigned() const { return bits; }
};

struct HidCollectionNode {
    std::uint32_t usage = 0;  // the usage in force at the Collection item, page included
    std::uint32_t type = 0;  // 0 physical, 1 application, 2 logical, ...
    int parent = -1;  // index in HidDescriptorTree::collections, -1 at top level
    std::size_t offset = 0;
};

struct HidMainNode {
    HidReportKind kind = HidReportKind::Input;
    std::uint32_t flags = 0;  // bit 0 constant, bit 1 variable
    int reportId = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::vector<std::uint32_t> usages;  // a Usage Minimum to Maximum expanded (at most 1024 of them)
    HidRangeValue logicalMinimum, logicalMaximum, physicalMinimum, physicalMaximum;
    std::uint32_t unit = 0;
    std::uint32_t unitExponent = 0;  // as written
    int collection = -1;  // the innermost collection around the item
    std::size_t offset = 0;

    bool Constant() const { return flags & 1; }
    bool Variable() const { return flags & 2; }
    bool Has(std::uint32_t usage) const;
};

struct HidDescriptorTree {
    std::vector<HidCollectionNode> collections;  // in the order they open
    std::vector<HidMainNode> items;  // in descriptor order
    // Report ids given by a Report ID item inside each collection (indexed
    // like collections).
    std::vector<std::vector<int>> reportIdsDeclared;

    // The top-level collection an item or collection belongs to, -1 for none.
    int TopLevel(int collection) const;
    // Whether collection lies inside (or is) ancestor.
    bool Within(int collection, int ancestor) const;
};

// Reads the items of a decoding into collections and data items, as a host's
// parser keeps its global and local state (Push and Pop included).
HidDescriptorTree ReadHidDescriptorTree(const HidDecoding& decoding);

}  // namespace kr
