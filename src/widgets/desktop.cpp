// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace widgets::desktop {

namespace {

QStringList envDirs(const char* name, const QString& fallback) {
    QString value = qEnvironmentVariable(name);
    if (value.isEmpty()) {
        value = fallback;
    }
    QStringList dirs;
    for (const QString& d : value.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(d)) {
            dirs << QDir::cleanPath(d);
        }
    }
    return dirs;
}

QString envHome(const char* name, const QString& belowHome) {
    const QString value = qEnvironmentVariable(name);
    if (QDir::isAbsolutePath(value)) {
        return QDir::cleanPath(value);
    }
    return QDir::homePath() + belowHome;
}

QString configHome() {
    return envHome("XDG_CONFIG_HOME", QStringLiteral("/.config"));
}
QString dataHome() {
    return envHome("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}
QStringList configDirs() {
    return envDirs("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
}
QStringList dataDirs() {
    return envDirs("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
}

QStringList applicationDirs() {
    QStringList dirs{dataHome() + QStringLiteral("/applications")};
    for (const QString& d : dataDirs()) {
        dirs << d + QStringLiteral("/applications");
    }
    return dirs;
}

// Lower-cased names of the running desktop, e.g. "gnome" from "ubuntu:GNOME".
QStringList currentDesktops() {
    QStringList out;
    for (const QString& d :
         qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        out << d.toLower();
    }
    return out;
}

// mimeapps.list files in the order the freedesktop rules give them precedence.
QStringList mimeappsLists() {
    QStringList files;
    QStringList configs{configHome()};
    configs += configDirs();
    QStringList datas;
    for (const QString& d : applicationDirs()) {
        datas << d;
    }
    for (const QStringList* group : {&configs, &datas}) {
        for (const QString& dir : *group) {
            for (const QString& desk : currentDesktops()) {
                files << dir + QLatin1Char('/') + desk + QStringLiteral("-mimeapps.list");
            }
            files << dir + QStringLiteral("/mimeapps.list");
        }
    }
    return files;
}

// A desktop id such as "kde-foo.desktop" may also live in the subfolder "kde/".
bool desktopFileExists(const QString& id) {
    if (id.isEmpty() || id.contains(QLatin1Char('/')) || !id.endsWith(QLatin1String(".desktop"))) {
        return false;
    }
    for (const QString& dir : applicationDirs()) {
        if (QFileInfo::exists(dir + QLatin1Char('/') + id)) {
            return true;
        }
        QString nested = id;
        for (qsizetype i = nested.indexOf(QLatin1Char('-')); i > 0;
             i = nested.indexOf(QLatin1Char('-'), i + 1)) {
            nested[i] = QLatin1Char('/');
            if (QFileInfo::exists(dir + QLatin1Char('/') + nested)) {
                return true;
            }
        }
    }
    return false;
}

// The desktop ids an INI-like file lists for `key` in the given groups.
QStringList listedIds(const QString& path, const QStringList& groups, const QString& key) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    QTextStream in(&f);
    QStringList ids;
    bool inGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = groups.contains(line);
            continue;
        }
        if (!inGroup) {
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == key) {
            for (const QString& id : line.mid(eq + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
                ids << id.trimmed();
            }
        }
    }
    return ids;
}

}  // namespace

bool hasHandler(const QString& mimeType) {
    const QStringList associations{QStringLiteral("[Default Applications]"),
                                   QStringLiteral("[Added Associations]")};
    for (const QString& list : mimeappsLists()) {
        for (const QString& id : listedIds(list, associations, mimeType)) {
            if (desktopFileExists(id)) {
                return true;
            }
        }
    }
    const QStringList cache{QStringLiteral("[MIME Cache]")};
    for (const QString& dir : applicationDirs()) {
        for (const QString& id :
             listedIds(dir + QStringLiteral("/mimeinfo.cache"), cache, mimeType)) {
            if (desktopFileExists(id)) {
                return true;
            }
        }
    }
    return false;
}

QStringList systemInfoPrograms() {
    struct Own {
        const char* desktop;
        const char* program;
    };
    static const Own own[] = {
        {"gnome", "gnome-system-monitor"}, {"kde", "kinfocenter"}, {"mate", "mate-system-monitor"},
        {"xfce", "xfce4-taskmanager"},     {"lxde", "lxtask"},     {"lxqt", "lxtask"}};
    QStringList programs;
    for (const QString& desk : currentDesktops()) {
        for (const Own& o : own) {
            if (desk == QLatin1String(o.desktop)) {
                programs << QLatin1String(o.program);
            }
        }
    }
    for (const char* p : {"hardinfo2", "hardinfo", "kinfocenter", "gnome-system-monitor",
                          "mate-system-monitor", "xfce4-taskmanager", "lxtask"}) {
        const QString name = QLatin1String(p);
        if (!programs.contains(name)) {
            programs << name;
        }
    }
    return programs;
}

}  // namespace widgets::desktop
