// SPDX-License-Identifier: MIT
// The HID report descriptor decoder on any bytes.
//
// Properties: the items, put back together (prefix, the long item's size and
// tag, data), give the input up to where an item would run past its end, and
// such a tail is stated as a failure and marked in the listing; the listing
// has a line per item; every report appears once, with a size that is never
// negative; the verdict found without the listing is the full decoding's;
// the hosts' rules judge any descriptor, each verdict the heaviest weight of
// the rules it lists.

#include <map>
#include <set>
#include <span>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "hid/HidDecoder.h"
#include "hid/HostRules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::map<int, std::u16string> names = {{1, u"ID_ONE"}, {255, u"ID_LAST"}};
    const std::span<const std::uint8_t> bytes(data, size);
    const kr::HidDecoding decoding = kr::DecodeHidReportDescriptor(bytes, names);

    std::vector<std::uint8_t> joined;
    for (const kr::HidItem& item : decoding.items) {
        KR_FUZZ_CHECK(item.offset == joined.size());
        KR_FUZZ_CHECK(item.isLong == (item.prefix == 0xFE));
        joined.push_back(item.prefix);
        if (item.isLong) {
            joined.push_back(static_cast<std::uint8_t>(item.data.size()));
            joined.push_back(static_cast<std::uint8_t>(item.tag));
        } else {
            static constexpr std::size_t kDataSize[] = {0, 1, 2, 4};
            KR_FUZZ_CHECK(item.data.size() == kDataSize[item.prefix & 3]);
            KR_FUZZ_CHECK(item.prefix >> 4 == item.tag);
            KR_FUZZ_CHECK(((item.prefix >> 2) & 3) == static_cast<int>(item.type));
        }
        joined.insert(joined.end(), item.data.begin(), item.data.end());
    }
    KR_FUZZ_CHECK(joined.size() <= size);
    KR_FUZZ_CHECK(std::equal(joined.begin(), joined.end(), bytes.begin()));

    std::size_t lines = 0;
    for (const char16_t c : decoding.listing)
        lines += c == u'\n' ? 1 : 0;
    const bool truncated = joined.size() < size;
    KR_FUZZ_CHECK(lines == 1 + decoding.items.size() + (truncated ? 1 : 0));
    KR_FUZZ_CHECK(!truncated || !decoding.failures.empty());
    KR_FUZZ_CHECK(kr::HidDescriptorPassesHostRules(bytes) == decoding.failures.empty());

    std::set<std::pair<kr::HidReportKind, int>> seen;
    for (const kr::HidReportSize& report : decoding.reports) {
        KR_FUZZ_CHECK(report.bits >= 0);
        KR_FUZZ_CHECK(seen.insert({report.kind, report.reportId}).second);
        KR_FUZZ_CHECK(decoding.ReportBits(report.kind, report.reportId) == report.bits);
    }

    for (const kr::HostVerdict& verdict : kr::JudgeHosts(decoding)) {
        auto heaviest = kr::HostVerdictKind::Ok;
        for (const kr::BrokenHostRule& rule : verdict.rules)
            if (rule.weight == kr::RuleWeight::Fails)
                heaviest = kr::HostVerdictKind::Fails;
            else if (rule.weight == kr::RuleWeight::Warning && heaviest == kr::HostVerdictKind::Ok)
                heaviest = kr::HostVerdictKind::Warning;
        KR_FUZZ_CHECK(verdict.verdict == heaviest);
    }
    return 0;
}
