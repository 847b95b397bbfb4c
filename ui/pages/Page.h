// SPDX-License-Identifier: MIT
#pragma once
// The contract every configuration page follows. A page is a view of its
// group of the configuration: it moves the group to and from its controls
// only through its exchange. Its "Default" button (1057) puts the group back
// to its defaults. Enter and Escape pressed inside a page do nothing.
//
// Handlers of a page react to the user only: QAbstractButton::clicked and
// QComboBox::activated, not toggled or currentIndexChanged, which also fire
// when a display exchange sets a control.

#include <QPointer>
#include <QWidget>

#include "ui/Exchange.h"
#include "ui/pages/RowControls.h"

class QPushButton;
class QVBoxLayout;

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

    // The control numbered id on this page (for tests, which find controls
    // by number).
    QWidget* Control(int id) const;

    QPushButton* DefaultButton() const { return defaultButton_; }

    // Adds the controls the field table makes for the page's group below the
    // page's own (FinishPage calls it).
    virtual void AddRowControls(QVBoxLayout* layout) { (void)layout; }

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
    QPointer<QWidget> refusedControl_;  // the control the last commit refused
    bool refusedIsEdit_ = false;
    QPushButton* defaultButton_;
};

// A page over one group of ConfigurationSettings. It shows a group into its
// controls and commits its controls into a group. data is the group the page
// is bound to: the main window's record, or the page's own group when it
// stands alone.
template <class Group> class CGroupPage : public CPage {
public:
    // record: the group this page shows and commits; nullptr binds the page
    // to a group of its own.
    CGroupPage(int templateId, QWidget* parent, Group* record = nullptr)
        : CPage(templateId, parent), data(record ? *record : own_)
    {
    }

    // Commits the controls into into with every check, showing nothing and
    // leaving the bound group as it is: what a commit would store now. False
    // when a value would be refused.
    bool CommitQuietly(Group& into)
    {
        return RunExchange(
            this, Direction::Commit,
            [&](ExchangeContext& ctx) {
                ExchangeGroup(ctx, into);
                rows_.Exchange(ctx, into);
            },
            Feedback::Silent);
    }

    void AddRowControls(QVBoxLayout* layout) override { rows_.Make<Group>(this, layout); }

private:
    Group own_;
    CRowControls rows_;

public:
    Group& data;

protected:
    // The page's exchange between its controls and group, in its fixed
    // order, through the routines of Exchange.h.
    virtual void ExchangeGroup(ExchangeContext& ctx, Group& group) = 0;

    void DoExchange(ExchangeContext& ctx) final
    {
        ExchangeGroup(ctx, data);
        rows_.Exchange(ctx, data);
    }
    void ResetGroup() override { data.Reset(); }
};

}  // namespace kr
