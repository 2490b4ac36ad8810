// SPDX-License-Identifier: GPL-3.0-or-later
#include "places.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "archive.h"
#include "data/datafolder.h"
#include "texts.h"

namespace backup {

namespace {

const QString SecondPlaceKey = QStringLiteral("SecondPlace");
const QString LastKey = QStringLiteral("LastBackup");
const QString LastFolderKey = QStringLiteral("LastBackupFolder");
const QString OutsideKey = QStringLiteral("LastOutsideBackup");
const QString OutsideFolderKey = QStringLiteral("LastOutsideBackupFolder");
const QString SinceKey = QStringLiteral("Since");

QSettings settings() {
    return QSettings(settingsFile(), QSettings::IniFormat);
}

// A path with every existing part resolved, so a link into the data folder counts as inside.
QString resolved(const QString& path) {
    QFileInfo fi(QDir::cleanPath(QDir(path).absolutePath()));
    QStringList rest;
    while (!fi.exists() && !fi.isSymLink()) {
        const QString parent = fi.absolutePath();
        if (parent == fi.absoluteFilePath()) {
            break;
        }
        rest.prepend(fi.fileName());
        fi = QFileInfo(parent);
    }
    QString base = fi.canonicalFilePath();
    if (base.isEmpty()) {
        base = fi.absoluteFilePath();
    }
    return QDir::cleanPath(rest.isEmpty() ? base
                                          : base + QLatin1Char('/') + rest.join(QLatin1Char('/')));
}

bool within(const QString& path, const QString& folder) {
    const QString p = resolved(path);
    const QString f = resolved(folder);
    return p == f || p.startsWith(f + QLatin1Char('/'));
}

QDateTime newestIn(const QString& folder) {
    QDateTime newest;
    if (folder.isEmpty()) {
        return newest;
    }
    const QStringList files = backupsNewestFirst({folder});
    if (!files.isEmpty()) {
        newest = QFileInfo(files.first()).lastModified();
    }
    return newest;
}

}  // namespace

QString settingsFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("backup.ini"));
}

QString secondPlace() {
    return settings().value(SecondPlaceKey).toString();
}

void setSecondPlace(const QString& folder) {
    QSettings s = settings();
    if (folder.isEmpty()) {
        s.remove(SecondPlaceKey);
    } else {
        s.setValue(SecondPlaceKey, QDir::cleanPath(QDir(folder).absolutePath()));
    }
}

QString refusedSecondPlace(const QString& folder, int language) {
    if (insideDataFolder(folder)) {
        return text(Text::PlaceInDataFolder, language)
            .arg(QDir::toNativeSeparators(data::dataFolder()));
    }
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".verdamo-XXXXXX")));
    if (!QFileInfo(folder).isDir() || !probe.open()) {
        return text(Text::PlaceNotWritable, language).arg(QDir::toNativeSeparators(folder));
    }
    return QString();
}

bool insideDataFolder(const QString& path) {
    return within(path, data::dataFolder());
}

bool insideBackupFolder(const QString& path) {
    return within(path, backupFolder());
}

void noteBackup(const QString& file, const QDateTime& at) {
    QSettings s = settings();
    const QString folder = QFileInfo(file).absolutePath();
    s.setValue(LastKey, at.toString(Qt::ISODate));
    s.setValue(LastFolderKey, folder);
    if (!insideDataFolder(file)) {
        s.setValue(OutsideKey, at.toString(Qt::ISODate));
        s.setValue(OutsideFolderKey, folder);
    }
}

LastBackups lastBackups() {
    QSettings s = settings();
    LastBackups l;
    l.last = QDateTime::fromString(s.value(LastKey).toString(), Qt::ISODate);
    l.lastFolder = s.value(LastFolderKey).toString();
    l.outside = QDateTime::fromString(s.value(OutsideKey).toString(), Qt::ISODate);
    l.outsideFolder = s.value(OutsideFolderKey).toString();
    // Backups made before these settings were kept, or copied there by hand, count too.
    for (const QString& folder : {backupFolder(), secondPlace()}) {
        const QDateTime found = newestIn(folder);
        if (found.isValid() && (!l.last.isValid() || found > l.last)) {
            l.last = found;
            l.lastFolder = folder;
        }
        if (found.isValid() && folder == secondPlace() && !insideDataFolder(folder) &&
            (!l.outside.isValid() || found > l.outside)) {
            l.outside = found;
            l.outsideFolder = folder;
        }
    }
    return l;
}

int daysWithoutOutsideBackup(const QDateTime& now) {
    QSettings s = settings();
    QDateTime since = QDateTime::fromString(s.value(SinceKey).toString(), Qt::ISODate);
    if (!since.isValid()) {
        since = now;
        s.setValue(SinceKey, now.toString(Qt::ISODate));
    }
    const QDateTime outside = lastBackups().outside;
    const QDateTime from = outside.isValid() && outside > since ? outside : since;
    return int(std::max<qint64>(0, from.daysTo(now)));
}

}  // namespace backup
