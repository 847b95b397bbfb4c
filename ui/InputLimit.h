// SPDX-License-Identifier: MIT
#pragma once
// A limit on how many characters the user can put into an edit box. It acts
// on the user's edits only (typing, pasting, dropping): a longer text set by
// the program, such as a value loaded from a file, is shown whole, can still
// be shortened, and is refused by the page's check when it commits.
// QLineEdit::setMaxLength would cut such a text instead.

#include <QObject>

class QLineEdit;

namespace kr {

class CInputLimit : public QObject {
    Q_OBJECT
public:
    // Limits edit to maxChars, replacing an earlier limit there.
    static void Apply(QLineEdit* edit, int maxChars);

    // The limit in force on edit; -1 when there is none.
    static int LimitOf(const QLineEdit* edit);

private:
    CInputLimit(QLineEdit* edit, int maxChars);
    void OnEdited();

    QLineEdit* edit_;
    int maxChars_;
    qsizetype lastLength_;  // length of the text before the user's edit
};

}  // namespace kr
