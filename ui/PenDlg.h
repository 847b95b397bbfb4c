#pragma once
// The page that edits the pen the device reports: pressure, tilt, inverted state and barrel button (PenData).

#include "model/ConfigurationSettings.h"
#include "ui/Page.h"

namespace kr {

class CPenDlg : public CGroupPage<PenData> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 133;

    explicit CPenDlg(QWidget* parent = nullptr);

protected:
    void DoExchange(ExchangeContext& ctx) override;
};

}  // namespace kr
