// SPDX-License-Identifier: GPL-3.0-or-later
#include "svgpicture.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QtGlobal>

namespace toolkit {

QImage svgImage(const QString& file, const QSize& size, qreal ratio, QPointF offset) {
    if (size.isEmpty()) {
        return {};
    }
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QSvgRenderer svg(file);
    if (!svg.isValid()) {
        qWarning("no picture in %s", qPrintable(file));
        return image;
    }
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    svg.render(&p, QRectF(offset, QSizeF(size)));
    return image;
}

}  // namespace toolkit
