#pragma once
// The page that edits the touch points the device reports and what it reports of each (TouchData).

#include "model/ConfigurationSettings.h"
#include "ui/Page.h"

namespace kr {

class CTouchDlg : public CGroupPage<TouchData> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 132;

    explicit CTouchDlg(QWidget* parent = nullptr);

protected:
    void DoExchange(ExchangeContext& ctx) override;
};

}  // namespace kr
