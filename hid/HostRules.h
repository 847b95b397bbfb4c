// SPDX-License-Identifier: MIT
#pragma once
// What each host makes of a report descriptor's mouse, touch screen and pen:
// the hosts' published requirements as a table, one row per rule, each with
// the public source it comes from, and the verdicts they give. Each host's
// rules read range items as that host does: Windows (and the HID rules) as
// signed numbers of the item's size; Linux and Android (the Linux HID core)
// with Logical and Physical Maximum unsigned while their minimum is not
// negative.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "hid/HidDescriptorTree.h"

namespace kr {

enum class Host { Windows, Linux, Android, MacOS };
inline constexpr Host kHosts[] = {Host::Windows, Host::Linux, Host::Android, Host::MacOS};

// The top-level input collections judged.
enum class HostCollection { Mouse, TouchScreen, Pen };

enum class RuleWeight { Info, Warning, Fails };
enum class HostVerdictKind { Ok, Warning, Fails };

// "Windows", "Linux", "Android", "macOS".
std::u16string_view HostName(Host host);
// The host spelt exactly so, or nothing.
std::optional<Host> ParseHostName(std::u16string_view name);
// "mouse", "touch screen", "pen".
std::u16string_view HostCollectionName(HostCollection collection);
// "info", "warning", "fails".
std::u16string_view RuleWeightName(RuleWeight weight);
// "ok", "warning", "fails".
std::u16string_view HostVerdictName(HostVerdictKind verdict);

// What is known of the whole device when one collection is judged.
struct HostRuleContext {
    const HidDescriptorTree& tree;
    const std::vector<std::u16string>& parserFailures;  // the decoder's: rules a host's parser refuses it for
    int application = -1;  // the judged collection's index in tree.collections
    HostCollection collection = HostCollection::Mouse;
    // How the Linux HID core binds the device: hid-multitouch when any
    // non-constant input field carries a Contact Identifier, in its
    // "Windows 8" class when a certification blob feature is there too.
    bool linuxMultitouch = false;
    bool linuxWin8Class = false;
};

struct HostRule {
    std::u16string_view id;
    Host host;
    unsigned collections;  // a bit per HostCollection
    std::u16string_view text;  // the sentence shown when the rule is not met
    std::u16string_view source;
    RuleWeight weight;
    // Nothing when the rule is met; otherwise what breaks it, in a few words
    // (possibly empty).
    std::optional<std::u16string> (*broken)(const HostRuleContext&);
};

// Every rule, host by host.
std::span<const HostRule> HostRuleTable();

struct BrokenHostRule {
    std::u16string id;
    std::u16string text;  // the rule's sentence, then what breaks it
    std::u16string source;
    RuleWeight weight = RuleWeight::Info;
};

struct HostVerdict {
    Host host = Host::Windows;
    HostCollection collection = HostCollection::Mouse;
    std::u16string driver;  // what the host binds the collection to
    HostVerdictKind verdict = HostVerdictKind::Ok;
    std::vector<BrokenHostRule> rules;  // every rule not met, in table order
};

// One verdict per host asked for (in kHosts order) and per top-level mouse,
// touch screen and pen application collection with an input report, in
// descriptor order within each host.
std::vector<HostVerdict> JudgeHosts(std::span<const std::uint8_t> descriptor, std::span<const Host> hosts = kHosts);
std::vector<HostVerdict> JudgeHosts(const HidDecoding& decoding, std::span<const Host> hosts = kHosts);

// The verdicts as text for a reader: a line per verdict ("Windows, touch
// screen (HID-compliant touch screen): fails"), then a line per broken rule
// with its weight, id, sentence and source. Lines end with '\n'.
std::u16string HostVerdictText(const std::vector<HostVerdict>& verdicts);

}  // namespace kr
