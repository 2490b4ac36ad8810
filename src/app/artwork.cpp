// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/artwork.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QImageReader>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>

#include <algorithm>

#include "toolkit/svgpicture.h"

namespace app::artwork {

namespace {

const QString kLettering = QStringLiteral("lettering");
const QString kShadow = QStringLiteral("shadow");
// Narrower than this the lettering would look squeezed; it is made smaller instead.
constexpr qreal kNarrowest = 0.75;

QString glyphFile(Glyph g, bool small) {
    static const char* const names[] = {"overview", "register", "garden-works", "quit",
                                        "new-plant"};
    return QStringLiteral(":/artwork/glyphs/%1%2.svg")
        .arg(QLatin1String(names[static_cast<int>(g)]),
             small ? QLatin1String("-small") : QLatin1String());
}

// The hover picture: the same drawing, lit up a little.
QImage brighter(const QImage& src) {
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = line[x];
            const int a = qAlpha(c);
            if (a == 0) {
                continue;
            }
            // Lighter in value only, so the greens stay as strong as they are.
            QColor lit = QColor::fromRgb(c).lighter(122);
            lit.setAlpha(a);
            line[x] = lit.rgba();
        }
    }
    return img;
}

// The picture the build drew from the same SVG for a size every start needs (the icon tool
// writes them), so the window need not wait for its drawing; a null image when there is none
// of that size, and the SVG is drawn instead.
QImage renderedAhead(const QString& name, const QSize& size) {
    QImageReader file(QStringLiteral(":/artwork/rendered/") + name);
    if (file.size() != size) {
        return {};
    }
    const QImage image = file.read();
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace

QPixmap ivyVine(const QSize& size, qreal ratio) {
    return QPixmap::fromImage(ivyImage(size, ratio));
}

QImage ivyImage(const QSize& size, qreal ratio) {
    if (ratio == 1) {
        if (QImage drawn = renderedAhead(QStringLiteral("ivy.png"), size); !drawn.isNull()) {
            return drawn;
        }
    }
    return toolkit::svgImage(QStringLiteral(":/artwork/ivy.svg"), size, ratio);
}

Lettering::Lettering(QWidget* parent) : QWidget(parent), m_svg(new QSvgRenderer(this)) {
    // Only the lettering is painted; whatever is behind the widget shows through.
    setAutoFillBackground(false);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void Lettering::setSource(const QString& file) {
    m_source = file;
    if (!m_svg->load(file)) {
        qWarning("no lettering in %s", qPrintable(file));
    }
    updateGeometry();
    update();
}

QSize Lettering::sizeHint() const {
    return m_svg->isValid() ? m_svg->viewBox().size() : QSize();
}

QPointF Lettering::shadowOffset() const {
    if (!m_svg->elementExists(kLettering) || !m_svg->elementExists(kShadow)) {
        return {};
    }
    return m_svg->boundsOnElement(kShadow).topLeft() - m_svg->boundsOnElement(kLettering).topLeft();
}

// Maps the design box onto the widget as the lettering is fitted: the scale follows the
// height, the text stays left-aligned and centred between the top and the shadow's room.
QTransform Lettering::placement() const {
    const QRectF design = m_svg->viewBoxF();
    const QRectF ink =
        m_svg->elementExists(kLettering) ? m_svg->boundsOnElement(kLettering) : design;
    const QPointF off = shadowOffset();
    const qreal roomW = width() - std::abs(off.x());
    const qreal roomH = height() - std::abs(off.y());
    if (!m_svg->isValid() || design.isEmpty() || ink.right() <= 0 || roomW <= 0 || roomH <= 0) {
        return QTransform(0, 0, 0, 0, 0, 0);
    }
    qreal scale = height() / design.height();
    qreal across = scale;
    if (ink.right() * across > roomW) {
        across = std::max(kNarrowest * scale, roomW / ink.right());
        if (ink.right() * across > roomW) {
            across = roomW / ink.right();
            scale = across / kNarrowest;
        }
    }
    const qreal designMiddle = (design.height() - std::abs(off.y())) / 2;
    const qreal middle = roomH / 2;
    return QTransform(across, 0, 0, scale, -design.left() * across,
                      middle - (designMiddle + design.top()) * scale);
}

QRectF Lettering::letteringRect() const {
    if (!m_svg->isValid()) {
        return {};
    }
    const QRectF ink =
        m_svg->elementExists(kLettering) ? m_svg->boundsOnElement(kLettering) : m_svg->viewBoxF();
    return placement().mapRect(ink);
}

void Lettering::paintEvent(QPaintEvent*) {
    const QRectF place = letteringRect();
    if (place.isEmpty()) {
        return;
    }
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!m_svg->elementExists(kLettering)) {
        m_svg->render(&p, place);
        return;
    }
    if (m_svg->elementExists(kShadow)) {
        m_svg->render(&p, kShadow, place.translated(shadowOffset()));
    }
    m_svg->render(&p, kLettering, place);
}

namespace {

// Draws a button picture only when a button asks for it, at the size asked: a window shows
// a few of its pictures, and the window should not wait for the rest.
class GlyphEngine final : public QIconEngine {
public:
    explicit GlyphEngine(Glyph g) : m_glyph(g) {}

    QIconEngine* clone() const override { return new GlyphEngine(*this); }
    bool isNull() override { return false; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {{16, 16}, {32, 32}, {64, 64}};
    }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int px = std::min(size.width(), size.height());
        return {px, px};
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        const int px = std::min(size.width(), size.height());
        if (px <= 0) {
            return {};
        }
        const quint64 key = (quint64(px) << 8) | (quint64(mode) << 1) | quint64(state);
        if (const auto it = m_drawn.constFind(key); it != m_drawn.constEnd()) {
            return *it;
        }
        QPixmap drawn;
        if (mode == QIcon::Disabled) {
            // Greyed out as the style greys any other picture.
            QStyleOption opt;
            opt.palette = QApplication::palette();
            drawn = QApplication::style()->generatedIconPixmap(
                QIcon::Disabled, pixmap(size, QIcon::Normal, state), &opt);
        } else {
            drawn = QPixmap::fromImage(draw(px, mode, state));
        }
        m_drawn.insert(key, drawn);
        return drawn;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1;
        QPixmap pm = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        pm.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, pm);
    }

private:
    // Normal/Off is the resting picture; Active and Selected are brighter for hover, On is
    // pressed in.
    QImage draw(int px, QIcon::Mode mode, QIcon::State state) const {
        // Detail merges into mud at 16 pixels: that size has a drawing of its own.
        const QString file = glyphFile(m_glyph, px < 24);
        const QSize size(px, px);
        if (state == QIcon::On) {
            // Pressed in: the picture moves a pixel down and right, as the button face does.
            const qreal shift = std::max(1, px / 32);
            return brighter(toolkit::svgImage(file, size, 1, QPointF(shift, shift)));
        }
        const QImage normal = toolkit::svgImage(file, size);
        return mode == QIcon::Normal ? normal : brighter(normal);
    }

    Glyph m_glyph;
    QHash<quint64, QPixmap> m_drawn;
};

}  // namespace

QIcon buttonGlyph(Glyph g) {
    return QIcon(new GlyphEngine(g));
}

QString appIconFile() {
    return QStringLiteral(":/artwork/icon.svg");
}

QImage appIconImage(int px) {
    if (QImage drawn = renderedAhead(QStringLiteral("icon-%1.png").arg(px), QSize(px, px));
        !drawn.isNull()) {
        return drawn;
    }
    // Below 32 pixels the leaf is drawn bolder and without veins.
    const QString file = px < 32 ? QStringLiteral(":/artwork/icon-small.svg") : appIconFile();
    return toolkit::svgImage(file, QSize(px, px));
}

QList<int> appIconSizes() {
    return {16, 24, 32, 48, 64, 128, 256};
}

QSize ivyDesignSize() {
    return QSvgRenderer(QStringLiteral(":/artwork/ivy.svg")).defaultSize();
}

QList<QImage> appIconImages() {
    QList<QImage> images;
    for (int px : appIconSizes()) {
        images << appIconImage(px);
    }
    return images;
}

QIcon appIcon(const QList<QImage>& images) {
    QIcon icon;
    for (const QImage& image : images) {
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QIcon appIcon() {
    return appIcon(appIconImages());
}

}  // namespace app::artwork
