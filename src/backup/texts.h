// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace backup {

// Texts the backup, export and import functions show. Danish is built in; the other
// languages read them from their language file's [BackupTexts] section under the key of
// the same name (a count's two forms under Key.One and Key.Other).
enum class Text {
    BackupSaved,            // %1 the file
    BackupFailed,           // %1 the reason
    RestoreConfirm,         // %1 the backup described, %2 the folder the current data go to
    RestoreConfirmDamaged,  // %1 the backup described, %2 the folder the damaged files go to
    RestoreDone,            // %1 the safety copy of the data replaced
    RestartNeeded,
    RestoreFailed,   // %1 the reason
    NotOurs,         // %1 the file
    Damaged,         // %1 the file
    NewerFormat,     // %1 the file, %2 the format number
    EntryTooLarge,   // %1 the backup, %2 the entry, %3 its size in MB, %4 the limit in MB
    NotEnoughRoom,   // %1 the backup, %2 MB needed, %3 MB free
    NoRoomLeft,      // %1 the folder
    MissingTable,    // %1 the table
    MissingField,    // %1 the field, %2 the table
    WrongType,       // %1 the field, %2 the table
    SchemaTrigger,   // %1 the trigger, %2 the table
    SchemaView,      // %1 the view
    SchemaIndex,     // %1 the index, %2 the table
    SchemaTable,     // %1 the table
    SchemaComputed,  // %1 the field, %2 the table
    SchemaKey,       // %1 the table
    StillInUse,      // the database is held open elsewhere
    NothingChanged,
    BackupInfo,  // %1 the file, %2 made when, %3 plants, %4 garden works
    DatabaseDamaged,
    DamagedAtStart,   // %1 the database, %2 the backup described, %3 where the damaged go
    DamagedNoBackup,  // %1 the database, %2 the folders searched
    DamagedDeclined,
    DamagedAtClose,
    TargetInDataFolder,  // %1 the data folder
    TargetNotBackup,     // %1 the file
    PlaceInDataFolder,   // %1 the data folder
    PlaceNotWritable,    // %1 the folder
    SecondPlaceFailed,   // %1 the folder, %2 the reason
    Reminder,            // %1 days
    Never,
    NoPlace,
    LastAt,       // %1 the date and time, %2 the folder
    PlaceAbsent,  // %1 the folder
    CsvRegional,  // %1 the separator, %2 the decimal point
    CsvDone,      // %1 the folder; the files follow, one a line
    CsvFileLine,  // %1 the file, %2 what it holds
    CsvPlantsOne,
    CsvPlantsOther,
    CsvWorksOne,
    CsvWorksOther,
    CsvMaterialsOne,
    CsvMaterialsOther,
    CsvNamesOne,
    CsvNamesOther,
    CsvFamiliesOne,
    CsvFamiliesOther,
    CsvTypesOne,
    CsvTypesOther,
    CsvFailed,          // %1 the reason
    CsvOverwrite,       // %1 the folder, %2 the files
    ImportConfirm,      // %1 the folder
    ImportPreview,      // %1 the folder; one line per table follows
    ImportReadableOne,  // %1 the table, %2 the rows
    ImportReadableOther,
    ImportDamagedOne,  // %1 rows, %2 the first of them
    ImportDamagedOther,
    ImportUnknownFields,  // %1 the fields
    ImportMissingTable,   // %1 the table
    ImportUnreadable,     // %1 the file, %2 the reason
    ImportAskPartial,
    ImportAskDamaged,  // %1 where the damaged database goes
    ImportNothingReadable,
    ImportNothing,
    ImportDone,     // followed by one line per table
    ImportRowsOne,  // %1 the table, %2 the number of rows
    ImportRowsOther,
    ImportKept,        // %1 the table
    ImportLeftOut,     // %1 rows left out
    ImportPictures,    // %1 the number of pictures
    ImportSafetyCopy,  // %1 the safety copy
    RowOf,             // %1 the record number, %2 what is wrong with it
    RowUnreadable,
    MemoMissing,  // %1 the memo file
    MemoDamaged,  // %1 the memo file
    BadValue,     // %1 the field, %2 the value
    DuplicateKey,
    NotATable,
    StructureDamaged,
    UnknownFieldType,  // %1 the field
    CannotCopy,
    ReaderStopped,  // %1 the file
};

constexpr int TextCount = int(Text::ReaderStopped) + 1;

QString text(Text which, int language);
// The key of a text in the language files' [BackupTexts] section.
QString textKey(Text which);
// The one or the other form of a count's text, by the number.
QString countText(Text one, Text other, qint64 n, int language);

}  // namespace backup
