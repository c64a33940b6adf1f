#include "res/AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tern::res {
namespace {

// Drawn on a 64 x 64 grid, scaled to the size asked for.
void PaintIcon(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 64);
    sky.setColorAt(0, QColor(0x1E, 0x8B, 0xB0));
    sky.setColorAt(1, QColor(0x0B, 0x3F, 0x5C));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // The chip the firmware goes into, with its pins.
    p.setBrush(QColor(0xF2, 0xC1, 0x4E));
    p.drawRoundedRect(QRectF(20, 40, 24, 14), 2, 2);
    p.setBrush(QColor(0xF2, 0xC1, 0x4E));
    for (int i = 0; i < 4; ++i) {
        p.drawRect(QRectF(22.5 + i * 5.5, 54, 2.5, 4));
    }

    // The tern: long swept wings, a slim body and a forked tail, diving toward the chip.
    QPainterPath bird;
    bird.moveTo(6, 16);
    bird.cubicTo(16, 14, 26, 18, 32, 28);
    bird.cubicTo(38, 18, 48, 14, 58, 16);
    bird.cubicTo(48, 19, 40, 24, 34, 33);
    bird.lineTo(36, 39);
    bird.lineTo(32, 36);
    bird.lineTo(28, 39);
    bird.lineTo(30, 33);
    bird.cubicTo(24, 24, 16, 19, 6, 16);
    p.setBrush(Qt::white);
    p.drawPath(bird);

    // Its black cap and orange bill.
    p.setBrush(QColor(0x1A, 0x1A, 0x1A));
    p.drawEllipse(QRectF(30, 25.5, 4, 3));
    p.setBrush(QColor(0xF0, 0x7A, 0x2A));
    QPainterPath bill;
    bill.moveTo(31, 28.5);
    bill.lineTo(33, 28.5);
    bill.lineTo(32, 31.5);
    bill.closeSubpath();
    p.drawPath(bill);
}

}  // namespace

QImage RenderAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(size / 64.0, size / 64.0);
    PaintIcon(painter);
    return image;
}

QIcon LoadAppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(QPixmap::fromImage(RenderAppIcon(size)));
    }
    return icon;
}

}  // namespace tern::res
