// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>

namespace report {

// The laid-out report: pages of placed boxes and texts, every measure in millimetres from
// the top left corner of the sheet. Painting and the tests work on this alone.
struct PlacedBox {
    QRectF rect;
    QColor fill;
};

struct PlacedText {
    QString name;  // the element's name, e.g. "QRLabel1"
    QRectF rect;   // the element's box; the text is drawn on one line inside it
    QString text;
    QFont font;
    QColor color;
    Qt::Alignment alignment = Qt::AlignLeft;
};

struct Page {
    QList<PlacedBox> boxes;  // painted first, in order
    QList<PlacedText> texts;
};

struct Document {
    QSizeF pageSize{210.0, 297.0};  // A4 portrait
    QMarginsF margins{10.0, 10.0, 10.0, 10.0};
    QList<Page> pages;

    int pageCount() const { return int(pages.size()); }
    // A readable text form of every page, stable for comparing with reviewed copies.
    QString dump() const;
};

}  // namespace report
