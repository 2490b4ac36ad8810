// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "store/errors.h"

namespace data {
class TDM;
}

namespace backup {

// "Sikkerhedskopier" in the data folder: where backups go unless the user says otherwise.
QString backupFolder();

enum class Kind { Manual, Daily, BeforeRestore, BeforeImport, Damaged };
// "Verdamo-2026-12-09-075512.zip" and the like; the daily ones carry "auto". The damaged
// files of a database are kept in a folder of that name without ".zip".
QString backupFileName(Kind kind, const QDateTime& at);

// The database was found damaged: a copy of it would be no backup.
class DamagedDatabase : public store::Error {
public:
    using store::Error::Error;
};

// Writes one ZIP holding a consistent copy of the database as last posted and every file of
// the picture folder. The copy is checked first; a damaged database raises DamagedDatabase
// and writes nothing. The file appears whole or not at all. Raises store::Error with a text
// in the language.
void writeBackup(const QString& zipPath, int language);

// Whether the data folder's database is damaged: it cannot be opened as a database, or
// SQLite's quick check finds fault. A database that is missing or merely read-only is not.
bool databaseDamaged();

struct DailyResult {
    QStringList written;       // the backups made, in the data folder and the second place
    QString secondPlaceError;  // why the second place got none, when it is there but failed
};
// At most one daily backup per calendar day in the backup folder and in the second place
// (when one is chosen and there), each keeping the newest `keep`. A damaged database raises
// DamagedDatabase before anything is written or pruned.
DailyResult dailyBackup(const QDateTime& now, int language, int keep = 10);

// Why a manual backup may not be written to path (inside the data folder other than its
// backup folder, or an existing file that is not a backup), in the language; empty when it
// may.
QString refusedBackupTarget(const QString& path, int language);
// Whether a file is a backup made by this program (by its manifest).
bool isBackupFile(const QString& path);

// A backup unpacked and checked beside the data, ready to take their place.
class StagedRestore {
public:
    ~StagedRestore();
    StagedRestore(const StagedRestore&) = delete;
    StagedRestore& operator=(const StagedRestore&) = delete;

    QString file() const;
    QDateTime made() const;
    qint64 plants() const;
    qint64 works() const;
    // "Verdamo-….zip (lavet …; planter: 12, haveanlæg: 3)"
    QString describe(int language) const;

private:
    friend std::unique_ptr<StagedRestore> prepareRestore(const QString&, int);
    friend QString commitRestore(StagedRestore&, int, data::TDM*);
    StagedRestore();
    struct Private;
    std::unique_ptr<Private> d;
};

// Reads and checks a backup: its manifest and format, the declared sizes against the limits
// and the free room, every entry's checksum, and the database by its integrity and schema.
// Raises store::Error with the reason in the language; nothing of the data is touched.
std::unique_ptr<StagedRestore> prepareRestore(const QString& zipPath, int language);
// Puts a prepared backup in place of the data and the pictures, and opens the tables of dm
// again. The current data are first kept: as a backup in the backup folder when the database
// is sound, else its files and the pictures byte for byte in a folder there. Gives that
// backup or folder.
QString commitRestore(StagedRestore& staged, int language, data::TDM* dm);

// Reads and checks a backup, asks confirm(safetyFolder), keeps the current data, then
// replaces the database and the pictures and opens the tables of dm again. Gives the safety
// copy, or nothing when the user said no. A backup that is foreign, truncated, damaged, too
// large or foreign in its schema raises store::Error before anything is changed.
QString restoreBackup(const QString& zipPath, int language, data::TDM* dm,
                      const std::function<bool(const QString& safetyFolder)>& confirm);

// The backups (*.zip) in the folders, newest first by their file time.
QStringList backupsNewestFirst(const QStringList& folders);

}  // namespace backup
