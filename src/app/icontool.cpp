// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's icon for the desktop: PNG files of the usual sizes, rendered from the
// same SVG as the window icon, and that SVG as the scalable icon. With a third folder, also
// the pictures every start of the program shows, drawn ahead from their SVG files so that
// the program need not draw them: the ivy at its design size and the window icon's sizes.
// Run by the build.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "artwork.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fputs("usage: verdamo_icons <hicolor folder> <icon name> [<pictures folder>]\n",
                   stderr);
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
    if (argc == 4) {
        const QDir pictures(QString::fromLocal8Bit(argv[3]));
        QList<std::pair<QString, QImage>> drawn{
            {QStringLiteral("ivy.png"), app::artwork::ivyImage(app::artwork::ivyDesignSize())}};
        for (int px : app::artwork::appIconSizes()) {
            drawn.append({QStringLiteral("icon-%1.png").arg(px), app::artwork::appIconImage(px)});
        }
        if (!pictures.mkpath(QStringLiteral("."))) {
            std::fprintf(stderr, "cannot make %s\n", qPrintable(pictures.path()));
            return 1;
        }
        for (const auto& [file, image] : drawn) {
            if (image.isNull() || !image.save(pictures.filePath(file), "PNG")) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(pictures.filePath(file)));
                return 1;
            }
        }
    }
    return 0;
}
