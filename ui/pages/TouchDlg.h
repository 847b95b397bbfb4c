// SPDX-License-Identifier: MIT
#pragma once
// The page that edits the touch points the device reports and what it
// reports of each (TouchData). A device whose default input mode is
// Single-Point Touch reports at least one touch point.

#include "model/ConfigurationSettings.h"
#include "ui/pages/Page.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kr {

class CDeviceDlg;

namespace touch_id {
inline constexpr int kTouchPoints = 1019;
inline constexpr int kConfidence = 1024;
inline constexpr int kPressure = 1036;
inline constexpr int kPressureMaxLabel = 1093;
inline constexpr int kPressureMax = 1027;
inline constexpr int kWidth = 1025;
inline constexpr int kWidthMaxLabel = 1091;
inline constexpr int kWidthMax = 1026;
inline constexpr int kWidthUnit = 1033;
inline constexpr int kHeight = 1029;
inline constexpr int kHeightMaxLabel = 1092;
inline constexpr int kHeightMax = 1030;
inline constexpr int kHeightUnit = 1034;
inline constexpr int kNote = 1210;
inline constexpr int kContactCount = 1212;
}  // namespace touch_id

class CTouchDlg : public CGroupPage<TouchData> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 132;

    // device: the page whose "Default Input Mode:" list this page obeys.
    explicit CTouchDlg(const CDeviceDlg* device, QWidget* parent = nullptr, TouchData* record = nullptr);

    // Under Single-Point Touch shows the note and turns "0" touch points into
    // "1"; then enables the touch controls when there are touch points, each
    // maximum only when its check box is checked.
    void RefreshControls() override;

protected:
    void ExchangeGroup(ExchangeContext& ctx, TouchData& group) override;

private:
    const CDeviceDlg* device_;
    QComboBox* points_ = nullptr;
    QWidget* note_ = nullptr;
    QCheckBox* confidence_ = nullptr;
    QCheckBox* pressure_ = nullptr;
    QCheckBox* width_ = nullptr;
    QCheckBox* height_ = nullptr;
    QCheckBox* contactCount_ = nullptr;
    QLineEdit* pressureMax_ = nullptr;
    QLineEdit* widthMax_ = nullptr;
    QLineEdit* heightMax_ = nullptr;
    // Everything that describes a touch point, enabled only when there is one.
    QList<QWidget*> touchSet_;
};

}  // namespace kr
