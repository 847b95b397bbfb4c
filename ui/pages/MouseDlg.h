// SPDX-License-Identifier: MIT
#pragma once
// The page that edits the mouse the device reports and its buttons
// (MouseData). A device whose default input mode is Mouse reports a mouse.

#include "model/ConfigurationSettings.h"
#include "ui/pages/Page.h"

class QCheckBox;
class QComboBox;

namespace kr {

class CDeviceDlg;

namespace mouse_id {
inline constexpr int kMouse = 1054;
inline constexpr int kNote = 1200;
inline constexpr int kButtonsLabel = 1056;
inline constexpr int kButtons = 1055;
}  // namespace mouse_id

class CMouseDlg : public CGroupPage<MouseData> {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 134;

    // device: the page whose "Default Input Mode:" list this page obeys.
    explicit CMouseDlg(const CDeviceDlg* device, QWidget* parent = nullptr, MouseData* record = nullptr);

    // Under Mouse checks and locks "Mouse Support" and shows the note; then
    // enables the buttons list only while "Mouse Support" is checked.
    void RefreshControls() override;

protected:
    void ExchangeGroup(ExchangeContext& ctx, MouseData& group) override;

private:
    QCheckBox* mouse_ = nullptr;
    QWidget* note_ = nullptr;
    QWidget* buttonsLabel_ = nullptr;
    QComboBox* buttons_ = nullptr;

private:
    const CDeviceDlg* device_;
};

}  // namespace kr
