// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's icon for the desktop: PNG files of the usual sizes, rendered from the
// same SVG as the window icon, and that SVG as the scalable icon. Run by the build.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
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
        const QString file = out.filePath(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
        if (!app::artwork::appIconImage(px).save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }

    // Written rather than copied, so the file gets ordinary permissions, not the resource's.
    QFile svg(app::artwork::appIconFile());
    const QString scalable = out.filePath(QStringLiteral("scalable/apps/") + name + ".svg");
    QFile file(scalable);
    if (!out.mkpath(QStringLiteral("scalable/apps")) || !svg.open(QIODevice::ReadOnly) ||
        !file.open(QIODevice::WriteOnly) || file.write(svg.readAll()) != svg.size() ||
        !file.flush()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(scalable));
        return 1;
    }
    return 0;
}
