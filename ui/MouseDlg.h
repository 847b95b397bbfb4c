#pragma once
// The page that edits the mouse the device reports and its buttons (MouseData).

#include "model/ConfigurationSettings.h"
#include "ui/Page.h"

namespace kr {

class CMouseDlg : public CGroupPage<MouseData> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 134;

    explicit CMouseDlg(QWidget* parent = nullptr);

protected:
    void DoExchange(ExchangeContext& ctx) override;
};

}  // namespace kr
