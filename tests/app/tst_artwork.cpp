// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QtTest>

#include "app/artwork.h"
#include "toolkit/svgpicture.h"
#include "widgets/picture.h"

using app::artwork::Glyph;
using app::artwork::Lettering;

namespace {

const QString kTitle = QStringLiteral(":/artwork/title.svg");

int opaquePixels(const QImage& image, const QRect& area = QRect()) {
    const QImage img = image.convertToFormat(QImage::Format_ARGB32);
    const QRect r = area.isNull() ? img.rect() : area.intersected(img.rect());
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            n += qAlpha(img.pixel(x, y)) > 0;
        }
    }
    return n;
}

QImage pixmapOf(const QIcon& icon, int px, QIcon::Mode mode, QIcon::State state) {
    return icon.pixmap(QSize(px, px), 1.0, mode, state)
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

// The lettering widget painted on white, as the main window shows it.
QImage painted(Lettering& l) {
    QImage img(l.size(), QImage::Format_ARGB32);
    img.fill(Qt::white);
    l.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

}  // namespace

class ArtworkTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyPictureIsAnSvgOfItsDesignSize_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        const QString glyphs = QStringLiteral(":/artwork/glyphs/");
        QTest::newRow("ivy") << ":/artwork/ivy.svg" << QSize(216, 466);
        QTest::newRow("title") << kTitle << QSize(411, 109);
        QTest::newRow("icon") << ":/artwork/icon.svg" << QSize(256, 256);
        QTest::newRow("small icon") << ":/artwork/icon-small.svg" << QSize(256, 256);
        QTest::newRow("about picture") << ":/artwork/about.svg" << QSize(48, 200);
        for (const char* g : {"overview", "register", "garden-works", "quit", "new-plant"}) {
            for (const char* variant : {"", "-small"}) {
                const QString name = QLatin1String(g) + QLatin1String(variant);
                QTest::newRow(qPrintable(name)) << glyphs + name + ".svg" << QSize(32, 32);
            }
        }
        for (const char* g : {"insert-plant", "fetch-picture"}) {
            for (const char* variant : {"", "-lit"}) {
                const QString name = QLatin1String(g) + QLatin1String(variant);
                QTest::newRow(qPrintable(name)) << glyphs + name + ".svg" << QSize(16, 16);
            }
        }
    }

    // Qt SVG warns of a broken reference when it reads the file, but leaves clip paths,
    // masks and filters out without a word: a designer's editor may have written them.
    void everyPictureIsAnSvgOfItsDesignSize() {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
        QFile source(file);
        QVERIFY2(source.open(QIODevice::ReadOnly), qPrintable(file));
        const QByteArray text = source.readAll();
        for (const char* unsupported :
             {"<clipPath", "clip-path", "<mask", "mask=", "<filter", "filter="}) {
            QVERIFY2(!text.contains(unsupported), unsupported);
        }
        QSvgRenderer svg(file);
        QVERIFY(svg.isValid());
        QCOMPARE(svg.viewBox(), QRect(QPoint(0, 0), size));
        const QImage image = toolkit::svgImage(file, size);
        QCOMPARE(image.size(), size);
        QVERIFY(opaquePixels(image) > size.width() * size.height() / 20);
    }

    void aMissingPictureGivesAnEmptyImageOfItsSize() {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Cannot open file")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no picture")));
        const QImage image = toolkit::svgImage(QStringLiteral(":/artwork/none.svg"), {20, 10});
        QCOMPARE(image.size(), QSize(20, 10));
        QCOMPARE(opaquePixels(image), 0);
        QVERIFY(toolkit::svgImage(kTitle, QSize(0, 10)).isNull());
    }

    void aPictureIsDrawnForTheDeviceAndMovedByTheOffset() {
        const QString file = QStringLiteral(":/artwork/glyphs/quit.svg");
        const QImage sharp = toolkit::svgImage(file, {32, 32}, 2);
        QCOMPARE(sharp.size(), QSize(64, 64));
        QCOMPARE(sharp.devicePixelRatio(), 2.0);
        QImage big = toolkit::svgImage(file, {64, 64});
        big.setDevicePixelRatio(2);
        QCOMPARE(sharp.convertToFormat(QImage::Format_ARGB32),
                 big.convertToFormat(QImage::Format_ARGB32));

        const QImage still =
            toolkit::svgImage(file, {32, 32}).convertToFormat(QImage::Format_ARGB32);
        const QImage moved = toolkit::svgImage(file, {32, 32}, 1, QPointF(1, 2))
                                 .convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 31; ++x) {
                QCOMPARE(moved.pixel(x + 1, y + 2), still.pixel(x, y));
            }
        }
    }

    void theIvyFillsItsBoxOnATransparentGround_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("design") << QSize(216, 466);
        QTest::newRow("half") << QSize(108, 233);
        QTest::newRow("double") << QSize(432, 932);
        QTest::newRow("squeezed") << QSize(300, 200);
    }

    void theIvyFillsItsBoxOnATransparentGround() {
        QFETCH(QSize, size);
        const QImage ivy = app::artwork::ivyVine(size).toImage();
        QCOMPARE(ivy.size(), size);
        QCOMPARE(ivy.hasAlphaChannel(), true);
        QCOMPARE(qAlpha(ivy.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(ivy.pixel(size.width() - 1, size.height() - 1)), 0);
        // The vine runs from top to bottom: there is ivy in the top, middle and bottom tenth.
        for (int tenth : {0, 5, 9}) {
            const QRect band(0, size.height() * tenth / 10, size.width(), size.height() / 10);
            QVERIFY2(opaquePixels(ivy, band) > 0, qPrintable(QString::number(tenth)));
        }
    }

    // What every start shows was drawn by the build from the same SVG: the same picture,
    // to within the rounding of storing it. Any other size is drawn from the SVG.
    void theBuildDrewWhatEveryStartShows_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QImage>("shown");
        QTest::addColumn<QString>("svg");
        QTest::addColumn<QSize>("size");
        const QSize ivy = app::artwork::ivyDesignSize();
        QCOMPARE(ivy, QSize(216, 466));
        QTest::newRow("ivy") << "ivy.png" << app::artwork::ivyImage(ivy) << ":/artwork/ivy.svg"
                             << ivy;
        for (int px : app::artwork::appIconSizes()) {
            QTest::newRow(qPrintable(QStringLiteral("icon %1").arg(px)))
                << QStringLiteral("icon-%1.png").arg(px) << app::artwork::appIconImage(px)
                << (px < 32 ? ":/artwork/icon-small.svg" : ":/artwork/icon.svg") << QSize(px, px);
        }
    }

    void theBuildDrewWhatEveryStartShows() {
        QFETCH(QString, name);
        QFETCH(QImage, shown);
        QFETCH(QString, svg);
        QFETCH(QSize, size);
        const QImage stored(QStringLiteral(":/artwork/rendered/") + name);
        QVERIFY(!stored.isNull());
        QCOMPARE(shown, stored.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        const QImage drawn = toolkit::svgImage(svg, size);
        QCOMPARE(shown.size(), size);
        QCOMPARE(shown.format(), drawn.format());
        int off = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < size.width(); ++x) {
                const QRgb a = shown.pixel(x, y);
                const QRgb b = drawn.pixel(x, y);
                off = std::max({off, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            }
        }
        QVERIFY2(off <= 1, qPrintable(QString::number(off)));
    }

    void otherSizesAreDrawnFromTheSvg() {
        for (const QSize size : {QSize(108, 233), QSize(432, 932), QSize(215, 466)}) {
            QCOMPARE(app::artwork::ivyImage(size),
                     toolkit::svgImage(QStringLiteral(":/artwork/ivy.svg"), size));
        }
        const QImage sharp = app::artwork::ivyImage(QSize(216, 466), 2);
        QCOMPARE(sharp, toolkit::svgImage(QStringLiteral(":/artwork/ivy.svg"), {216, 466}, 2));
        QCOMPARE(sharp.devicePixelRatio(), 2.0);
    }

    void buttonGlyphsHaveADrawingPerSizeAndLightUp_data() {
        QTest::addColumn<Glyph>("glyph");
        QTest::addColumn<QString>("file");
        QTest::newRow("overview") << Glyph::Overview << "overview";
        QTest::newRow("register") << Glyph::Register << "register";
        QTest::newRow("garden works") << Glyph::GardenWorks << "garden-works";
        QTest::newRow("quit") << Glyph::Quit << "quit";
        QTest::newRow("new plant") << Glyph::NewPlant << "new-plant";
    }

    void buttonGlyphsHaveADrawingPerSizeAndLightUp() {
        QFETCH(Glyph, glyph);
        QFETCH(QString, file);
        const QIcon icon = app::artwork::buttonGlyph(glyph);
        const QString base = QStringLiteral(":/artwork/glyphs/") + file;
        for (int px : {16, 32, 64}) {
            const QImage normal = pixmapOf(icon, px, QIcon::Normal, QIcon::Off);
            const QString drawn =
                base + (px < 24 ? QStringLiteral("-small.svg") : QStringLiteral(".svg"));
            QCOMPARE(normal,
                     toolkit::svgImage(drawn, {px, px}).convertToFormat(QImage::Format_ARGB32));

            // Hover lights every visible pixel up, and keeps its coverage.
            const QImage lit = pixmapOf(icon, px, QIcon::Active, QIcon::Off);
            QCOMPARE(pixmapOf(icon, px, QIcon::Selected, QIcon::Off), lit);
            int lighter = 0;
            for (int y = 0; y < px; ++y) {
                for (int x = 0; x < px; ++x) {
                    const QColor a = QColor::fromRgba(normal.pixel(x, y));
                    const QColor b = QColor::fromRgba(lit.pixel(x, y));
                    QCOMPARE(b.alpha(), a.alpha());
                    QVERIFY(b.value() >= a.value());
                    lighter += b.value() > a.value();
                }
            }
            QVERIFY(lighter > px * px / 20);

            // A button that cannot be used shows its picture greyed out.
            const QImage greyed = pixmapOf(icon, px, QIcon::Disabled, QIcon::Off);
            QCOMPARE(greyed.size(), QSize(px, px));
            QVERIFY(greyed != normal);
            int coloured = 0;
            for (int y = 0; y < px; ++y) {
                for (int x = 0; x < px; ++x) {
                    const QColor c = QColor::fromRgba(greyed.pixel(x, y));
                    coloured += c.alpha() > 0 && c.hsvSaturation() > 40;
                }
            }
            QCOMPARE(coloured, 0);

            // Pressed in, the lit picture sits a pixel down and right.
            const int shift = std::max(1, px / 32);
            const QImage pressed = pixmapOf(icon, px, QIcon::Normal, QIcon::On);
            QCOMPARE(pixmapOf(icon, px, QIcon::Active, QIcon::On), pressed);
            for (int y = 0; y + shift < px; ++y) {
                for (int x = 0; x + shift < px; ++x) {
                    QCOMPARE(pressed.pixel(x + shift, y + shift), lit.pixel(x, y));
                }
            }
        }
    }

    void theIconHasABolderDrawingForSmallSizes_data() {
        QTest::addColumn<int>("px");
        QTest::addColumn<QString>("file");
        QTest::newRow("16") << 16 << ":/artwork/icon-small.svg";
        QTest::newRow("24") << 24 << ":/artwork/icon-small.svg";
        QTest::newRow("32") << 32 << ":/artwork/icon.svg";
        QTest::newRow("256") << 256 << ":/artwork/icon.svg";
    }

    void theIconHasABolderDrawingForSmallSizes() {
        QFETCH(int, px);
        QFETCH(QString, file);
        const QImage image = app::artwork::appIconImage(px).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image, toolkit::svgImage(file, {px, px}).convertToFormat(QImage::Format_ARGB32));
        QVERIFY(app::artwork::appIcon().availableSizes().contains(QSize(px, px)));
    }

    void theProductPictureFillsTheAboutWindowsPictureArea() {
        const QImage picture = widgets::productPicture().toImage();
        QCOMPARE(picture.size(), QSize(48, 200));
        QCOMPARE(opaquePixels(picture), 48 * 200);
    }

    void theLetteringIsDrawnAsDesignedAtItsDesignSize() {
        Lettering title;
        title.setSource(kTitle);
        QCOMPARE(title.sizeHint(), QSize(411, 109));
        title.resize(411, 109);
        QSvgRenderer svg(kTitle);
        const QRectF ink = svg.boundsOnElement(QStringLiteral("lettering"));
        const QRectF place = title.letteringRect();
        QVERIFY2(std::abs(place.left() - ink.left()) < 0.01 &&
                     std::abs(place.top() - ink.top()) < 0.01 &&
                     std::abs(place.width() - ink.width()) < 0.01 &&
                     std::abs(place.height() - ink.height()) < 0.01,
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(place.x())
                                .arg(place.y())
                                .arg(place.width())
                                .arg(place.height())));
        QCOMPARE(title.shadowOffset(), QPointF(3, 3));

        // Green lettering inside its place, the grey shadow beside it, nothing elsewhere.
        const QImage img = painted(title);
        const QRect letters = place.toAlignedRect();
        const QRect both = letters.united(letters.translated(3, 3));
        int green = 0;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                const QRgb c = img.pixel(x, y);
                if (!both.contains(x, y)) {
                    QCOMPARE(c, qRgb(255, 255, 255));
                } else if (c == qRgb(0x2e, 0x7d, 0x32)) {
                    ++green;
                }
            }
        }
        QVERIFY(green > ink.width() * ink.height() / 5);
    }

    // The lettering follows the height of its box, is narrowed to no less than three
    // quarters where the box is too narrow, then made smaller, and always stays inside.
    void theLetteringFollowsItsBox_data() {
        QTest::addColumn<QSize>("box");
        QTest::addColumn<bool>("narrowed");
        QTest::addColumn<bool>("smaller");
        QTest::newRow("design") << QSize(411, 109) << false << false;
        QTest::newRow("half") << QSize(205, 54) << false << false;
        QTest::newRow("double") << QSize(822, 218) << false << false;
        QTest::newRow("wide and low") << QSize(822, 54) << false << false;
        QTest::newRow("a little narrow") << QSize(330, 109) << true << false;
        QTest::newRow("very narrow") << QSize(160, 109) << true << true;
    }

    void theLetteringFollowsItsBox() {
        QFETCH(QSize, box);
        QFETCH(bool, narrowed);
        QFETCH(bool, smaller);
        Lettering title;
        title.setSource(kTitle);
        title.resize(box);
        QSvgRenderer svg(kTitle);
        const QRectF ink = svg.boundsOnElement(QStringLiteral("lettering"));
        const QRectF place = title.letteringRect();
        const QPointF shadow = title.shadowOffset();
        QCOMPARE(shadow, QPointF(3, 3));  // in pixels at every size

        const qreal tall = box.height() / 109.0;
        const qreal high = place.height() / ink.height();
        const qreal wide = place.width() / ink.width();
        QCOMPARE(qFuzzyCompare(high, tall), !smaller);
        QVERIFY(high <= tall + 1e-9);
        QCOMPARE(qFuzzyCompare(wide, high), !narrowed);
        QVERIFY(wide >= 0.75 * high - 1e-9);
        QVERIFY(place.left() >= 0 && place.top() >= 0);
        QVERIFY(place.right() + shadow.x() <= box.width() + 1e-6);
        QVERIFY(place.bottom() + shadow.y() <= box.height() + 1e-6);
        // Centred between the top and the shadow's room below, as designed.
        const qreal designMiddle = (109 - 3) / 2.0;
        const qreal expected = (box.height() - 3) / 2.0 + (ink.center().y() - designMiddle) * high;
        QVERIFY2(std::abs(place.center().y() - expected) < 0.01,
                 qPrintable(QString::number(place.center().y())));
        QVERIFY(opaquePixels(painted(title)) > 0);
    }

    void aLetteringWithoutRoomOrPictureDrawsNothing() {
        Lettering title;
        title.setSource(kTitle);
        title.resize(3, 50);  // no room beside the shadow
        QVERIFY(title.letteringRect().isEmpty());
        painted(title);

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Cannot open file")));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no lettering")));
        Lettering none;
        none.setSource(QStringLiteral(":/artwork/none.svg"));
        none.resize(411, 109);
        QVERIFY(none.letteringRect().isEmpty());
        QCOMPARE(none.sizeHint(), QSize());
        const QImage img = painted(none);
        QCOMPARE(img.pixel(200, 50), qRgb(255, 255, 255));
    }
};

QTEST_MAIN(ArtworkTest)
#include "tst_artwork.moc"
