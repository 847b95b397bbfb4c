// SPDX-License-Identifier: MIT
#include "ui/InputLimit.h"

#include <algorithm>

#include <QLineEdit>

namespace kr {

CInputLimit::CInputLimit(QLineEdit* edit, int maxChars)
    : QObject(edit), edit_(edit), maxChars_(maxChars), lastLength_(edit->text().size())
{
    // textEdited comes for the user's changes only, before textChanged; the
    // length is read from the box, not the signal, since a correction made
    // while handling textEdited changes it again.
    connect(edit, &QLineEdit::textEdited, this, &CInputLimit::OnEdited);
    connect(edit, &QLineEdit::textChanged, this, [this] { lastLength_ = edit_->text().size(); });
}

void CInputLimit::Apply(QLineEdit* edit, int maxChars)
{
    CInputLimit* current = edit->findChild<CInputLimit*>(QString(), Qt::FindDirectChildrenOnly);
    if (current && current->maxChars_ == maxChars)
        return;
    delete current;
    new CInputLimit(edit, maxChars);
}

int CInputLimit::LimitOf(const QLineEdit* edit)
{
    const CInputLimit* current = edit->findChild<CInputLimit*>(QString(), Qt::FindDirectChildrenOnly);
    return current ? current->maxChars_ : -1;
}

void CInputLimit::OnEdited()
{
    // An edit may make the text longer only up to the limit, and a text that
    // is already longer not longer still. Like a box with a hard limit, the
    // characters just inserted before the cursor are cut to fit.
    const QString text = edit_->text();
    const qsizetype allowed = std::max<qsizetype>(maxChars_, lastLength_);
    if (text.size() <= allowed)
        return;
    const qsizetype excess = text.size() - allowed;
    const int cursor = edit_->cursorPosition();
    const qsizetype cutAt = std::max<qsizetype>(0, cursor - excess);
    QString fitted = text;
    fitted.remove(cutAt, excess);
    edit_->setText(fitted);
    edit_->setCursorPosition(static_cast<int>(cutAt));
}

}  // namespace kr
