#pragma once
// The page that edits the screen's size in millimetres and pixels (ScreenData).

#include "model/ConfigurationSettings.h"
#include "ui/Page.h"

namespace kr {

class CScreenDlg : public CGroupPage<ScreenData> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 136;

    explicit CScreenDlg(QWidget* parent = nullptr);

protected:
    void DoExchange(ExchangeContext& ctx) override;
};

}  // namespace kr
