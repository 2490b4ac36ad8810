#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QWidget>

class QPainter;
class QPaintEvent;

// The program's own pictures, drawn in code so they scale cleanly and need no image files.
namespace app::artwork {

// The ivy that climbs down the main window's left side, on a transparent background. Drawn
// for a 216 x 466 area and scaled to `size`; the same picture every time.
QPixmap ivyVine(const QSize& size);

// The bold serif of the program's title, `pixelHeight` pixels high.
QFont titleFont(int pixelHeight = 96);

// Text with a hard drop shadow `shadowOffset` pixels right and down (negative: left and up).
// Text and shadow both stay inside `r`; text too wide for it is narrowed, then shrunk, rather
// than cut off, since the serif that stands in where Times is missing runs wider.
void paintShadowText(QPainter& p, const QRect& r, const QString& text, const QFont& font,
                     const QColor& colour, const QColor& shadow, int shadowOffset,
                     int alignment = Qt::AlignLeft | Qt::AlignVCenter);

// A one-line label with a drop shadow, left-aligned and vertically centred. Its background is
// left unpainted so the window shows through; usable as a promoted widget in Designer.
class ShadowLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor RESET resetTextColor)
    Q_PROPERTY(QColor shadowColor READ shadowColor WRITE setShadowColor)
    Q_PROPERTY(int shadowOffset READ shadowOffset WRITE setShadowOffset)

public:
    explicit ShadowLabel(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    // Invalid until set: the palette's WindowText colour is used then.
    QColor textColor() const { return m_textColor; }
    QColor shadowColor() const { return m_shadowColor; }
    int shadowOffset() const { return m_shadowOffset; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public Q_SLOTS:
    void setText(const QString& text);
    void setTextColor(const QColor& colour);
    void resetTextColor();
    void setShadowColor(const QColor& colour);
    void setShadowOffset(int offset);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
    QColor m_textColor;
    QColor m_shadowColor;
    int m_shadowOffset = 3;
};

enum class Glyph { Overview, Register, GardenWorks, Quit, NewPlant };

// A 32 x 32 button picture (with a simpler 16 x 16 drawing for small buttons). Normal/Off is
// the resting picture; Active and Selected are brighter for hover, On is pressed in.
QIcon buttonGlyph(Glyph g);

// The window icon: an ivy leaf in a rounded square, 16 to 256 pixels.
QIcon appIcon();
// Paints that icon `px` pixels square; the installed icon files are made from it.
void paintAppIcon(QPainter& p, int px);

}  // namespace app::artwork
