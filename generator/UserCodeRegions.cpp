// SPDX-License-Identifier: MIT
#include "generator/UserCodeRegions.h"

#include <algorithm>
#include <map>

namespace kr {
namespace {

enum class MarkerKind { None, Begin, End };

struct Marker {
    MarkerKind kind = MarkerKind::None;
    std::string_view name;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// What a line (without its '\n') is: a BEGIN or END marker with its name, or
// an ordinary line.
Marker ReadMarker(std::string_view line)
{
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return {};
    line.remove_prefix(start);
    while (!line.empty() && IsBlank(line.back()))
        line.remove_suffix(1);
    // A marker whose name is nothing but blanks still ends in the prefix's space,
    // which the trimming above took away.
    for (const auto& [kind, prefix] : {std::pair{MarkerKind::Begin, kUserCodeBegin}, std::pair{MarkerKind::End, kUserCodeEnd}}) {
        const std::string_view bare = prefix.substr(0, prefix.size() - 1);
        if (line == bare)
            return {kind, {}};
        if (line.starts_with(prefix))
            return {kind, line.substr(prefix.size())};
    }
    return {};
}

}  // namespace

std::optional<std::vector<UserCodeRegion>> FindUserCodeRegions(std::string_view bytes)
{
    std::vector<UserCodeRegion> regions;
    std::optional<UserCodeRegion> open;
    std::size_t lineStart = 0;
    while (lineStart < bytes.size()) {
        const std::size_t newline = bytes.find('\n', lineStart);
        const std::size_t lineEnd = newline == std::string_view::npos ? bytes.size() : newline;
        const std::size_t next = newline == std::string_view::npos ? bytes.size() : newline + 1;
        const Marker marker = ReadMarker(bytes.substr(lineStart, lineEnd - lineStart));
        if (marker.kind == MarkerKind::Begin) {
            if (open)
                return std::nullopt;
            open = UserCodeRegion{std::string(marker.name), next, next};
        } else if (marker.kind == MarkerKind::End) {
            if (!open || open->name != marker.name)
                return std::nullopt;
            open->textEnd = lineStart;
            regions.push_back(std::move(*open));
            open.reset();
        }
        lineStart = next;
    }
    if (open)
        return std::nullopt;
    for (std::size_t i = 0; i < regions.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (regions[i].name == regions[j].name)
                return std::nullopt;
    return regions;
}

UserCodeCarry CarryUserCode(std::string_view existing, std::string_view generated)
{
    UserCodeCarry carry;
    const auto old = FindUserCodeRegions(existing);
    if (old && old->empty()) {
        carry.bytes = generated;
        return carry;
    }
    const auto fresh = FindUserCodeRegions(generated);
    if (!old || !fresh) {
        carry.bytes = generated;
        carry.unpaired = true;
        return carry;
    }

    std::map<std::string_view, std::string_view> oldText;
    for (const UserCodeRegion& region : *old)
        oldText.emplace(region.name, existing.substr(region.textBegin, region.textEnd - region.textBegin));

    std::size_t copied = 0;
    for (const UserCodeRegion& region : *fresh) {
        const auto found = oldText.find(region.name);
        if (found == oldText.end())
            continue;
        carry.bytes.append(generated.substr(copied, region.textBegin - copied));
        carry.bytes.append(found->second);
        copied = region.textEnd;
    }
    carry.bytes.append(generated.substr(copied));

    for (const UserCodeRegion& region : *old) {
        const bool placed = std::any_of(fresh->begin(), fresh->end(),
                                        [&](const UserCodeRegion& r) { return r.name == region.name; });
        if (!placed)
            carry.orphaned.push_back(region.name);
    }
    return carry;
}

}  // namespace kr
