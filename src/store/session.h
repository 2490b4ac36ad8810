// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "field.h"

namespace store {

namespace detail {
class Connection;
}
class Table;

struct FieldDef {
    QString name;
    FieldType type = FieldType::String;
    int size = 0;  // text width; 0 for no fixed width
};

struct TableDef {
    QString name;  // table object name, e.g. "Planter.db"
    QList<FieldDef> fields;
    QStringList keyFields;   // the order rows come in
    bool uniqueKey = false;  // a primary key: equal keys are refused
};

// The one database file of a data folder.
class Database {
public:
    static constexpr const char* FileName = "Verdamo.sqlite";

    Database(const QString& folder, bool create);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    const QString& folder() const { return m_folder; }
    QString filePath() const;
    bool readOnly() const;
    bool hasTable(const QString& tableName) const;
    // Only for setting up a new data folder; the program never restructures a table.
    void createTable(const TableDef& def);
    void insertRow(const QString& tableName, const QVariantList& values);
    bool integrityOk();
    // PRAGMA quick_check: false when the file is found damaged.
    bool quickCheckOk();
    // For tools that replace whole tables inside inTransaction (an import).
    void deleteAllRows(const QString& tableName);
    void insertRow(const QString& tableName, const QStringList& columns,
                   const QVariantList& values);
    qint64 rowCount(const QString& tableName);
    // The highest value of an integer field over every row of a table; 0 when it has none.
    qint64 maxInteger(const QString& tableName, const QString& field);

    // The tables whose stored text fields are narrower than the definitions make them.
    QList<TableDef> narrowerThan(const QList<TableDef>& defs) const;
    // Rebuilds those tables with their text fields as wide as the definitions make them,
    // keeping every row, its place, its values and the table's indexes; all in one
    // transaction, so a failure leaves every table as it was.
    void widenTextFields(const QList<TableDef>& defs);
    // The largest value of a field over all rows of a table; null when it has none.
    QVariant maxOf(const QString& tableName, const QString& field);

    // A consistent copy of the database as last posted, written to a new file while the
    // tables stay open.
    void backupTo(const QString& path);
    // What is wrong with a database file that is to replace this one: not a database,
    // damaged, a schema object the program does not make (a trigger, a view, an index or
    // table of its own, a computed column, keys other than the program's), or lacking a
    // table or field. Fields are checked by name and kind, not by width. Empty when it will
    // do.
    struct Problem {
        enum Kind {
            NotADatabase,
            Damaged,
            MissingTable,
            MissingField,
            WrongType,
            Trigger,
            View,
            UnknownIndex,
            UnknownTable,
            ComputedColumn,
            WrongKey,
        } kind;
        QString table;
        QString field;
        QString object;  // the trigger, view, index or table by its name
    };
    static QList<Problem> checkFile(const QString& path, const QList<TableDef>& expected);
    // integrity_check (or the quicker quick_check) of a database file, opened read-only.
    static bool fileIntact(const QString& path, bool quick = false);
    // Rows of a table in a database file, opened read-only; -1 when it cannot be read.
    static qint64 rowCountIn(const QString& path, const QString& tableName);
    // The index the program makes for a table's key.
    static QString keyIndexName(const TableDef& def);

    // Puts the database file newFile in the place of the folder's database: the files there
    // (the database with its logs) are moved into keepOld byte for byte, and move back when
    // the new file cannot be put in place. Nothing may have the folder's database open.
    static void installFile(const QString& folder, const QString& newFile, const QString& keepOld);
    // Whether a Database object on the folder exists in this program.
    static bool isOpen(const QString& folder);
    // Runs work as one transaction: all of it is stored, or none.
    void inTransaction(const std::function<void()>& work);

    detail::Connection& connection() { return *m_conn; }
    // Tables reading with a live statement let go of it before anything is written.
    void attach(Table* t);
    void detach(Table* t);
    void aboutToWrite();

    static QString sqlName(const QString& tableName);  // "Planter.db" -> Planter

private:
    QString m_folder;
    QString m_openKey;
    std::unique_ptr<detail::Connection> m_conn;
    QList<Table*> m_tables;
};

// Alias configuration: an INI-style file, one section per alias, first line PATH=<folder>.
namespace Session {

using Initializer = std::function<void(Database&)>;

QString aliasFile();
// The alias's parameter lines; an unknown alias raises the store's error.
QStringList GetAliasParams(const QString& alias);
bool isConfigured(const QString& alias);
// Begins the quick check of the database the alias names in another thread, so that the
// window need not wait for it; the database's next quick check takes its result, unless the
// file has changed since. done, when given, is called once the answer is there: in the
// checking thread, or at once when the alias names no database and nothing is checked.
void checkAhead(const QString& alias, const std::function<void()>& done = {});
// Waits until a check begun ahead has ended; its result is kept for the next quick check.
void finishCheckAhead();
// The configuration is read once; this reads the file again on next use.
void reloadConfiguration();
void setAliasPath(const QString& alias, const QString& folder);
// On a first start, when there is no alias file at all: point the alias at the folder,
// creating the folder and, through init, a new database there. An alias file that lacks the
// alias is the user's own configuration and is never replaced.
void setDefault(const QString& alias, const QString& folder, Initializer init);
// Runs on the alias's database each time it is opened, before any table reads it: the place
// to bring a data folder of an earlier version up to date.
void setUpgrade(const QString& alias, Initializer upgrade);
QString folderOf(const QString& alias);
// Makes a new database in a folder (created when missing) through init, unless the folder
// holds one already; built aside and moved in whole.
void createDatabase(const QString& folder, const Initializer& init);
// Tables keep the database they opened alive, even once the alias is pointed elsewhere.
std::shared_ptr<Database> database(const QString& alias);
// Drops every open database; the tables on them must be closed first.
void closeAll();
// Drops the alias's open database, so that it closes once the tables on it are closed.
void release(const QString& alias);

}  // namespace Session

}  // namespace store
