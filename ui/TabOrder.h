// SPDX-License-Identifier: MIT
#pragma once
// Tab visits a form's controls in the order its layouts place them: a grid
// row by row and left to right, a box from first to last, a frame's own
// layout as a whole where the frame stands. So the order in which the code
// happens to make the controls does not matter.

class QWidget;

namespace kr {

// Orders the focus chain of the controls laid out in form's layout.
void SetTabOrderByLayout(QWidget* form);

}  // namespace kr
