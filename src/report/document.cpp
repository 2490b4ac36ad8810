// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/document.h"

namespace report {

namespace {

QString mm(double v) {
    return QString::number(v, 'f', 2);
}

QString alignmentName(Qt::Alignment a) {
    if (a & Qt::AlignHCenter) {
        return QStringLiteral("center");
    }
    if (a & Qt::AlignRight) {
        return QStringLiteral("right");
    }
    return QStringLiteral("left");
}

QString colourName(const QColor& c) {
    return c.isValid() ? c.name() : QStringLiteral("none");
}

QString quoted(const QString& text) {
    QString t = text;
    t.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return u'"' + t + u'"';
}

}  // namespace

QString Document::dump() const {
    QString out;
    out += QStringLiteral("sheet %1 x %2, margins %3 %4 %5 %6, %7 pages\n")
               .arg(mm(pageSize.width()), mm(pageSize.height()), mm(margins.left()),
                    mm(margins.top()), mm(margins.right()), mm(margins.bottom()))
               .arg(pages.size());
    for (qsizetype p = 0; p < pages.size(); ++p) {
        const Page& page = pages.at(p);
        out += QStringLiteral("page %1\n").arg(p + 1);
        for (const PlacedBox& b : page.boxes) {
            out += QStringLiteral("  box %1 %2 %3 %4 %5\n")
                       .arg(mm(b.rect.left()), mm(b.rect.top()), mm(b.rect.width()),
                            mm(b.rect.height()), colourName(b.fill));
        }
        for (const PlacedText& t : page.texts) {
            out += QStringLiteral("  text %1 %2 %3 %4 %5 %6 [%7 %8%9 %10]\n")
                       .arg(t.name, mm(t.rect.left()), mm(t.rect.top()), mm(t.rect.width()),
                            alignmentName(t.alignment), quoted(t.text), t.font.family(),
                            QString::number(t.font.pointSizeF()),
                            t.font.bold() ? QStringLiteral(" bold") : QString())
                       .arg(colourName(t.color));
        }
    }
    return out;
}

}  // namespace report
