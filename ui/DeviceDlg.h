#pragma once
// The page that edits the chip, its oscillator, default input mode and regulator, and the USB identity of the device (DeviceData).

#include "model/ConfigurationSettings.h"
#include "ui/Page.h"

namespace kr {

class CDeviceDlg : public CGroupPage<DeviceData> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 131;

    explicit CDeviceDlg(QWidget* parent = nullptr);

protected:
    void DoExchange(ExchangeContext& ctx) override;
};

}  // namespace kr
