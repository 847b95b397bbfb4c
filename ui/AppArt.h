// SPDX-License-Identifier: MIT
#pragma once
// The wizard's pictures, drawn in code so the program needs no image files:
// the application icon (the same design as the installed SVG icon) and the
// panel along the main window's left edge.

#include <QIcon>
#include <QPixmap>

namespace kr {

// The icon, drawn at each size when that size is first needed; it offers the
// usual sizes from 16 to 256 pixels.
QIcon AppIcon();

// The icon drawn at size x size pixels.
QPixmap PaintAppIcon(int size);

// The side panel of the main window.
QPixmap PaintSidePanel(int width, int height);

}  // namespace kr
