// Writes the program's icon for the desktop: PNG files of the usual sizes and a scalable SVG,
// all painted by the same code as the window icon. Run by the build.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

#include "artwork.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: verdamo_icons <hicolor folder> <icon name>\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString name = QString::fromLocal8Bit(argv[2]);

    for (int px : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QString dir = QStringLiteral("%1x%1/apps").arg(px);
        if (!out.mkpath(dir)) {
            std::fprintf(stderr, "cannot make %s\n", qPrintable(out.filePath(dir)));
            return 1;
        }
        QImage img(px, px, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        {
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            app::artwork::paintAppIcon(p, px);
        }
        const QString file = out.filePath(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
        if (!img.save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }

    if (!out.mkpath(QStringLiteral("scalable/apps"))) {
        return 1;
    }
    QSvgGenerator svg;
    svg.setFileName(out.filePath(QStringLiteral("scalable/apps/") + name + QStringLiteral(".svg")));
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRect(0, 0, 256, 256));
    svg.setTitle(QStringLiteral("Verdamo"));
    QPainter p;
    if (!p.begin(&svg)) {
        std::fputs("cannot write the SVG icon\n", stderr);
        return 1;
    }
    p.setRenderHint(QPainter::Antialiasing);
    app::artwork::paintAppIcon(p, 256);
    return p.end() ? 0 : 1;
}
