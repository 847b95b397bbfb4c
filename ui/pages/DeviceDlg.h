// SPDX-License-Identifier: MIT
#pragma once
// The page that edits the chip, its oscillator, default input mode and
// regulator, and the USB identity of the device (DeviceData). Its "Device:"
// and "Default Input Mode:" lists steer the GPIO, Touch and Mouse pages,
// which read what the lists show, not the committed fields.

#include "model/ConfigurationSettings.h"
#include "ui/pages/Page.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace kr {

namespace device_id {
inline constexpr int kDevice = 1005;
inline constexpr int kOscillator = 1087;
inline constexpr int kInputMode = 1006;
inline constexpr int kRegulator = 1007;
inline constexpr int kVendorId = 1008;
inline constexpr int kProductId = 1009;
inline constexpr int kMaxPower = 1010;
inline constexpr int kBusPowered = 1017;
inline constexpr int kSelfPowered = 1016;
inline constexpr int kRemoteWakeup = 1211;
inline constexpr int kReleaseVersion = 1011;
inline constexpr int kManufacturer = 1013;
inline constexpr int kProduct = 1014;
}  // namespace device_id

class CDeviceDlg : public CGroupPage<DeviceData> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 131;

    explicit CDeviceDlg(QWidget* parent = nullptr, DeviceData* record = nullptr);

    // What the "Device:" and "Default Input Mode:" lists show now; -1 when
    // nothing is selected.
    int DeviceSelection() const;
    int InputModeSelection() const;

protected:
    void ExchangeGroup(ExchangeContext& ctx, DeviceData& group) override;
    // "Default" keeps the chip: the list cannot change it, so a reset to
    // the other chip could not be undone on this page.
    void ResetGroup() override;

private:
    QComboBox* deviceList_ = nullptr;
    QComboBox* oscillatorList_ = nullptr;
    QComboBox* inputModeList_ = nullptr;
    QCheckBox* regulator_ = nullptr;
    QCheckBox* remoteWakeup_ = nullptr;
    QRadioButton* busPowered_ = nullptr;  // first of the power mode's group
    QLineEdit* vendorId_ = nullptr;
    QLineEdit* productId_ = nullptr;
    QLineEdit* maxPower_ = nullptr;
    QLineEdit* releaseVersion_ = nullptr;
    QLineEdit* manufacturer_ = nullptr;
    QLineEdit* product_ = nullptr;
};

}  // namespace kr
