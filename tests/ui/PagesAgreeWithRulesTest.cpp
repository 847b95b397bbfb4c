// SPDX-License-Identifier: MIT
// The pages and CheckSettings hold every value to the same rule: each edge of
// each field's rule in the field table (its limits, one below, one above,
// and each relation) is typed into the field's page and checked in a record,
// and both must accept it, or both refuse it naming the same field.

#include <optional>

#include "PageFixture.h"
#include "model/NumericEntry.h"
#include "model/SettingsRules.h"
#include "platform/Utf.h"
#include "ui/QtText.h"
#include "ui/pages/CommunicationDlg.h"
#include "ui/pages/DeviceDlg.h"
#include "ui/pages/PenDlg.h"
#include "ui/pages/ScreenDlg.h"
#include "ui/pages/TouchDlg.h"

namespace kr::test {
namespace {

// The numbered edit box each checked field its page lays out is typed into.
struct Binding {
    const char16_t* path;
    int id;
};

const Binding kBindings[] = {
    {u"DeviceData/maxPower", device_id::kMaxPower},
    {u"DeviceData/manufacturer", device_id::kManufacturer},
    {u"DeviceData/product", device_id::kProduct},
    {u"CommunicationData/spiClk", communication_id::kSpiClock},
    {u"CommunicationData/smbusClk", communication_id::kSmbusClock},
    {u"CommunicationData/smbusAddress", communication_id::kAddress},
    {u"CommunicationData/uartBaudRate", communication_id::kBaudRate},
    {u"ScreenData/width_mm", screen_id::kWidthMm},
    {u"ScreenData/width_px", screen_id::kWidthPx},
    {u"ScreenData/height_mm", screen_id::kHeightMm},
    {u"ScreenData/height_px", screen_id::kHeightPx},
    {u"TouchData/pressure", touch_id::kPressureMax},
    {u"TouchData/width", touch_id::kWidthMax},
    {u"TouchData/height", touch_id::kHeightMax},
    {u"PenData/pressure", pen_id::kPressureMax},
    {u"PenData/xTiltMin", pen_id::kTiltXMin},
    {u"PenData/xTiltMax", pen_id::kTiltXMax},
    {u"PenData/yTiltMin", pen_id::kTiltYMin},
    {u"PenData/yTiltMax", pen_id::kTiltYMax},
};

// The tab of the field's page.
int TabOf(std::u16string_view path)
{
    const std::u16string_view groups[] = {u"DeviceData/", u"CommunicationData/", u"ScreenData/", u"TouchData/",
                                          u"PenData/",    u"MouseData/",         u"GpioData/"};
    for (int tab = 0; tab < 7; ++tab)
        if (path.starts_with(groups[tab]))
            return tab;
    ADD_FAILURE() << "no page edits " << platform::ToUtf8(path);
    return 0;
}

// The field's edit box: the numbered one of its page's layout, else the one
// the page made from the field's row, named by its path.
QLineEdit* BoxOf(const CPage* page, std::u16string_view path)
{
    for (const Binding& binding : kBindings)
        if (binding.path == path)
            return qobject_cast<QLineEdit*>(page->Control(binding.id));
    QLineEdit* box = page->findChild<QLineEdit*>(ToQString(std::u16string(path)));
    EXPECT_NE(box, nullptr) << "no edit box for " << platform::ToUtf8(path);
    return box;
}

// One value of one field.
struct Edge {
    const FieldRow* row;
    std::int64_t value;
};

// Each limit, one below and one above (an even range's odd neighbours too),
// as far as the field can hold them. A text box never takes more characters
// than its limit: its edges are the empty and the longest text.
std::vector<Edge> RuleEdges()
{
    std::vector<Edge> edges;
    for (const FieldRow& row : FieldTable()) {
        const std::int64_t lo = row.range.lo;
        const std::int64_t hi = row.range.hi;
        std::vector<std::int64_t> values = {lo - 1, lo, lo + 1, hi - 1, hi, hi + 1};
        if (row.rule == FieldRule::MaxChars)
            values = {0, hi};
        else if (row.rule != FieldRule::Range && row.rule != FieldRule::EvenRange)
            continue;
        const std::int64_t largest = row.kind == FieldKind::Text ? hi : LargestEntry(EntryKindOf(row.kind));
        for (std::int64_t value : values)
            if (value >= 0 && value <= largest)
                edges.push_back({&row, value});
    }
    return edges;
}

// Puts value in the record's field; a text of that many characters.
void Put(const FieldRow& row, std::int64_t value, ConfigurationSettings& record)
{
    std::visit(
        [value](auto* field) {
            using Field = std::remove_pointer_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, std::u16string>)
                *field = std::u16string(static_cast<std::size_t>(value), u'x');
            else
                *field = static_cast<Field>(value);
        },
        FieldIn(row, record));
}

class PagesAgreeWithRules : public PageFixture {
protected:
    // Every tilt reported, so that the relations apply.
    static ConfigurationSettings Base()
    {
        ConfigurationSettings s;
        s.pen.bPen = s.pen.bXTilt = s.pen.bYTilt = 1;
        return s;
    }

    // Sets the fields in a record and in their boxes, checks the record and
    // commits the page: both accept, or both refuse at the same field.
    void ExpectAgreement(const std::vector<Edge>& change)
    {
        ConfigurationSettings record = Base();
        const int tab = TabOf(change.front().row->path);
        CPage* page = Page(tab);
        Show(page);
        std::string what;
        for (const Edge& edge : change) {
            Put(*edge.row, edge.value, record);
            BoxOf(page, edge.row->path)->setText(BoxText(*edge.row, record));
            what += platform::ToUtf8(edge.row->path) + " = " + std::to_string(edge.value) + " ";
        }
        const std::vector<SettingsProblem> problems = CheckSettings(record);
        const bool accepted = page->ExchangeData(Direction::Commit);
        std::u16string refusedAt;
        if (!accepted) {
            TakeMessage();
            // The refused box has its whole text selected (a greyed-out
            // one cannot take the focus).
            for (const FieldRow& row : FieldTable()) {
                if (row.rule == FieldRule::None || row.rule == FieldRule::Listed || TabOf(row.path) != tab)
                    continue;
                const QLineEdit* box = BoxOf(page, row.path);
                if (box && box->hasSelectedText() && box->selectedText() == box->text())
                    refusedAt = row.path;
            }
        }
        EXPECT_EQ(accepted, problems.empty()) << what;
        EXPECT_EQ(platform::ToUtf8(refusedAt), problems.empty() ? "" : platform::ToUtf8(problems[0].path)) << what;

        for (const Edge& edge : change)
            BoxOf(page, edge.row->path)->setText(BoxText(*edge.row, Base()));
        EXPECT_TRUE(page->ExchangeData(Direction::Commit)) << what;
    }

    // The text the field's box shows for the record's value.
    static QString BoxText(const FieldRow& row, const ConfigurationSettings& record)
    {
        if (row.kind == FieldKind::Text)
            return ToQString(TextIn(row, record));
        return ToQString(FormatEntry(EntryKindOf(row.kind), static_cast<std::uint32_t>(NumberIn(row, record))));
    }
};

TEST_F(PagesAgreeWithRules, AtEveryEdgeOfEveryRule)
{
    Load(Base());
    const std::vector<Edge> edges = RuleEdges();
    ASSERT_GT(edges.size(), 60u);
    for (const Edge& edge : edges)
        ExpectAgreement({edge});
}

TEST_F(PagesAgreeWithRules, AtEachRelation)
{
    Load(Base());
    const ConfigurationSettings base = Base();
    for (const FieldRelation& relation : FieldRelations()) {
        const FieldRow& minimum = Field(relation.minimum);
        const FieldRow& maximum = Field(relation.maximum);
        const std::int64_t top = NumberIn(maximum, base);
        const std::int64_t bottom = NumberIn(minimum, base);
        for (const Edge& edge :
             {Edge{&minimum, top}, Edge{&minimum, top + 1}, Edge{&maximum, bottom - 1}, Edge{&maximum, bottom}})
            ExpectAgreement({edge});
    }
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace kr::test
