#pragma once

#include <QString>

namespace backup {

// Texts the backup, export and import functions show, by language index (-1 Danish,
// 0 English, 1 Norwegian, 2 Swedish, 3 German).
enum class Text {
    BackupSaved,     // %1 the file
    BackupFailed,    // %1 the reason
    RestoreConfirm,  // %1 the backup file, %2 the folder the current data go to
    RestoreDone,     // %1 the safety copy of the data replaced
    RestoreFailed,   // %1 the reason
    NotOurs,         // %1 the file
    Damaged,         // %1 the file
    MissingTable,    // %1 the table
    MissingField,    // %1 the field, %2 the table
    WrongType,       // %1 the field, %2 the table
    NothingChanged,
    CsvRegional,         // %1 the separator, %2 the decimal point
    CsvDone,             // %1 plants, %2 garden works, %3 materials, %4 names, %5 the folder
    CsvFailed,           // %1 the reason
    ImportConfirm,       // %1 the folder
    ImportMissingTable,  // %1 the table
    ImportUnreadable,    // %1 the file, %2 the reason
    ImportUnknownField,  // %1 the field, %2 the table
    ImportBadValue,      // %1 the field, %2 the table, %3 the value
    ImportNothing,
    ImportDone,        // followed by one line per table
    ImportRows,        // %1 the table, %2 the number of rows
    ImportPictures,    // %1 the number of pictures
    ImportSafetyCopy,  // %1 the safety copy
    ReaderStopped,     // %1 the file
};

QString text(Text which, int language);

}  // namespace backup
