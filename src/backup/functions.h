// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace data {
class TDM;
}

namespace backup {

// The main window's menu items, in the language of the given index. Each asks what it needs
// through the dialogs service and reports the outcome in a message box.

// "Sikkerhedskopi": the backup window, with the last backups, the second place and saving.
void takeBackup(int language);
// One ZIP with the database and the pictures, where the user wants it (outside the data
// folder, or in its backup folder). False when nothing was written.
bool saveBackupAs(int language);
// "Gendan sikkerhedskopi": a checked backup replaces the data after confirmation.
void restoreFromBackup(int language, data::TDM* dm);
// "Eksportér til CSV": every table of the user's data, whatever a window's filter shows,
// into a folder the user chooses.
void exportToCsv(int language, data::TDM* dm);
// "Importér gamle data": the tables of the earlier version from a folder, what can be read
// shown first.
void importOldTables(int language, data::TDM* dm);
// At closing: the daily backup, unless there is one of today already.
void dailyBackupAtClose(int language);

// At start: a damaged database is reported, with the offer to restore the newest backup
// that checks out whole; open tables are closed for the restore and opened again. True when
// one was restored.
bool offerRestoreIfDamaged(data::TDM* dm);
// At start, once the language is applied: once a run at most, a reminder when no backup has
// been made outside the data folder for 30 days; none while the database is known damaged.
void remindOfOutsideBackup(int language);

}  // namespace backup
