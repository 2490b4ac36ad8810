#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

namespace data {
class TDM;
}

namespace backup {

// "Sikkerhedskopier" in the data folder: where backups go unless the user says otherwise.
QString backupFolder();

enum class Kind { Manual, Daily, BeforeRestore, BeforeImport };
// "Verdamo-2026-12-09-075512.zip" and the like; the daily ones carry "auto".
QString backupFileName(Kind kind, const QDateTime& at);

// Writes one ZIP holding a consistent copy of the database as last posted and every file of
// the picture folder. The file appears whole or not at all. Raises store::Error with a text
// in the language.
void writeBackup(const QString& zipPath, int language);

// At most one daily backup per calendar day in the backup folder, keeping the newest
// `keep`; gives the file written, or nothing when today's is there already.
QString dailyBackup(const QDateTime& now, int language, int keep = 10);

// Reads and checks a backup, asks confirm(safetyFolder), keeps the current data as a backup
// there, then replaces the database and the pictures and opens the tables of dm again.
// Gives the safety copy's file, or nothing when the user said no. A backup that is foreign,
// truncated or damaged raises store::Error before anything is changed.
QString restoreBackup(const QString& zipPath, int language, data::TDM* dm,
                      const std::function<bool(const QString& safetyFolder)>& confirm);

}  // namespace backup
