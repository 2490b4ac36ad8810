#pragma once

#include <QString>

#include <QList>

namespace store {
class Database;
struct TableDef;
}  // namespace store

namespace data {

// Lets the store set up the default data folder when the alias is not configured yet.
void registerDefaultDataFolder();
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
