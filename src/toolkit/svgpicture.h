// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QPointF>
#include <QSize>
#include <QString>

namespace toolkit {

// The program's pictures are SVG files compiled in as resources, so a designer can change
// them without touching code. Renders one stretched over `size` (in device-independent
// pixels, `ratio` device pixels each) on a transparent ground, moved by `offset`. A file that
// is missing or not an SVG gives a transparent image of the size and a warning.
QImage svgImage(const QString& file, const QSize& size, qreal ratio = 1, QPointF offset = {});

}  // namespace toolkit
