// SPDX-License-Identifier: MIT
#include "hid/HidDescriptorTree.h"

#include <algorithm>

namespace kr {

namespace {

constexpr std::uint32_t kMostUsages = 1024;

struct TreeGlobals {
    std::uint32_t usagePage = 0;
    HidRangeValue logicalMinimum, logicalMaximum, physicalMinimum, physicalMaximum;
    std::uint32_t unit = 0;
    std::uint32_t unitExponent = 0;
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    int reportId = 0;
};

HidRangeValue Range(const HidItem& item)
{
    return {item.Unsigned(), std::min<std::size_t>(item.data.size(), 4)};
}

}  // namespace

std::int64_t HidRangeValue::Signed() const
{
    switch (size) {
    case 1:
        return static_cast<std::int8_t>(bits);
    case 2:
        return static_cast<std::int16_t>(bits);
    case 4:
        return static_cast<std::int32_t>(bits);
    default:
        return 0;
    }
}

bool HidMainNode::Has(std::uint32_t usage) const
{
    return std::find(usages.begin(), usages.end(), usage) != usages.end();
}

int HidDescriptorTree::TopLevel(int collection) const
{
    while (collection >= 0 && collections[static_cast<std::size_t>(collection)].parent >= 0)
        collection = collections[static_cast<std::size_t>(collection)].parent;
    return collection;
}

bool HidDescriptorTree::Within(int collection, int ancestor) const
{
    for (; collection >= 0; collection = collections[static_cast<std::size_t>(collection)].parent)
        if (collection == ancestor)
            return true;
    return false;
}

HidDescriptorTree ReadHidDescriptorTree(const HidDecoding& decoding)
{
    HidDescriptorTree tree;
    TreeGlobals g;
    std::vector<TreeGlobals> stack;
    std::vector<std::uint32_t> usages;
    std::uint32_t usageMinimum = 0;
    std::vector<int> open;

    // A usage of 1 or 2 bytes takes the page in force; one of 4 bytes names its own.
    const auto fullUsage = [&g](const HidItem& item) {
        return item.data.size() == 4 ? item.Unsigned() : HidUsage(g.usagePage, item.Unsigned() & 0xFFFF);
    };

    for (const HidItem& item : decoding.items) {
        if (item.isLong)
            continue;
        if (item.type == HidItemType::Global) {
            switch (item.tag) {
            case 0x0:
                g.usagePage = item.Unsigned() & 0xFFFF;
                break;
            case 0x1:
                g.logicalMinimum = Range(item);
                break;
            case 0x2:
                g.logicalMaximum = Range(item);
                break;
            case 0x3:
                g.physicalMinimum = Range(item);
                break;
            case 0x4:
                g.physicalMaximum = Range(item);
                break;
            case 0x5:
                g.unitExponent = item.Unsigned();
                break;
            case 0x6:
                g.unit = item.Unsigned();
                break;
            case 0x7:
                g.reportSize = item.Unsigned();
                break;
            case 0x8:
                g.reportId = static_cast<int>(std::min<std::uint32_t>(item.Unsigned(), 0x7FFFFFFF));
                if (!open.empty())
                    tree.reportIdsDeclared[static_cast<std::size_t>(open.back())].push_back(g.reportId);
                break;
            case 0x9:
                g.reportCount = item.Unsigned();
                break;
            case 0xA:
                stack.push_back(g);
                break;
            case 0xB:
                if (!stack.empty()) {
                    g = stack.back();
                    stack.pop_back();
                }
                break;
            default:
                break;
            }
            continue;
        }
        if (item.type == HidItemType::Local) {
            if (item.tag == 0x0) {
                usages.push_back(fullUsage(item));
            } else if (item.tag == 0x1) {
                usageMinimum = fullUsage(item);
            } else if (item.tag == 0x2) {
                const std::uint32_t last = fullUsage(item);
                for (std::uint32_t u = usageMinimum; u <= last && usages.size() < kMostUsages; ++u)
                    usages.push_back(u);
            }
            continue;
        }
        if (item.type != HidItemType::Main)
            continue;
        switch (item.tag) {
        case 0xA:
            tree.collections.push_back({usages.empty() ? 0 : usages.front(), item.Unsigned() & 0xFF,
                                        open.empty() ? -1 : open.back(), item.offset});
            tree.reportIdsDeclared.emplace_back();
            open.push_back(static_cast<int>(tree.collections.size() - 1));
            break;
        case 0xC:
            if (!open.empty())
                open.pop_back();
            break;
        case 0x8:
        case 0x9:
        case 0xB: {
            HidMainNode node;
            node.kind = item.tag == 0x8   ? HidReportKind::Input
                        : item.tag == 0x9 ? HidReportKind::Output
                                          : HidReportKind::Feature;
            node.flags = item.Unsigned();
            node.reportId = g.reportId;
            node.reportSize = g.reportSize;
            node.reportCount = g.reportCount;
            node.usages = usages;
            node.logicalMinimum = g.logicalMinimum;
            node.logicalMaximum = g.logicalMaximum;
            node.physicalMinimum = g.physicalMinimum;
            node.physicalMaximum = g.physicalMaximum;
            node.unit = g.unit;
            node.unitExponent = g.unitExponent;
            node.collection = open.empty() ? -1 : open.back();
            node.offset = item.offset;
            tree.items.push_back(std::move(node));
            break;
        }
        default:
            break;
        }
        usages.clear();
        usageMinimum = 0;
    }
    return tree;
}

}  // namespace kr
