#pragma once

namespace data {
class TDM;
}

namespace backup {

// The main window's menu items, in the language of the given index. Each asks what it needs
// through the dialogs service and reports the outcome in a message box.

// "Sikkerhedskopi": one ZIP with the database and the pictures, where the user wants it.
void takeBackup(int language);
// "Gendan sikkerhedskopi": a checked backup replaces the data after confirmation.
void restoreFromBackup(int language, data::TDM* dm);
// "Eksportér til CSV": the plants as the overview left them, the garden works with their
// materials and the name catalogue, into a folder the user chooses.
void exportToCsv(int language, data::TDM* dm);
// "Importér gamle data": the tables of the earlier version from a folder.
void importOldTables(int language, data::TDM* dm);
// At closing: the daily backup, unless there is one of today already.
void dailyBackupAtClose(int language);

}  // namespace backup
