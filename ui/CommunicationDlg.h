#pragma once
// The page that edits the inter-chip link (SPI, SMBus or UART) and the settings of each link (CommunicationData).

#include "model/ConfigurationSettings.h"
#include "ui/Page.h"

namespace kr {

class CCommunicationDlg : public CGroupPage<CommunicationData> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 135;

    explicit CCommunicationDlg(QWidget* parent = nullptr);

protected:
    void DoExchange(ExchangeContext& ctx) override;
};

}  // namespace kr
