// SPDX-License-Identifier: MIT
#pragma once
// The page that edits the mode and start-up level of each general-purpose pin
// (GpioData). It shows pins 0 to 6 for the KR7610 and 0 to 15 for the KR7611,
// as the Device page's "Device:" list shows, but keeps and exchanges all 16.
// An input pin's level is forced high.

#include <array>

#include "model/ConfigurationSettings.h"
#include "ui/pages/Page.h"

class QGridLayout;
class QRadioButton;

namespace kr {

class CDeviceDlg;

namespace gpio_id {
// Pin i's buttons: three for its mode, then two for its level.
constexpr int Input(int pin)
{
    return 1093 + 5 * pin;
}
constexpr int OutputOpenDrain(int pin)
{
    return 1094 + 5 * pin;
}
constexpr int OutputPushPull(int pin)
{
    return 1095 + 5 * pin;
}
constexpr int Low(int pin)
{
    return 1096 + 5 * pin;
}
constexpr int High(int pin)
{
    return 1097 + 5 * pin;
}
constexpr int RowLabel(int pin)
{
    return 1178 + pin;
}

// Frames around the mode and the level columns, and the "All" buttons under
// the five columns, of the short (7-pin) and the tall (16-pin) layout.
inline constexpr int kShortModeFrame = 1196;
inline constexpr int kShortLevelFrame = 1197;
inline constexpr int kShortAll = 1198;  // to 1202, one per column
inline constexpr int kTallModeFrame = 1194;
inline constexpr int kTallLevelFrame = 1195;
inline constexpr int kTallAll = 1173;  // to 1177
}  // namespace gpio_id

class CGpioDlg : public CGroupPage<GpioData> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 137;

    // device: the page whose "Device:" list decides how many pins show.
    explicit CGpioDlg(const CDeviceDlg* device, QWidget* parent = nullptr, GpioData* record = nullptr);

    // Shows the layout of the chip the Device page shows; then, for every
    // pin, disables the level of an input pin and checks its High.
    void RefreshControls() override;

    // An "All" button: commits the page, so that the other columns keep what
    // the screen shows, sets column (0 to 4, as on screen) for all 16 pins,
    // shows the result and refreshes.
    void SetAll(int column);

protected:
    void ExchangeGroup(ExchangeContext& ctx, GpioData& group) override;

private:
    const CDeviceDlg* device_;
    QGridLayout* grid_ = nullptr;
    // Each pin's buttons: its three modes, then its two levels.
    std::array<std::array<QRadioButton*, 5>, kPinCount> pins_{};
    // The controls only the short (7-pin) or only the tall layout shows.
    QList<QWidget*> shortSet_;
    QList<QWidget*> tallSet_;
};

}  // namespace kr
