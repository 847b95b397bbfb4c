#include "ui/AppArt.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

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

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(PaintAppIcon(size));
    return icon;
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
        QPainterPath path(QPointF(x, height));
        path.lineTo(x, height * (0.55 - 0.04 * i));
        path.lineTo(x + width * 0.1, height * (0.5 - 0.04 * i));
        p.drawPath(path);
        p.drawEllipse(QPointF(x + width * 0.1, height * (0.5 - 0.04 * i)), 2.5, 2.5);
    }

    const int iconSize = width * 3 / 4;
    p.drawPixmap((width - iconSize) / 2, width / 8, PaintAppIcon(iconSize));

    p.setPen(kChip);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(std::max(10, width / 5));
    p.setFont(font);
    p.translate(width / 2.0, height * 0.78);
    p.rotate(-90);
    p.drawText(QRectF(-height * 0.3, -width / 2.0, height * 0.6, width), Qt::AlignCenter, QStringLiteral("KR761x"));
    return pixmap;
}

}  // namespace kr
