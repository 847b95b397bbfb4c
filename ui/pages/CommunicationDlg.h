// SPDX-License-Identifier: MIT
#pragma once
// The page that edits the inter-chip link (SPI, SMBus or UART) and the
// settings of each link (CommunicationData). Only the chosen link's settings
// can be edited, but every setting is stored and checked whatever the link.

#include "model/ConfigurationSettings.h"
#include "ui/pages/Page.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace kr {

namespace communication_id {
inline constexpr int kSpi = 1061;
inline constexpr int kSmbus = 1062;
inline constexpr int kUart = 1063;

inline constexpr int kSpiClockLabel = 1068;
inline constexpr int kSpiClock = 1012;
inline constexpr int kSpiClockRange = 1069;
inline constexpr int kPhaseLabel = 1070;
inline constexpr int kPhaseFirstEdge = 1064;
inline constexpr int kPhaseSecondEdge = 1065;
inline constexpr int kPolarityLabel = 1071;
inline constexpr int kPolarityIdleLow = 1066;
inline constexpr int kPolarityIdleHigh = 1067;

inline constexpr int kSmbusClockLabel = 1072;
inline constexpr int kSmbusClock = 1018;
inline constexpr int kSmbusClockRange = 1073;
inline constexpr int kAddressLabel = 1074;
inline constexpr int kAddress = 1019;
inline constexpr int kAddressHex = 1075;

inline constexpr int kBaudRateLabel = 1078;
inline constexpr int kBaudRate = 1021;
inline constexpr int kBaudRateRange = 1079;
inline constexpr int kDataBitsLabel = 1080;
inline constexpr int kDataBits = 1081;
inline constexpr int kParityLabel = 1082;
inline constexpr int kParity = 1056;
inline constexpr int kStopBitsLabel = 1083;
inline constexpr int kStopBits = 1058;
}  // namespace communication_id

class CCommunicationDlg : public CGroupPage<CommunicationData> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 135;

    explicit CCommunicationDlg(QWidget* parent = nullptr, CommunicationData* record = nullptr);

    // Enables the settings of the link whose button is checked on screen and
    // disables those of the two others.
    void RefreshControls() override;

protected:
    void ExchangeGroup(ExchangeContext& ctx, CommunicationData& group) override;

private:
    QRadioButton* spi_ = nullptr;
    QRadioButton* smbus_ = nullptr;
    QRadioButton* uart_ = nullptr;
    QRadioButton* phaseFirstEdge_ = nullptr;
    QRadioButton* polarityIdleLow_ = nullptr;
    QLineEdit* spiClock_ = nullptr;
    QLineEdit* smbusClock_ = nullptr;
    QLineEdit* address_ = nullptr;
    QLineEdit* baudRate_ = nullptr;
    QComboBox* dataBits_ = nullptr;
    QComboBox* parity_ = nullptr;
    QComboBox* stopBits_ = nullptr;
    // The controls of each link, labels and range notes included, enabled
    // and disabled as a whole.
    QList<QWidget*> spiSet_;
    QList<QWidget*> smbusSet_;
    QList<QWidget*> uartSet_;
};

}  // namespace kr
