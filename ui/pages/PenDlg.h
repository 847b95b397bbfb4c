// SPDX-License-Identifier: MIT
#pragma once
// The page that edits the pen the device reports: pressure, tilt, inverted
// state and barrel button (PenData).

#include "model/ConfigurationSettings.h"
#include "ui/pages/Page.h"

class QCheckBox;
class QLineEdit;

namespace kr {

namespace pen_id {
inline constexpr int kPen = 1086;
inline constexpr int kPressure = 1036;
inline constexpr int kPressureMaxLabel = 1093;
inline constexpr int kPressureMax = 1027;
inline constexpr int kTiltX = 1037;
inline constexpr int kTiltXMinLabel = 1040;
inline constexpr int kTiltXMin = 1039;
inline constexpr int kTiltXMinUnit = 1049;
inline constexpr int kTiltXMaxLabel = 1045;
inline constexpr int kTiltXMax = 1043;
inline constexpr int kTiltXMaxUnit = 1050;
inline constexpr int kTiltY = 1038;
inline constexpr int kTiltYMinLabel = 1041;
inline constexpr int kTiltYMin = 1042;
inline constexpr int kTiltYMinUnit = 1051;
inline constexpr int kTiltYMaxLabel = 1046;
inline constexpr int kTiltYMax = 1044;
inline constexpr int kTiltYMaxUnit = 1052;
inline constexpr int kInverted = 1047;
inline constexpr int kBarrelButton = 1048;
}  // namespace pen_id

class CPenDlg : public CGroupPage<PenData> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 133;

    explicit CPenDlg(QWidget* parent = nullptr, PenData* record = nullptr);

    // Enables the pen's controls when "Pen Support" is checked, each value
    // box only when its check box is checked.
    void RefreshControls() override;

protected:
    void ExchangeGroup(ExchangeContext& ctx, PenData& group) override;

private:
    QCheckBox* pen_ = nullptr;
    QCheckBox* pressure_ = nullptr;
    QCheckBox* tiltX_ = nullptr;
    QCheckBox* tiltY_ = nullptr;
    QCheckBox* inverted_ = nullptr;
    QCheckBox* barrelButton_ = nullptr;
    QLineEdit* pressureMax_ = nullptr;
    QLineEdit* tiltXMin_ = nullptr;
    QLineEdit* tiltXMax_ = nullptr;
    QLineEdit* tiltYMin_ = nullptr;
    QLineEdit* tiltYMax_ = nullptr;
    // Everything but "Pen Support" itself, enabled only with it.
    QList<QWidget*> penSet_;
};

}  // namespace kr
