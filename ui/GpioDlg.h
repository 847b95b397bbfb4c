#pragma once
// The page that edits the mode and start-up level of each general-purpose pin (GpioData).

#include "model/ConfigurationSettings.h"
#include "ui/Page.h"

namespace kr {

class CGpioDlg : public CGroupPage<GpioData> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 137;

    explicit CGpioDlg(QWidget* parent = nullptr);

protected:
    void DoExchange(ExchangeContext& ctx) override;
};

}  // namespace kr
