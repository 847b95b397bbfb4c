// SPDX-License-Identifier: MIT
#pragma once
// A box showing a path that only a chooser sets: it takes no typing, and
// looks it, drawn on the window's background rather than as an entry field,
// while its text can still be selected and copied.

class QLineEdit;
class QWidget;

namespace kr {

QLineEdit* MakePathBox(QWidget* parent);

}  // namespace kr
