// SPDX-License-Identifier: MIT
#include "ui/pages/DeviceDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "model/SettingsRules.h"
#include "ui/QtText.h"
#include "ui/pages/PageLayout.h"

namespace kr {

CDeviceDlg::CDeviceDlg(QWidget* parent, DeviceData* record) : CGroupPage(kTemplateId, parent, record)
{
    using namespace device_id;
    QVBoxLayout* page = StartPage(this);

    QGridLayout* chip = nullptr;
    page->addWidget(MakeFrame(this, tr("Device"), chip));
    deviceList_ = MakeList(this, kDevice, ChoiceItems(u"DeviceData/deviceSel"));
    // The chip variant comes from a save file or the defaults only.
    deviceList_->setEnabled(false);
    inputModeList_ = MakeList(this, kInputMode, {tr("Mouse"), tr("Single-Point Touch")});
    chip->addWidget(MakeLabel(this, tr("Device:")), 0, 0);
    chip->addWidget(deviceList_, 0, 1);
    chip->addWidget(MakeLabel(this, tr("Oscillator:")), 1, 0);
    chip->addWidget(oscillatorList_ = MakeList(this, kOscillator, {tr("24 MHz"), tr("48 MHz")}), 1, 1);
    chip->addWidget(MakeLabel(this, tr("Default Input Mode:")), 2, 0);
    chip->addWidget(inputModeList_, 2, 1);
    chip->addWidget(MakeLabel(this, tr("Voltage Regulator:")), 3, 0);
    chip->addWidget(regulator_ = MakeCheckBox(this, tr("Enable"), kRegulator), 3, 1);
    chip->setColumnStretch(2, 1);

    QGridLayout* usb = nullptr;
    page->addWidget(MakeFrame(this, tr("USB Customization"), usb));
    int row = 0;
    auto numberRow = [&](const QString& label, int id, const QString& unit) {
        usb->addWidget(MakeLabel(this, label), row, 0);
        QLineEdit* box = MakeNumberBox(this, id);
        usb->addWidget(box, row, 1);
        usb->addWidget(MakeLabel(this, unit), row, 2);
        ++row;
        return box;
    };
    vendorId_ = numberRow(tr("Vendor ID:"), kVendorId, tr("(Hex)"));
    productId_ = numberRow(tr("Product ID:"), kProductId, tr("(Hex)"));
    maxPower_ = numberRow(tr("Max Power:"), kMaxPower, tr("(0 - 500 mA)"));

    busPowered_ = MakeRadio(this, tr("Bus Powered"), kBusPowered);
    QRadioButton* self = MakeRadio(this, tr("Self Powered"), kSelfPowered);
    MakeRadioGroup(this, {busPowered_, self});
    auto* power = new QHBoxLayout;
    power->addWidget(busPowered_);
    power->addWidget(self);
    power->addStretch(1);
    usb->addWidget(MakeLabel(this, tr("Power Mode:")), row, 0);
    usb->addLayout(power, row++, 1, 1, 3);

    usb->addWidget(MakeLabel(this, tr("Remote Wakeup:")), row, 0);
    usb->addWidget(remoteWakeup_ = MakeCheckBox(this, tr("Enable"), kRemoteWakeup), row++, 1, 1, 3);
    releaseVersion_ = numberRow(tr("Release Version:"), kReleaseVersion, tr("(Hex)"));
    usb->addWidget(MakeLabel(this, tr("Manufacturer:")), row, 0);
    usb->addWidget(manufacturer_ = MakeTextBox(this, kManufacturer), row++, 1, 1, 3);
    usb->addWidget(MakeLabel(this, tr("Product:")), row, 0);
    usb->addWidget(product_ = MakeTextBox(this, kProduct), row++, 1, 1, 3);
    usb->setColumnStretch(3, 1);

    AlignFirstColumns({chip, usb});
    FinishPage(this, page);
}

int CDeviceDlg::DeviceSelection() const
{
    return deviceList_->currentIndex();
}

int CDeviceDlg::InputModeSelection() const
{
    return inputModeList_->currentIndex();
}

void CDeviceDlg::ResetGroup()
{
    // A chip the list does not know (a hand-edited file) is not kept.
    const std::int32_t chip = data.deviceSel;
    data.Reset();
    if (PinCountFor(chip) > 0)
        data.deviceSel = chip;
}

void CDeviceDlg::ExchangeGroup(ExchangeContext& ctx, DeviceData& group)
{
    // This order decides which message a commit shows when several values
    // are wrong.
    ExchangeList(ctx, deviceList_, group.deviceSel);
    ExchangeList(ctx, oscillatorList_, group.oscillator);
    ExchangeList(ctx, inputModeList_, group.defaultInputMode);
    ExchangeCheckBox(ctx, regulator_, group.bEnableRegulator);
    ExchangeCheckBox(ctx, remoteWakeup_, group.bEnableRemoteWakeup);
    ExchangeRadioGroup(ctx, busPowered_, group.powerMode);
    ExchangeText(ctx, manufacturer_, group.manufacturer);
    ValidateField(ctx, u"DeviceData/manufacturer", group.manufacturer);
    ExchangeText(ctx, product_, group.product);
    ValidateField(ctx, u"DeviceData/product", group.product);
    ExchangeHexWord(ctx, vendorId_, group.vid);
    LimitHexDigits(ctx, 4);
    ExchangeHexWord(ctx, productId_, group.pid);
    LimitHexDigits(ctx, 4);
    ExchangeDecimalWord(ctx, maxPower_, group.maxPower);
    ValidateField(ctx, u"DeviceData/maxPower", group.maxPower);
    ExchangeHexWord(ctx, releaseVersion_, group.releaseVersion);
    LimitHexDigits(ctx, 4);
}

}  // namespace kr
