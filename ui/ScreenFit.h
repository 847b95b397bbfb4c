// SPDX-License-Identifier: MIT
#pragma once
// Top-level windows open at the size they ask for, but never larger than the
// free area of their screen (what the desktop's panels leave, less room for
// the window's own frame), so that on a small screen every control stays
// on the screen. What does not fit then scrolls inside the window.

#include <QSize>

class QWidget;

namespace kr {

// The largest size window can take on its screen, frame included.
QSize ScreenRoom(const QWidget& window);

// Resizes window to wanted, bounded by ScreenRoom, and never below what its
// layout needs.
void OpenWithin(QWidget& window, QSize wanted);

}  // namespace kr
