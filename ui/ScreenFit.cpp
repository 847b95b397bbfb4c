// SPDX-License-Identifier: MIT
#include "ui/ScreenFit.h"

#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace kr {

QSize ScreenRoom(const QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen)
        return {QWIDGETSIZE_MAX, QWIDGETSIZE_MAX};
    // The frame the desktop draws around a window is not known before it is
    // shown: a title bar and thin borders, taken at twice the style's title
    // bar height.
    const int titleBar = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return screen->availableSize() - QSize(titleBar / 2, 2 * titleBar);
}

void OpenWithin(QWidget& window, QSize wanted)
{
    window.resize(wanted.boundedTo(ScreenRoom(window)).expandedTo(window.minimumSizeHint()));
}

}  // namespace kr
