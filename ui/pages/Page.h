// SPDX-License-Identifier: MIT
#pragma once
// The contract every configuration page follows. A page holds its group of
// the configuration as its own fields and moves them to and from its controls
// only through ExchangeData. Its "Default" button (1057) puts the group back
// to its defaults. Enter and Escape pressed inside a page do nothing.
//
// Handlers of a page react to the user only: QAbstractButton::clicked and
// QComboBox::activated, not toggled or currentIndexChanged, which also fire
// when a display exchange sets a control.

#include <QWidget>

#include "ui/Exchange.h"

class QPushButton;

namespace kr {

inline constexpr int kDefaultButtonId = 1057;

class CPage : public QWidget {
    Q_OBJECT
public:
    // templateId: the page's number among the wizard's dialogs.
    explicit CPage(int templateId, QWidget* parent = nullptr);

    int TemplateId() const { return templateId_; }

    // Fields to controls (Direction::Show) or controls to fields with every
    // check (Direction::Commit). False when a value was refused; its control then
    // has the focus with its text selected.
    bool ExchangeData(Direction direction);

    // Controls to fields with every check, showing nothing: what a commit
    // would store now. False when a value would be refused.
    bool ReadControlsQuietly();

    // Recomputes which controls are enabled, shown or forced, from what the
    // controls show. Pages without rules keep this one, which does nothing.
    virtual void RefreshControls() {}

    // The "Default" button: the group takes its defaults, the page shows them
    // and refreshes.
    void ResetToDefaults();

    // What a page does once it is in place: show its fields, then refresh.
    void Initialize();

    // Puts the focus back on the control the last commit refused, with its
    // text selected; used when the page has just been brought to the front.
    void FocusRefusedControl();

    // The control numbered id on this page.
    QWidget* Control(int id) const;

    QPushButton* DefaultButton() const { return defaultButton_; }

protected:
    // The page's exchange, in its fixed order, through the routines of
    // Exchange.h.
    virtual void DoExchange(ExchangeContext& ctx) = 0;

    // Sets the page's group to its construction defaults.
    virtual void ResetGroup() = 0;

    // Pages whose rules read another page refresh each time they come into
    // view.
    void SetRefreshOnActivation(bool refresh) { refreshOnActivation_ = refresh; }

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int templateId_;
    bool refreshOnActivation_ = false;
    int refusedControl_ = 0;
    bool refusedIsEdit_ = false;
    QPushButton* defaultButton_;
};

// A page over one group of ConfigurationSettings, held in data.
template <class Group>
class CGroupPage : public CPage {
public:
    using CPage::CPage;

    Group data;

protected:
    void ResetGroup() override { data.Reset(); }
};

}  // namespace kr
