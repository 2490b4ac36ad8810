// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QTransform>
#include <QWidget>

class QPaintEvent;
class QSvgRenderer;

// The main window's pictures and the program's icon. They are SVG files under
// resources/artwork, compiled into the program.
namespace app::artwork {

// The ivy that climbs down the main window's left side, on a transparent background,
// stretched over `size`. At its design size the build has drawn it already.
QPixmap ivyVine(const QSize& size, qreal ratio = 1);
// The same as an image, which any thread may draw.
QImage ivyImage(const QSize& size, qreal ratio = 1);
// The size the ivy is drawn for.
QSize ivyDesignSize();

// A picture of lettering with a drop shadow: the SVG's elements "lettering" and "shadow".
// The lettering follows the height of the box; where the box is too narrow for it, it is
// narrowed to three quarters, then made smaller, and it stays left-aligned and vertically
// centred. The shadow keeps its design distance in pixels. Its background is left unpainted,
// so the window shows through; usable as a promoted widget in Designer.
class Lettering : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString source READ source WRITE setSource)

public:
    explicit Lettering(QWidget* parent = nullptr);

    QString source() const { return m_source; }
    void setSource(const QString& file);

    // Where the lettering's ink lies at the present size, and how far the shadow falls from
    // it; an empty rectangle when there is nothing to draw.
    QRectF letteringRect() const;
    QPointF shadowOffset() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTransform placement() const;

    QString m_source;
    QSvgRenderer* m_svg = nullptr;
};

enum class Glyph { Overview, Register, GardenWorks, Quit, NewPlant };

// A button picture, drawn when first shown at the size shown (below 24 pixels a simpler
// drawing). Normal/Off is the resting picture; Active and Selected are brighter for hover, On
// is pressed in, Disabled is greyed out.
QIcon buttonGlyph(Glyph g);

// The window icon: an ivy leaf in a rounded square, 16 to 256 pixels.
QIcon appIcon();
// Its sizes in the program, drawn by the build; the pictures at every size, which any thread
// may draw, and the icon made of them.
QList<int> appIconSizes();
QList<QImage> appIconImages();
QIcon appIcon(const QList<QImage>& images);
// That icon `px` pixels square; the installed icon files are made from it.
QImage appIconImage(int px);
// The SVG the icon is drawn from, installed as the scalable icon.
QString appIconFile();

}  // namespace app::artwork
