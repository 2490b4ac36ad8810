#include "picture.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace widgets {

QPixmap productPicture() {
    const int w = 48;
    const int h = 200;
    QPixmap pm(w, h);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0.0, QColor(0xe8, 0xf5, 0xe9));
    sky.setColorAt(0.45, QColor(0x81, 0xc7, 0x84));
    sky.setColorAt(1.0, QColor(0x1b, 0x5e, 0x20));
    p.fillRect(pm.rect(), sky);

    // A leaf leaning right, tip at the upper right, stalk at the lower left.
    p.save();
    p.translate(24, 30);
    p.rotate(-35);
    QPainterPath leaf;
    leaf.moveTo(0, 20);
    leaf.cubicTo(16, 10, 14, -12, 0, -22);
    leaf.cubicTo(-14, -12, -16, 10, 0, 20);
    p.setPen(QPen(QColor(0x1b, 0x5e, 0x20), 1.2));
    p.setBrush(QColor(0x43, 0xa0, 0x47));
    p.drawPath(leaf);
    p.setPen(QPen(QColor(0xc8, 0xe6, 0xc9), 1.2));
    p.drawLine(QPointF(0, 26), QPointF(0, -18));
    for (int i = 0; i < 3; ++i) {
        const qreal y = 10 - i * 9;
        p.drawLine(QPointF(0, y), QPointF(7, y - 6));
        p.drawLine(QPointF(0, y), QPointF(-7, y - 6));
    }
    p.restore();

    // The name reads upwards along the darker lower part.
    QFont font(QStringLiteral("Serif"));
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.translate(w / 2 + 8, h - 8);
    p.rotate(-90);
    const QRect band(0, -26, 130, 32);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(band.translated(1, 1), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Verdamo"));
    p.setPen(Qt::white);
    p.drawText(band, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Verdamo"));
    return pm;
}

}  // namespace widgets
