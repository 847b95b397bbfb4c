// SPDX-License-Identifier: MIT
#pragma once
// The page that edits the screen's size in millimetres and pixels (ScreenData).

#include "model/ConfigurationSettings.h"
#include "ui/pages/Page.h"

class QLineEdit;

namespace kr {

namespace screen_id {
inline constexpr int kWidthMm = 1090;
inline constexpr int kWidthPx = 1088;
inline constexpr int kHeightMm = 1059;
inline constexpr int kHeightPx = 1089;
}  // namespace screen_id

class CScreenDlg : public CGroupPage<ScreenData> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 136;

    explicit CScreenDlg(QWidget* parent = nullptr, ScreenData* record = nullptr);

protected:
    void ExchangeGroup(ExchangeContext& ctx, ScreenData& group) override;

private:
    QLineEdit* widthMm_ = nullptr;
    QLineEdit* widthPx_ = nullptr;
    QLineEdit* heightMm_ = nullptr;
    QLineEdit* heightPx_ = nullptr;
};

}  // namespace kr
