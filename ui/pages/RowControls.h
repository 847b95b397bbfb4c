// SPDX-License-Identifier: MIT
#pragma once
// The controls a page makes from the field table alone: each row of the
// page's group that has a caption gets a check box (a flag), a list (a choice
// or count) or a label and number box (a number), named by the field's path,
// below the page's own controls and in table order; its exchange and its
// rule come from the row too. A field without special layout so needs no page
// code; tests find its control by path.

#include <cstddef>
#include <utility>
#include <vector>

#include "model/ConfigurationSettings.h"
#include "model/FieldTable.h"
#include "ui/Exchange.h"

class QVBoxLayout;
class QWidget;

namespace kr {

// The group of the record a page's group type is.
inline ProjectData& GroupIn(ConfigurationSettings& s, const ProjectData*)
{
    return s.project;
}
inline DeviceData& GroupIn(ConfigurationSettings& s, const DeviceData*)
{
    return s.device;
}
inline CommunicationData& GroupIn(ConfigurationSettings& s, const CommunicationData*)
{
    return s.communication;
}
inline ScreenData& GroupIn(ConfigurationSettings& s, const ScreenData*)
{
    return s.screen;
}
inline TouchData& GroupIn(ConfigurationSettings& s, const TouchData*)
{
    return s.touch;
}
inline PenData& GroupIn(ConfigurationSettings& s, const PenData*)
{
    return s.pen;
}
inline MouseData& GroupIn(ConfigurationSettings& s, const MouseData*)
{
    return s.mouse;
}
inline GpioData& GroupIn(ConfigurationSettings& s, const GpioData*)
{
    return s.gpio;
}

class CRowControls {
public:
    // Makes the controls of Group's captioned rows into layout. The table
    // must outlive the controls.
    template <class Group> void Make(QWidget* page, QVBoxLayout* layout, const FieldRows& table = FieldTable())
    {
        ConfigurationSettings whole;
        const Group& group = GroupIn(whole, static_cast<const Group*>(nullptr));
        MakeFor(page, layout, table, whole, &group, sizeof(Group));
    }

    // Exchanges group's captioned fields with their controls, after the
    // page's own exchange.
    template <class Group> void Exchange(ExchangeContext& ctx, Group& group) const
    {
        if (controls_.empty())
            return;
        ConfigurationSettings whole;
        Group& inWhole = GroupIn(whole, static_cast<const Group*>(nullptr));
        inWhole = group;
        // A refusal ends the exchange; the fields committed before it stay.
        struct Back {
            Group& from;
            Group& to;
            ~Back() { to = from; }
        } back{inWhole, group};
        ExchangeAll(ctx, whole);
    }

private:
    void MakeFor(QWidget* page, QVBoxLayout* layout, const FieldRows& table, ConfigurationSettings& whole,
                 const void* group, std::size_t size);
    void ExchangeAll(ExchangeContext& ctx, ConfigurationSettings& whole) const;

    std::vector<std::pair<const FieldRow*, QWidget*>> controls_;
};

}  // namespace kr
