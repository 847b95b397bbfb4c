// SPDX-License-Identifier: MIT
#include "ui/pages/Page.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "ui/ControlId.h"

namespace kr {

CPage::CPage(int templateId, QWidget* parent)
    : QWidget(parent), templateId_(templateId), defaultButton_(new QPushButton(tr("Default"), this))
{
    MarkExchangeScope(this);
    SetControlId(defaultButton_, kDefaultButtonId);
    defaultButton_->setAutoDefault(false);
    connect(defaultButton_, &QPushButton::clicked, this, &CPage::ResetToDefaults);
}

bool CPage::ExchangeData(Direction direction)
{
    ExchangeContext last;
    const bool ok = RunExchange(this, direction, [&](ExchangeContext& ctx) {
        try {
            DoExchange(ctx);
        } catch (const ExchangeFailure&) {
            last = ctx;
            throw;
        }
    });
    refusedControl_ = ok ? nullptr : last.lastControl;
    refusedIsEdit_ = !ok && last.lastIsEdit;
    return ok;
}

void CPage::ResetToDefaults()
{
    ResetGroup();
    ExchangeData(Direction::Show);
    RefreshControls();
}

void CPage::Initialize()
{
    ExchangeData(Direction::Show);
    RefreshControls();
}

void CPage::FocusRefusedControl()
{
    if (!refusedControl_)
        return;
    refusedControl_->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(refusedControl_.data()); edit && refusedIsEdit_)
        edit->selectAll();
}

QWidget* CPage::Control(int id) const
{
    return FindControl(this, id);
}

void CPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (refreshOnActivation_)
        RefreshControls();
}

void CPage::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();  // a page never closes, and neither does its window
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

}  // namespace kr
