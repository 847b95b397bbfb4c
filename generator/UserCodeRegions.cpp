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
    for (const auto& [kind, prefix] :
         {std::pair{MarkerKind::Begin, kUserCodeBegin}, std::pair{MarkerKind::End, kUserCodeEnd}}) {
        const std::string_view bare = prefix.substr(0, prefix.size() - 1);
        if (line == bare)
            return {kind, {}};
        if (line.starts_with(prefix))
            return {kind, line.substr(prefix.size())};
    }
    return {};
}

}  // namespace

UserCodeScan ScanUserCodeRegions(std::string_view bytes)
{
    std::vector<UserCodeRegion> closed;
    std::vector<std::string> broken;
    auto spoil = [&broken](std::string_view name) {
        if (std::find(broken.begin(), broken.end(), name) == broken.end())
            broken.emplace_back(name);
    };
    std::optional<UserCodeRegion> open;
    std::size_t lineStart = 0;
    while (lineStart < bytes.size()) {
        const std::size_t newline = bytes.find('\n', lineStart);
        const std::size_t lineEnd = newline == std::string_view::npos ? bytes.size() : newline;
        const std::size_t next = newline == std::string_view::npos ? bytes.size() : newline + 1;
        const Marker marker = ReadMarker(bytes.substr(lineStart, lineEnd - lineStart));
        if (marker.kind == MarkerKind::Begin) {
            // The open region lost its END line: where its text ends is
            // anybody's guess.
            if (open)
                spoil(open->name);
            open = UserCodeRegion{std::string(marker.name), next, next};
        } else if (marker.kind == MarkerKind::End) {
            if (open && open->name == marker.name) {
                open->textEnd = lineStart;
                closed.push_back(std::move(*open));
            } else {
                if (open)
                    spoil(open->name);
                spoil(marker.name);
            }
            open.reset();
        }
        lineStart = next;
    }
    if (open)
        spoil(open->name);
    // Of two regions of one name, neither is known to be the right one.
    for (std::size_t i = 0; i < closed.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (closed[i].name == closed[j].name)
                spoil(closed[i].name);

    UserCodeScan scan;
    for (UserCodeRegion& region : closed)
        if (std::find(broken.begin(), broken.end(), region.name) == broken.end())
            scan.regions.push_back(std::move(region));
    scan.broken = std::move(broken);
    return scan;
}

std::optional<std::vector<UserCodeRegion>> FindUserCodeRegions(std::string_view bytes)
{
    UserCodeScan scan = ScanUserCodeRegions(bytes);
    if (!scan.broken.empty())
        return std::nullopt;
    return std::move(scan.regions);
}

UserCodeCarry CarryUserCode(std::string_view existing, std::string_view generated)
{
    UserCodeCarry carry;
    const UserCodeScan old = ScanUserCodeRegions(existing);
    if (old.regions.empty() && old.broken.empty()) {
        carry.bytes = generated;
        return carry;
    }
    const auto fresh = FindUserCodeRegions(generated);
    if (!fresh) {
        carry.bytes = generated;
        carry.unpaired = true;
        return carry;
    }
    carry.broken = old.broken;

    std::map<std::string_view, std::string_view> oldText;
    for (const UserCodeRegion& region : old.regions)
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

    for (const UserCodeRegion& region : old.regions) {
        const bool placed =
            std::any_of(fresh->begin(), fresh->end(), [&](const UserCodeRegion& r) { return r.name == region.name; });
        if (!placed)
            carry.orphaned.push_back(region.name);
    }
    return carry;
}

}  // namespace kr
