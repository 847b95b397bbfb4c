// SPDX-License-Identifier: MIT
#include "ui/AppArt.h"

#include <algorithm>
#include <map>

#include <QApplication>
#include <QFontMetricsF>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOption>

namespace kr {
namespace {

const QColor kBlue(0x1d, 0x4e, 0x89);
const QColor kPin(0x9f, 0xb7, 0xd6);
const QColor kChip(0xe8, 0xee, 0xf6);
const QColor kTouch(0xf2, 0x8c, 0x28);

// Draws the icon in a 64 x 64 design space.
void DrawIcon(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setBrush(kPin);
    for (int y : {19, 26, 33, 40}) {
        p.drawRoundedRect(QRectF(10, y, 9, 4), 1, 1);
        p.drawRoundedRect(QRectF(45, y, 9, 4), 1, 1);
    }
    p.setBrush(kChip);
    p.drawRoundedRect(QRectF(18, 15, 28, 34), 3, 3);
    QColor ring = kTouch;
    ring.setAlphaF(0.55f);
    p.setPen(QPen(ring, 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(32, 32), 11, 11);
    p.setPen(Qt::NoPen);
    p.setBrush(kTouch);
    p.drawEllipse(QPointF(32, 32), 6, 6);
}

}  // namespace

QPixmap PaintAppIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    DrawIcon(p);
    return pixmap;
}

namespace {

// The icon drawn when a size is first asked for, and kept: at start-up the
// window system may want one size or none (the offscreen platform), so
// drawing all of them up front was work thrown away.
class CAppIconEngine : public QIconEngine {
public:
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int side : {16, 24, 32, 48, 64, 128, 256})
            sizes.append({side, side});
        return sizes;
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        const int side = std::min(size.width(), size.height());
        if (side <= 0)
            return {};
        QPixmap& drawn = drawn_[side];
        if (drawn.isNull())
            drawn = PaintAppIcon(side);
        if (mode == QIcon::Normal || mode == QIcon::Active)
            return drawn;
        QStyleOption option;
        return QApplication::style()->generatedIconPixmap(mode, drawn, &option);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap picture = pixmap(rect.size() * scale, mode, state);
        picture.setDevicePixelRatio(scale);
        painter->drawPixmap(rect, picture);
    }

    QIconEngine* clone() const override { return new CAppIconEngine(*this); }
    QString key() const override { return QStringLiteral("kr761x-app-icon"); }

private:
    std::map<int, QPixmap> drawn_;
};

}  // namespace

QIcon AppIcon()
{
    return QIcon(new CAppIconEngine);
}

QPixmap PaintSidePanel(int width, int height)
{
    QPixmap pixmap(width, height);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, kBlue);
    sky.setColorAt(1, kBlue.darker(170));
    p.fillRect(pixmap.rect(), sky);

    // A trace of circuit lines behind the icon.
    QPen trace(kPin, 1.5);
    trace.setColor(QColor(kPin.red(), kPin.green(), kPin.blue(), 70));
    p.setPen(trace);
    for (int i = 0; i < 6; ++i) {
        const qreal x = width * (0.15 + 0.14 * i);
        const qreal bend = height * (0.55 - 0.04 * i);
        // Qt spreads the blending of a shape of more than about a hundred
        // spans (a few per scan line of a thin antialiased line) over its
        // thread pool; for a line this thin, waking the pool costs far more
        // than the drawing. So the long upright part is drawn in short pieces
        // that meet edge to edge (flat ends), and only the last piece joins
        // the bend.
        const qreal piece = 24;
        QPen straight = trace;
        straight.setCapStyle(Qt::FlatCap);
        p.setPen(straight);
        qreal bottom = height;
        for (; bottom - bend > piece; bottom -= piece)
            p.drawLine(QLineF(x, bottom, x, bottom - piece));
        p.setPen(trace);
        QPainterPath path(QPointF(x, bottom));
        path.lineTo(x, bend);
        path.lineTo(x + width * 0.1, height * (0.5 - 0.04 * i));
        p.drawPath(path);
        p.drawEllipse(QPointF(x + width * 0.1, height * (0.5 - 0.04 * i)), 2.5, 2.5);
    }

    const int iconSize = width * 3 / 4;
    p.drawPixmap((width - iconSize) / 2, width / 8, PaintAppIcon(iconSize));

    // The name in the application's own font, made larger by the painter
    // rather than by asking for another size or weight: a font not used
    // elsewhere is looked up and loaded from disk first, which cost more than
    // all of the rest of this picture.
    p.setPen(kChip);
    const qreal scale = std::max(10, width / 5) / QFontMetricsF(p.font()).height() * 1.25;
    p.translate(width / 2.0, height * 0.78);
    p.rotate(-90);
    p.scale(scale, scale);
    p.drawText(QRectF(-height * 0.3 / scale, -width / 2.0 / scale, height * 0.6 / scale, width / scale),
               Qt::AlignCenter, QStringLiteral("KR761x"));
    return pixmap;
}

}  // namespace kr
