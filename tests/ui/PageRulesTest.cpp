// SPDX-License-Identifier: MIT
// The rules by which pages enable, show and force their controls: the
// Communication page's links, the Touch and Mouse pages under the Device
// page's default input mode, the Pen page's check boxes, and the GPIO page's
// rows, input rule and "All" buttons.

#include "PageFixture.h"
#include "ui/pages/CommunicationDlg.h"
#include "ui/pages/DeviceDlg.h"
#include "ui/pages/GpioDlg.h"
#include "ui/pages/MouseDlg.h"
#include "ui/pages/PenDlg.h"
#include "ui/pages/TouchDlg.h"

namespace kr::test {
namespace {

class PageRulesTest : public PageFixture {
protected:
    void ChooseInputMode(int mode) { Choose(window->DevicePage(), device_id::kInputMode, mode); }

    // A GPIO pin's mode buttons or level buttons.
    static QList<int> Modes(int pin)
    {
        return {gpio_id::Input(pin), gpio_id::OutputOpenDrain(pin), gpio_id::OutputPushPull(pin)};
    }
    static QList<int> Levels(int pin) { return {gpio_id::Low(pin), gpio_id::High(pin)}; }

    // Per pin, the position of its checked button among buttons(pin).
    std::vector<int> Checks(QList<int> (*buttons)(int)) const
    {
        std::vector<int> pins(kPinCount, -1);
        for (int pin = 0; pin < kPinCount; ++pin)
            for (int i = 0; i < buttons(pin).size(); ++i)
                if (Checked(window->GpioPage(), buttons(pin)[i]))
                    pins[pin] = i;
        return pins;
    }
    static QList<int> AllLevels()
    {
        QList<int> all;
        for (int pin = 0; pin < kPinCount; ++pin)
            all += Levels(pin);
        return all;
    }
    static std::vector<int> Every(int value) { return std::vector<int>(kPinCount, value); }
};

TEST_F(PageRulesTest, OnlyTheChosenLinkCanBeEdited)
{
    using namespace communication_id;
    CPage* page = window->CommunicationPage();
    const QList<int> spi = {kSpiClockLabel,   kSpiClock,      kSpiClockRange,   kPhaseLabel,      kPhaseFirstEdge,
                            kPhaseSecondEdge, kPolarityLabel, kPolarityIdleLow, kPolarityIdleHigh};
    const QList<int> smbus = {kSmbusClockLabel, kSmbusClock, kSmbusClockRange, kAddressLabel, kAddress, kAddressHex};
    const QList<int> uart = {kBaudRateLabel, kBaudRate, kBaudRateRange, kDataBitsLabel, kDataBits,
                             kParityLabel,   kParity,   kStopBitsLabel, kStopBits};
    const QList<int> all = spi + smbus + uart;

    EXPECT_EQ(EnabledOf(page, all), spi);
    Click(page, kSmbus);
    EXPECT_EQ(EnabledOf(page, all), smbus);
    Click(page, kUart);
    EXPECT_EQ(EnabledOf(page, all), uart);
    EXPECT_EQ(EnabledOf(page, {kSpi, kSmbus, kDefaultButtonId}), QList<int>({kSpi, kSmbus, kDefaultButtonId}));
    Click(page, kDefaultButtonId);
    EXPECT_EQ(EnabledOf(page, all), spi);
}

TEST_F(PageRulesTest, SinglePointTouchForcesATouchPoint)
{
    using namespace touch_id;
    CPage* page = window->TouchPage();
    const QList<int> values = {kPressureMax, kWidthMax, kHeightMax};
    const QList<int> all = QList<int>{kConfidence, kPressure, kPressureMaxLabel, kWidth,     kWidthMaxLabel,
                                      kWidthUnit,  kHeight,   kHeightMaxLabel,   kHeightUnit}
                           + values;

    EXPECT_EQ(EnabledOf(page, all), QList<int>{});  // Mouse mode, no touch point
    EXPECT_FALSE(Shown(page, kNote));

    ChooseInputMode(1);
    Show(page);  // the page refreshes as it comes into view
    EXPECT_EQ(Shows(page, kTouchPoints), "1");
    EXPECT_TRUE(Shown(page, kNote));
    EXPECT_EQ(Shows(page, kNote), "*Requires at least one touch point for\n  Single-Point Touch Default Input Mode");
    EXPECT_EQ(EnabledOf(page, all), all.mid(0, all.size() - values.size()));
    Choose(page, kTouchPoints, 0);
    EXPECT_EQ(Shows(page, kTouchPoints), "1");
    Click(page, kWidth);
    EXPECT_EQ(EnabledOf(page, values), QList<int>{kWidthMax});

    Click(page, kDefaultButtonId);
    EXPECT_EQ(Shows(page, kTouchPoints), "1");
    EXPECT_EQ(EnabledOf(page, values), QList<int>{});
    EXPECT_EQ(window->TouchPage()->data.numTouchPoints, 0);  // the field follows on commit
    EXPECT_EQ(SaveAndReload().touch.numTouchPoints, 1);

    ChooseInputMode(0);
    Show(page);
    EXPECT_FALSE(Shown(page, kNote));
    Choose(page, kTouchPoints, 0);
    EXPECT_EQ(EnabledOf(page, all), QList<int>{});

    // A count outside the list, from a file, shows no point: forced to one.
    ConfigurationSettings s;
    s.device.defaultInputMode = 1;
    s.touch.numTouchPoints = 9;
    Load(s);
    EXPECT_EQ(Shows(page, kTouchPoints), "1");
}

TEST_F(PageRulesTest, MouseModeForcesMouseSupport)
{
    using namespace mouse_id;
    CPage* page = window->MousePage();
    ConfigurationSettings s;
    s.mouse.bMouse = 0;  // a file that breaks the rule
    Load(s);
    EXPECT_TRUE(Checked(page, kMouse));
    EXPECT_EQ(EnabledOf(page, {kMouse, kButtonsLabel, kButtons}), QList<int>({kButtonsLabel, kButtons}));
    EXPECT_TRUE(Shown(page, kNote));
    EXPECT_EQ(SaveAndReload().mouse.bMouse, 1);

    ChooseInputMode(1);
    Show(page);
    EXPECT_TRUE(Checked(page, kMouse));
    EXPECT_TRUE(Enabled(page, kMouse));
    EXPECT_FALSE(Shown(page, kNote));
    Click(page, kMouse);
    EXPECT_EQ(EnabledOf(page, {kMouse, kButtonsLabel, kButtons}), QList<int>{kMouse});
}

TEST_F(PageRulesTest, PenValuesFollowTheirCheckBoxes)
{
    using namespace pen_id;
    CPage* page = window->PenPage();
    const QList<int> values = {kPressureMax, kTiltXMin, kTiltXMax, kTiltYMin, kTiltYMax};
    const QList<int> others = {kPressure,      kTiltX,    kTiltXMinLabel, kTiltXMinUnit,
                               kTiltYMaxLabel, kInverted, kBarrelButton};

    EXPECT_EQ(EnabledOf(page, values + others), QList<int>{});
    Click(page, kPen);
    EXPECT_EQ(EnabledOf(page, values + others), others);
    Click(page, kTiltX);
    EXPECT_EQ(EnabledOf(page, values), QList<int>({kTiltXMin, kTiltXMax}));
    Click(page, kInverted);
    Click(page, kPressure);
    EXPECT_EQ(EnabledOf(page, values), QList<int>({kPressureMax, kTiltXMin, kTiltXMax}));
    Click(page, kPen);
    EXPECT_EQ(EnabledOf(page, values + others), QList<int>{});
}

TEST_F(PageRulesTest, GpioAllButtonsCommitFirstAndInputsStayHigh)
{
    using namespace gpio_id;
    CPage* page = window->GpioPage();
    EXPECT_EQ(Checks(Levels), Every(1));
    EXPECT_EQ(EnabledOf(page, AllLevels()), QList<int>{});

    // An output may change its level; its High stays checked.
    Click(page, OutputOpenDrain(3));
    EXPECT_EQ(Checks(Levels), Every(1));
    EXPECT_TRUE(Enabled(page, Low(3)));

    // "All" under Low: the inputs show high again; pin 3, committed first,
    // keeps its mode and goes low.
    Click(page, kTallAll + 3);
    std::vector<int> levels = Every(1);
    levels[3] = 0;
    EXPECT_EQ(Checks(Levels), levels);
    EXPECT_EQ(Checks(Modes)[3], 1);

    Click(page, kTallAll + 2);  // Output (Push-Pull)
    Click(page, kTallAll + 3);  // Low
    EXPECT_EQ(Checks(Modes), Every(2));
    EXPECT_EQ(Checks(Levels), Every(0));
    EXPECT_EQ(EnabledOf(page, AllLevels()), AllLevels());
    Click(page, kTallAll + 0);  // Input: high on screen, in the field on commit
    EXPECT_EQ(Checks(Levels), Every(1));
    EXPECT_EQ(window->GpioPage()->data.values[0], 0);
    EXPECT_EQ(SaveAndReload().gpio, GpioData{});
}

TEST_F(PageRulesTest, TheKR7610ShowsSevenPinsAndKeepsTheOthers)
{
    using namespace gpio_id;
    CPage* page = window->GpioPage();
    ConfigurationSettings s;
    s.device.deviceSel = 0;
    for (int pin = 7; pin < kPinCount; ++pin) {
        s.gpio.modes[pin] = 2;
        s.gpio.values[pin] = 0;
    }
    Load(s);
    for (int id : {RowLabel(7), Input(7), High(15), kTallAll, kTallAll + 4, kTallModeFrame, kTallLevelFrame})
        EXPECT_FALSE(Shown(page, id)) << id;
    for (int id : {RowLabel(6), High(6), kShortAll, kShortAll + 4, kShortModeFrame, kShortLevelFrame})
        EXPECT_TRUE(Shown(page, id)) << id;
    Show(page);  // the short row of "All" buttons stands just below pin 6
    const QRect pin6 = page->Control(Input(6))->geometry();
    EXPECT_GT(page->Control(kShortAll)->y(), pin6.bottom());
    EXPECT_LT(page->Control(kShortAll)->y(), pin6.bottom() + 2 * pin6.height());

    ASSERT_TRUE(page->ExchangeData(Direction::Commit));  // hidden pins are kept
    EXPECT_EQ(window->GpioPage()->data, s.gpio);
    Click(page, kShortAll + 1);  // and set by the "All" buttons
    EXPECT_EQ(Checks(Modes), Every(1));
    EXPECT_EQ(window->GpioPage()->data.values[15], 0);
}

}  // namespace
}  // namespace kr::test
