// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

namespace backup {

// The user's backup settings, kept outside the data folder (beside the alias file in the
// user's configuration folder), so that they survive the loss of the data folder.
QString settingsFile();

// The second place for backups (a USB stick, another disk, a synced folder); empty when
// none is chosen. The daily backup goes there too.
QString secondPlace();
void setSecondPlace(const QString& folder);
// Why a folder cannot be the second place, in the language; empty when it can.
QString refusedSecondPlace(const QString& folder, int language);

// Whether a path lies in the data folder (symbolic links followed).
bool insideDataFolder(const QString& path);
// Whether a path lies in the data folder's backup folder.
bool insideBackupFolder(const QString& path);

// Records a backup just written, so the backup window and the reminder know of it.
void noteBackup(const QString& file, const QDateTime& at);

struct LastBackups {
    QDateTime last;
    QString lastFolder;
    QDateTime outside;  // the last one outside the data folder
    QString outsideFolder;
};
// The last backups as recorded, or as found in the backup folder and the second place.
LastBackups lastBackups();

// Days since a backup was last made outside the data folder, counted from the first start
// that kept these settings when there has been none; the start is recorded on first use.
int daysWithoutOutsideBackup(const QDateTime& now);

}  // namespace backup
