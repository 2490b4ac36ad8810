// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <QList>

namespace store {
class Database;
struct TableDef;
}  // namespace store

namespace data {

// Lets the store set up the default data folder on a first start, and bring a data folder
// of an earlier version up to date when it is opened.
void registerDataFolder();
// Brings the tables of an earlier version up to today's field widths, keeping every row,
// after a copy of the database file beside it ("Verdamo-før-opdatering-<date>.sqlite").
// A read-only folder, or one where the copy cannot be made, is left as it is.
void upgradeDataFolder(store::Database& db);

// What stands between the program and the data folder, found before anything is opened: an
// alias file that lacks the alias, or names a folder that is not there or holds no database.
// No alias file at all is a first start, not a problem.
struct DataFolderProblem {
    enum Kind { None, AliasMissing, FolderMissing, DatabaseMissing };
    Kind kind = None;
    QString aliasFile;  // where the alias file is
    QString says;       // what it says: its lines as they stand
    QString folder;     // the folder it names
};
DataFolderProblem checkDataFolder();
bool holdsDatabase(const QString& folder);
// Points the alias at a folder the user chose; with create, a new database is made there
// first when it holds none.
void useDataFolder(const QString& folder, bool create);
// The nine tables as a new data folder gets them.
QList<store::TableDef> tableDefs();
// Creates the nine tables, the settings record with its first values and the starter
// lists in a new database.
void createTables(store::Database& db);

// The folder of the alias, exactly as it stands after "PATH=" in its first parameter line.
QString dataFolder();
// A file installed with the program (a default picture, say), by its path relative to the
// program's resources: beside the executable in the build tree, else in the installed share
// folder (<prefix>/share/verdamo). Gives the first candidate when neither exists.
QString programFile(const QString& relative);

// The data-location notice for a language index (-1 Danish … 3 German).
QString dataLocationNotice(int language);

// Line break inside messages: line feed, then carriage return.
inline QString messageBreak() {
    return QStringLiteral("\n\r");
}

// The settings record's first values.
struct DesignSize {
    int width;
    int height;
};
constexpr DesignSize MainDesignSize{1032, 770};
constexpr DesignSize RegDesignSize{1032, 772};  // a client area of 1016 x 734 and its frame
constexpr DesignSize HaveDesignSize{1032, 770};
constexpr DesignSize OversigtDesignSize{1032, 770};

}  // namespace data
