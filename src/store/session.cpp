// SPDX-License-Identifier: GPL-3.0-or-later
#include "session.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>
#include <future>
#include <optional>

#include "errors.h"
#include "sqlite_p.h"
#include "table.h"
#include "values_p.h"

namespace store {

using detail::quoted;

namespace {

// The folders whose database is open in this program, with how many objects have it open.
// Never destroyed: databases held by other statics close after it would be gone.
QHash<QString, int>& openFolders() {
    static auto* folders = new QHash<QString, int>();
    return *folders;
}

QString folderKey(const QString& folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(folder).absolutePath()) : canonical;
}

// Makes a rename lasting: the folder's entry is on disk when this returns.
void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool syncFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

const char* const LogSuffixes[] = {"-wal", "-shm", "-journal"};

// The files that make up a folder's database, as far as they exist.
QStringList filesOf(const QString& folder) {
    const QString main = QDir(folder).filePath(QString::fromLatin1(Database::FileName));
    QStringList files;
    for (const QString& f :
         {main, main + QLatin1String(LogSuffixes[0]), main + QLatin1String(LogSuffixes[1]),
          main + QLatin1String(LogSuffixes[2])}) {
        if (QFileInfo(f).isFile() || QFileInfo(f).isSymLink()) {
            files << f;
        }
    }
    return files;
}

}  // namespace

Database::Database(const QString& folder, bool create) : m_folder(folder) {
    if (!QFileInfo(folder).isDir()) {
        throw StoreError(StoreError::NotFound, Error::Kind::FolderMissing,
                         QStringLiteral("The data folder %1 does not exist.").arg(folder),
                         {folder});
    }
    const QString path = QDir(folder).filePath(QString::fromLatin1(FileName));
    if (!create && !QFileInfo::exists(path)) {
        throw StoreError(StoreError::NotFound, Error::Kind::DatabaseMissing,
                         QStringLiteral("The data folder %1 holds no database (%2).")
                             .arg(folder, QString::fromLatin1(FileName)),
                         {folder});
    }
    m_conn = std::make_unique<detail::Connection>(path, create);
    if (create) {
        m_conn->exec(QStringLiteral(
            "CREATE TABLE IF NOT EXISTS _tables (tbl TEXT PRIMARY KEY, keyfields TEXT)"));
    }
    m_openKey = folderKey(folder);
    ++openFolders()[m_openKey];
}

Database::~Database() {
    m_conn.reset();
    if (!m_openKey.isEmpty() && --openFolders()[m_openKey] <= 0) {
        openFolders().remove(m_openKey);
    }
}

bool Database::isOpen(const QString& folder) {
    return openFolders().value(folderKey(folder)) > 0;
}

void Database::installFile(const QString& folder, const QString& newFile, const QString& keepOld) {
    if (isOpen(folder)) {
        throw StoreError(StoreError::General,
                         QStringLiteral("The database in %1 is still in use.").arg(folder));
    }
    if (!syncFile(newFile)) {
        throw StoreError(StoreError::General, QStringLiteral("Cannot read %1.").arg(newFile));
    }
    // A log left beside the new file would belong to another database: it never comes along.
    for (const char* suffix : LogSuffixes) {
        if (QFileInfo::exists(newFile + QLatin1String(suffix))) {
            throw StoreError(StoreError::General,
                             QStringLiteral("%1 has a log file beside it.").arg(newFile));
        }
    }
    QList<std::pair<QString, QString>> moved;  // from, to
    const auto moveBack = [&] {
        for (auto it = moved.crbegin(); it != moved.crend(); ++it) {
            QFile::rename(it->second, it->first);
        }
        syncFolder(folder);
    };
    const QStringList old = filesOf(folder);
    if (!old.isEmpty() && !QDir().mkpath(keepOld)) {
        throw StoreError(StoreError::General, QStringLiteral("Cannot create %1.").arg(keepOld));
    }
    for (const QString& f : old) {
        const QString to = QDir(keepOld).filePath(QFileInfo(f).fileName());
        QFile::remove(to);
        if (!QFile::rename(f, to)) {
            moveBack();
            throw StoreError(StoreError::General,
                             QStringLiteral("Cannot move %1 to %2.").arg(f, keepOld));
        }
        moved.append({f, to});
    }
    const QString target = QDir(folder).filePath(QString::fromLatin1(FileName));
    if (!QFile::rename(newFile, target)) {
        moveBack();
        throw StoreError(StoreError::General,
                         QStringLiteral("Cannot put %1 in place of %2.").arg(newFile, target));
    }
    syncFolder(folder);
    if (!old.isEmpty()) {
        syncFolder(keepOld);
    }
}

QString Database::filePath() const {
    return m_conn->path();
}
bool Database::readOnly() const {
    return m_conn->readOnly();
}

QString Database::sqlName(const QString& tableName) {
    const qsizetype dot = tableName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? tableName.left(dot) : tableName;
}

bool Database::hasTable(const QString& tableName) const {
    detail::Statement& st = m_conn->cached(QStringLiteral(
        "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"));
    st.bind(1, tableName);
    const bool found = st.step();
    st.reset();
    return found;
}

QString Database::keyIndexName(const TableDef& def) {
    return sqlName(def.name) + QStringLiteral("_key");
}

void Database::createTable(const TableDef& def) {
    const QString name = sqlName(def.name);
    QStringList cols;
    QHash<QString, FieldType> types;
    for (const FieldDef& f : def.fields) {
        cols << quoted(f.name) + QLatin1Char(' ') + detail::declaredType(f.type, f.size);
        types.insert(f.name.toLower(), f.type);
    }
    detail::Transaction tx(*m_conn);
    m_conn->exec(
        QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(name), cols.join(QLatin1Char(','))));
    if (!def.keyFields.isEmpty()) {
        QStringList exprs;
        for (const QString& k : def.keyFields) {
            exprs << detail::keyExpr(types.value(k.toLower(), FieldType::String), k);
        }
        m_conn->exec(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                         .arg(def.uniqueKey ? QStringLiteral("UNIQUE ") : QString(),
                              quoted(keyIndexName(def)), quoted(name),
                              exprs.join(QLatin1Char(','))));
    }
    detail::Statement st(m_conn->handle(),
                         QStringLiteral("INSERT INTO _tables (tbl, keyfields) VALUES (?, ?)"));
    st.bind(1, name);
    st.bind(2, def.keyFields.join(QLatin1Char(';')));
    st.exec();
    tx.commit();
}

void Database::insertRow(const QString& tableName, const QVariantList& values) {
    QStringList marks;
    for (int i = 0; i < values.size(); ++i) {
        marks << QStringLiteral("?");
    }
    detail::Statement& st =
        m_conn->cached(QStringLiteral("INSERT INTO %1 VALUES (%2)")
                           .arg(quoted(sqlName(tableName)), marks.join(QLatin1Char(','))));
    st.bindAll(values);
    st.exec();
}

void Database::inTransaction(const std::function<void()>& work) {
    detail::Transaction tx(*m_conn);
    work();
    tx.commit();
}

namespace {

// PRAGMA integrity_check or quick_check: true when it finds nothing wrong. Damage it runs
// into is a finding too; any other error is raised.
bool checkOk(sqlite3* db, const char* pragma) {
    try {
        detail::Statement st(db, QStringLiteral("PRAGMA ") + QLatin1String(pragma));
        return st.step() && st.text(0) == QLatin1String("ok");
    } catch (const StoreError& e) {
        if (e.errorCode() == StoreError::Corrupt) {
            return false;
        }
        throw;
    }
}

// A quick check of the database file begun in another thread while the program starts,
// with what the file looked like when it began.
struct CheckAhead {
    QString path;
    QString stamp;
    std::future<int> result;  // 1 sound, 0 damaged, -1 the check could not tell
};

CheckAhead& pendingCheck() {
    static CheckAhead c;
    return c;
}

// Sizes and times of the database and its write-ahead log: any write changes one of them.
QString fileStamp(const QString& path) {
    QString stamp;
    for (const QString& f : {path, path + QStringLiteral("-wal")}) {
        const QFileInfo info(f);
        // An empty log is no log: the first connection to open the file makes one.
        const bool held = info.exists() && info.size() > 0;
        stamp += QStringLiteral("%1:%2;")
                     .arg(held ? info.size() : -1)
                     .arg(held ? info.lastModified().toMSecsSinceEpoch() : 0);
    }
    return stamp;
}

// The result of the check begun ahead for this file, when nothing has changed it since.
std::optional<bool> takeCheckAhead(const QString& path) {
    CheckAhead& ahead = pendingCheck();
    if (!ahead.result.valid() ||
        QFileInfo(ahead.path).canonicalFilePath() != QFileInfo(path).canonicalFilePath()) {
        return std::nullopt;
    }
    const int result = ahead.result.get();
    const bool unchanged = ahead.stamp == fileStamp(path);
    ahead = CheckAhead();
    if (result < 0 || !unchanged) {
        return std::nullopt;
    }
    return result == 1;
}

void dropCheckAhead(const QString& path) {
    CheckAhead& ahead = pendingCheck();
    if (ahead.result.valid() &&
        QFileInfo(ahead.path).canonicalFilePath() == QFileInfo(path).canonicalFilePath()) {
        ahead.result.wait();
        ahead = CheckAhead();
    }
}

}  // namespace

bool Database::integrityOk() {
    return checkOk(m_conn->handle(), "integrity_check");
}

bool Database::quickCheckOk() {
    if (const std::optional<bool> ahead = takeCheckAhead(filePath())) {
        return *ahead;
    }
    return checkOk(m_conn->handle(), "quick_check");
}

void Database::deleteAllRows(const QString& tableName) {
    aboutToWrite();
    m_conn->exec(QStringLiteral("DELETE FROM %1").arg(quoted(sqlName(tableName))));
}

void Database::insertRow(const QString& tableName, const QStringList& columns,
                         const QVariantList& values) {
    QStringList cols, marks;
    for (const QString& c : columns) {
        cols << quoted(c);
        marks << QStringLiteral("?");
    }
    aboutToWrite();
    detail::Statement& st =
        m_conn->cached(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(quoted(sqlName(tableName)), cols.join(QLatin1Char(',')),
                                marks.join(QLatin1Char(','))));
    st.bindAll(values);
    st.exec();
}

qint64 Database::rowCount(const QString& tableName) {
    detail::Statement st(m_conn->handle(),
                         QStringLiteral("SELECT count(*) FROM %1").arg(quoted(sqlName(tableName))));
    return st.step() ? st.int64(0) : 0;
}

qint64 Database::maxInteger(const QString& tableName, const QString& field) {
    return maxOf(tableName, field).toLongLong();
}

namespace {

struct StoredColumn {
    QString name;
    QString declared;
    bool notNull;
    QString defaultValue;  // as SQL, empty for none
    bool key;
};

QList<StoredColumn> storedColumns(detail::Connection& conn, const QString& sqlTable) {
    QList<StoredColumn> out;
    detail::Statement st(conn.handle(),
                         QStringLiteral("PRAGMA table_info(%1)").arg(quoted(sqlTable)));
    while (st.step()) {
        out.append({st.text(1), st.text(2), st.int64(3) != 0, st.isNull(4) ? QString() : st.text(4),
                    st.int64(5) != 0});
    }
    return out;
}

// The declared types a table's columns get under a definition: a text field narrower than
// the definition's is widened; everything else stays as stored. Empty when nothing changes.
QStringList widenedTypes(const QList<StoredColumn>& columns, const TableDef& def) {
    QStringList types;
    bool changed = false;
    for (const StoredColumn& c : columns) {
        int size = 0;
        QString type = c.declared;
        if (detail::typeFromDeclared(c.declared, &size) == FieldType::String && size > 0) {
            for (const FieldDef& f : def.fields) {
                if (f.name.compare(c.name, Qt::CaseInsensitive) == 0 &&
                    f.type == FieldType::String && (f.size == 0 || f.size > size)) {
                    type = detail::declaredType(f.type, f.size);
                    changed = true;
                }
            }
        }
        types << type;
    }
    return changed ? types : QStringList();
}

}  // namespace

QList<TableDef> Database::narrowerThan(const QList<TableDef>& defs) const {
    QList<TableDef> out;
    for (const TableDef& def : defs) {
        const QList<StoredColumn> columns = storedColumns(*m_conn, sqlName(def.name));
        bool keyed = false;
        for (const StoredColumn& c : columns) {
            keyed = keyed || c.key;
        }
        // A table with a declared primary key is none of this program's making.
        if (!keyed && !widenedTypes(columns, def).isEmpty()) {
            out.append(def);
        }
    }
    return out;
}

// SQLite cannot change a column's declared type in place: each table is made anew beside the
// old one, filled with its rows under their own row numbers, and put in its place; then its
// indexes and triggers are made again.
void Database::widenTextFields(const QList<TableDef>& defs) {
    aboutToWrite();
    detail::Transaction tx(*m_conn);
    for (const TableDef& def : narrowerThan(defs)) {
        const QString name = sqlName(def.name);
        const QList<StoredColumn> columns = storedColumns(*m_conn, name);
        const QStringList types = widenedTypes(columns, def);
        QStringList schema;
        {
            detail::Statement st(
                m_conn->handle(),
                QStringLiteral("SELECT sql FROM sqlite_master WHERE tbl_name = ? AND type IN "
                               "('index', 'trigger') AND sql IS NOT NULL ORDER BY type, name"));
            st.bind(1, name);
            while (st.step()) {
                schema << st.text(0);
            }
        }
        QStringList defsSql, names;
        for (int i = 0; i < columns.size(); ++i) {
            const StoredColumn& c = columns.at(i);
            QString col = quoted(c.name) + QLatin1Char(' ') + types.at(i);
            if (c.notNull) {
                col += QStringLiteral(" NOT NULL");
            }
            if (!c.defaultValue.isEmpty()) {
                col += QStringLiteral(" DEFAULT ") + c.defaultValue;
            }
            defsSql << col;
            names << quoted(c.name);
        }
        const QString aside = name + QStringLiteral("_widened");
        const qint64 before = rowCount(name);
        m_conn->exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(quoted(aside)));
        m_conn->exec(QStringLiteral("CREATE TABLE %1 (%2)")
                         .arg(quoted(aside), defsSql.join(QLatin1Char(','))));
        const QString list = names.join(QLatin1Char(','));
        m_conn->exec(QStringLiteral("INSERT INTO %1 (rowid,%2) SELECT rowid,%2 FROM %3")
                         .arg(quoted(aside), list, quoted(name)));
        m_conn->exec(QStringLiteral("DROP TABLE %1").arg(quoted(name)));
        m_conn->exec(
            QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoted(aside), quoted(name)));
        for (const QString& sql : std::as_const(schema)) {
            m_conn->exec(sql);
        }
        if (rowCount(name) != before) {
            throw StoreError(StoreError::General,
                             QStringLiteral("Table %1 lost rows while it was widened.").arg(name));
        }
    }
    if (!integrityOk()) {
        throw StoreError(StoreError::Corrupt,
                         QStringLiteral("The database is damaged after widening its fields."));
    }
    tx.commit();
}

QVariant Database::maxOf(const QString& tableName, const QString& field) {
    detail::Statement st(
        m_conn->handle(),
        QStringLiteral("SELECT max(%1) FROM %2").arg(quoted(field), quoted(sqlName(tableName))));
    if (!st.step()) {
        return QVariant();
    }
    switch (st.columnType(0)) {
        case SQLITE_INTEGER:
            return st.int64(0);
        case SQLITE_FLOAT:
            return st.real(0);
        case SQLITE_NULL:
            return QVariant();
        default:
            return st.text(0);
    }
}

namespace {

// A database file opened only to be read, closed when it goes out of scope.
struct ReadOnlyFile {
    sqlite3* db = nullptr;
    explicit ReadOnlyFile(const QString& path) {
        const QByteArray uri =
            QByteArrayLiteral("file:") + QUrl::toPercentEncoding(path, "/") + "?immutable=1";
        if (sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                            nullptr) != SQLITE_OK) {
            sqlite3_close_v2(db);
            db = nullptr;
        }
    }
    ~ReadOnlyFile() { sqlite3_close_v2(db); }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
};

void copyDatabase(sqlite3* to, sqlite3* from, const QString& context) {
    sqlite3_backup* b = sqlite3_backup_init(to, "main", from, "main");
    if (!b) {
        detail::throwSqlite(to, sqlite3_errcode(to), context);
    }
    int rc = SQLITE_OK;
    do {
        rc = sqlite3_backup_step(b, -1);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            sqlite3_sleep(20);
        }
    } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
    sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE) {
        detail::throwSqlite(to, rc, context);
    }
}

}  // namespace

void Database::backupTo(const QString& path) {
    QFile::remove(path);
    sqlite3* to = nullptr;
    const QByteArray file = QFile::encodeName(path);
    if (sqlite3_open_v2(file.constData(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(to));
        sqlite3_close_v2(to);
        throw StoreError(StoreError::General,
                         QStringLiteral("Cannot write %1: %2").arg(path, message));
    }
    try {
        copyDatabase(to, m_conn->handle(), path);
        // One self-contained file, without a write-ahead log beside it.
        char* err = nullptr;
        const int rc = sqlite3_exec(to, "PRAGMA journal_mode=DELETE", nullptr, nullptr, &err);
        sqlite3_free(err);
        if (rc != SQLITE_OK) {
            detail::throwSqlite(to, rc, path);
        }
    } catch (...) {
        sqlite3_close_v2(to);
        QFile::remove(path);
        throw;
    }
    sqlite3_close_v2(to);
}

bool Database::fileIntact(const QString& path, bool quick) {
    ReadOnlyFile file(path);
    if (!file.db) {
        return false;
    }
    try {
        return checkOk(file.db, quick ? "quick_check" : "integrity_check");
    } catch (const StoreError&) {
        return false;
    }
}

qint64 Database::rowCountIn(const QString& path, const QString& tableName) {
    ReadOnlyFile file(path);
    if (!file.db) {
        return -1;
    }
    try {
        detail::Statement st(
            file.db, QStringLiteral("SELECT count(*) FROM %1").arg(quoted(sqlName(tableName))));
        return st.step() ? st.int64(0) : -1;
    } catch (const StoreError&) {
        return -1;
    }
}

QList<Database::Problem> Database::checkFile(const QString& path, const QList<TableDef>& expected) {
    QList<Problem> problems;
    ReadOnlyFile file(path);
    if (!file.db) {
        return {{Problem::NotADatabase, {}, {}, {}}};
    }
    try {
        if (!checkOk(file.db, "integrity_check")) {
            return {{Problem::Damaged, {}, {}, {}}};
        }
        QHash<QString, const TableDef*> tables;  // by SQL name, lower case
        for (const TableDef& def : expected) {
            tables.insert(sqlName(def.name).toLower(), &def);
        }
        // Only what the program makes itself may come in: code that runs on a post (a
        // trigger), a table that is not one (a view) or an index with rules of its own would
        // change what the program does with the user's data.
        {
            detail::Statement st(file.db,
                                 QStringLiteral("SELECT type, name, tbl_name FROM sqlite_master"));
            while (st.step()) {
                const QString type = st.text(0);
                const QString name = st.text(1);
                const QString table = st.text(2);
                const TableDef* def = tables.value(table.toLower());
                if (type == QLatin1String("trigger")) {
                    problems.append({Problem::Trigger, table, {}, name});
                } else if (type == QLatin1String("view")) {
                    problems.append({Problem::View, {}, {}, name});
                } else if (type == QLatin1String("index")) {
                    const bool own = name.startsWith(QLatin1String("sqlite_autoindex_")) ||
                                     (def && !def->keyFields.isEmpty() &&
                                      name.compare(keyIndexName(*def), Qt::CaseInsensitive) == 0);
                    if (!own) {
                        problems.append({Problem::UnknownIndex, table, {}, name});
                    }
                } else if (type == QLatin1String("table")) {
                    // The store's own tables begin with an underscore, SQLite's with sqlite_.
                    if (!def && !name.startsWith(QLatin1Char('_')) &&
                        !name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive)) {
                        problems.append({Problem::UnknownTable, {}, {}, name});
                    }
                }
            }
        }
        for (const TableDef& def : expected) {
            const QString name = sqlName(def.name);
            QHash<QString, FieldType> stored;
            detail::Statement st(file.db,
                                 QStringLiteral("PRAGMA table_xinfo(%1)").arg(quoted(name)));
            bool any = false;
            while (st.step()) {
                any = true;
                // Hidden columns are computed ones: their values come from an expression.
                if (st.int64(6) != 0) {
                    problems.append({Problem::ComputedColumn, def.name, st.text(1), {}});
                    continue;
                }
                int size = 0;
                stored.insert(st.text(1).toLower(), detail::typeFromDeclared(st.text(2), &size));
            }
            if (!any) {
                problems.append({Problem::MissingTable, def.name, {}, {}});
                continue;
            }
            for (const FieldDef& f : def.fields) {
                const auto it = stored.constFind(f.name.toLower());
                if (it == stored.constEnd()) {
                    problems.append({Problem::MissingField, def.name, f.name, {}});
                } else if (*it != f.type) {
                    problems.append({Problem::WrongType, def.name, f.name, {}});
                }
            }
            if (!def.keyFields.isEmpty()) {
                // The key index keeps the rows apart as the program expects: unique where the
                // key is, on as many fields as the key has.
                detail::Statement idx(file.db,
                                      QStringLiteral("PRAGMA index_list(%1)").arg(quoted(name)));
                bool found = false;
                while (idx.step()) {
                    if (idx.text(1).compare(keyIndexName(def), Qt::CaseInsensitive) != 0) {
                        continue;
                    }
                    found = true;
                    int keys = 0;
                    detail::Statement info(
                        file.db, QStringLiteral("PRAGMA index_info(%1)").arg(quoted(idx.text(1))));
                    while (info.step()) {
                        ++keys;
                    }
                    if ((idx.int64(2) != 0) != def.uniqueKey || idx.int64(4) != 0 ||
                        keys != int(def.keyFields.size())) {
                        problems.append({Problem::WrongKey, def.name, {}, idx.text(1)});
                    }
                }
                if (!found) {
                    problems.append({Problem::WrongKey, def.name, {}, keyIndexName(def)});
                }
            }
        }
        // The store reads the order of a table's rows from here.
        detail::Statement keys(file.db, QStringLiteral("SELECT tbl, keyfields FROM _tables"));
        QHash<QString, QString> keyFields;
        while (keys.step()) {
            keyFields.insert(keys.text(0).toLower(), keys.text(1));
        }
        for (const TableDef& def : expected) {
            const auto it = keyFields.constFind(sqlName(def.name).toLower());
            if (it != keyFields.constEnd() &&
                it->compare(def.keyFields.join(QLatin1Char(';')), Qt::CaseInsensitive) != 0) {
                problems.append({Problem::WrongKey, def.name, {}, QStringLiteral("_tables")});
            }
        }
    } catch (const StoreError& e) {
        if (e.errorCode() == StoreError::Corrupt) {
            return {{Problem::Damaged, {}, {}, {}}};
        }
        // A database without the store's own table of keys is no database of this program.
        return {{Problem::NotADatabase, {}, {}, {}}};
    }
    return problems;
}

void Database::attach(Table* t) {
    if (!m_tables.contains(t)) {
        m_tables.append(t);
    }
}

void Database::detach(Table* t) {
    m_tables.removeAll(t);
}

void Database::aboutToWrite() {
    // A check begun ahead no longer speaks for the file.
    dropCheckAhead(filePath());
    for (Table* t : std::as_const(m_tables)) {
        t->releaseScan();
    }
}

namespace Session {

namespace {

struct Default {
    QString folder;
    Initializer init;
};

QHash<QString, Default>& defaults() {
    static QHash<QString, Default> d;
    return d;
}

QHash<QString, Initializer>& upgrades() {
    static QHash<QString, Initializer> u;
    return u;
}

QHash<QString, std::shared_ptr<Database>>& open() {
    static QHash<QString, std::shared_ptr<Database>> d;
    return d;
}

using Sections = QList<std::pair<QString, QStringList>>;

// The configuration as last read or written, by file; only this program writes it.
QHash<QString, Sections>& configCache() {
    static QHash<QString, Sections> c;
    return c;
}

// Sections in file order, each with its lines in order.
Sections readConfig() {
    const auto cached = configCache().constFind(aliasFile());
    if (cached != configCache().constEnd()) {
        return *cached;
    }
    Sections out;
    QFile f(aliasFile());
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return out;
    }
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            out.append({line.mid(1, line.size() - 2).trimmed(), {}});
        } else if (!out.isEmpty()) {
            out.last().second.append(line);
        }
    }
    configCache().insert(aliasFile(), out);
    return out;
}

void writeConfig(const Sections& sections) {
    configCache().remove(aliasFile());
    QDir().mkpath(QFileInfo(aliasFile()).absolutePath());
    QSaveFile f(aliasFile());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text)) {
        throw StoreError(
            StoreError::General, Error::Kind::CannotWriteAlias,
            QStringLiteral("Cannot write the alias configuration %1.").arg(aliasFile()),
            {aliasFile()});
    }
    QTextStream out(&f);
    out.setEncoding(QStringConverter::Utf8);
    for (const auto& [name, lines] : sections) {
        out << '[' << name << "]\n";
        for (const QString& l : lines) {
            out << l << '\n';
        }
        out << '\n';
    }
    out.flush();
    if (!f.commit()) {
        throw StoreError(
            StoreError::General, Error::Kind::CannotWriteAlias,
            QStringLiteral("Cannot write the alias configuration %1.").arg(aliasFile()),
            {aliasFile()});
    }
    configCache().insert(aliasFile(), sections);
}

std::optional<QStringList> findAlias(const QString& alias) {
    for (const auto& [name, lines] : readConfig()) {
        if (name.compare(alias, Qt::CaseInsensitive) == 0) {
            return lines;
        }
    }
    return std::nullopt;
}

void configureDefault(const QString& alias) {
    const auto it = defaults().constFind(alias);
    if (it == defaults().constEnd()) {
        return;
    }
    createDatabase(it->folder, it->init);
    setAliasPath(alias, it->folder);
}

}  // namespace

void createDatabase(const QString& folder, const Initializer& init) {
    if (!QDir().mkpath(folder)) {
        throw StoreError(StoreError::General, Error::Kind::CannotCreate,
                         QStringLiteral("Cannot create the data folder %1.").arg(folder), {folder});
    }
    const QString path = QDir(folder).filePath(QString::fromLatin1(Database::FileName));
    if (QFileInfo::exists(path)) {
        return;
    }
    // Built aside and moved in whole, so a failure leaves no half-made database behind.
    QDir staging(QDir(folder).filePath(QStringLiteral(".new-database")));
    staging.removeRecursively();
    QDir().mkpath(staging.path());
    try {
        {
            Database db(staging.path(), true);
            if (init) {
                init(db);
            }
        }
        if (!QFile::rename(staging.filePath(QString::fromLatin1(Database::FileName)), path)) {
            throw StoreError(StoreError::General, Error::Kind::CannotCreate,
                             QStringLiteral("Cannot create the database in %1.").arg(folder),
                             {folder});
        }
    } catch (...) {
        staging.removeRecursively();
        throw;
    }
    staging.removeRecursively();
}

QString aliasFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("aliases.ini"));
}

QStringList GetAliasParams(const QString& alias) {
    auto lines = findAlias(alias);
    // Only a first start makes a database unasked: with an alias file of the user's own, a
    // missing alias is a mistake to show, not a reason to start afresh elsewhere.
    if (!lines && !QFileInfo::exists(aliasFile())) {
        configureDefault(alias);
        lines = findAlias(alias);
    }
    if (!lines) {
        throw StoreError(StoreError::NotFound, Error::Kind::UnknownAlias,
                         QStringLiteral("Unknown database: %1").arg(alias), {alias});
    }
    return *lines;
}

void checkAhead(const QString& alias, const std::function<void()>& done) {
    const auto lines = findAlias(alias);
    const QString path =
        lines && !lines->isEmpty() &&
                lines->first().startsWith(QLatin1String("PATH="), Qt::CaseInsensitive)
            ? QDir(lines->first().mid(5)).filePath(QString::fromLatin1(Database::FileName))
            : QString();
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        if (done) {
            done();
        }
        return;
    }
    CheckAhead& ahead = pendingCheck();
    if (ahead.result.valid()) {
        ahead.result.wait();
    }
    ahead.path = path;
    ahead.stamp = fileStamp(path);
    // A connection of its own, used by this thread alone; it reads what the write-ahead log
    // holds too, as the program's connection will.
    ahead.result = std::async(std::launch::async, [file = QFile::encodeName(path), done] {
        // Whatever the user does first comes first on a busy machine.
        setpriority(PRIO_PROCESS, id_t(gettid()), 10);
        sqlite3* db = nullptr;
        int result = -1;
        if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
            sqlite3_busy_timeout(db, 5000);
            // Closing it leaves the write-ahead log as it found it.
            sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
            try {
                result = checkOk(db, "quick_check") ? 1 : 0;
            } catch (const std::exception&) {
                result = -1;
            }
        }
        sqlite3_close_v2(db);
        if (done) {
            done();
        }
        return result;
    });
}

void finishCheckAhead() {
    if (const CheckAhead& ahead = pendingCheck(); ahead.result.valid()) {
        ahead.result.wait();
    }
}

bool isConfigured(const QString& alias) {
    return findAlias(alias).has_value();
}

void reloadConfiguration() {
    configCache().clear();
}

void setAliasPath(const QString& alias, const QString& folder) {
    auto sections = readConfig();
    const QString line = QStringLiteral("PATH=") + folder;
    bool found = false;
    for (auto& [name, lines] : sections) {
        if (name.compare(alias, Qt::CaseInsensitive) == 0) {
            found = true;
            lines.removeIf([](const QString& l) {
                return l.startsWith(QLatin1String("PATH="), Qt::CaseInsensitive);
            });
            lines.prepend(line);
        }
    }
    if (!found) {
        sections.append({alias, {line}});
    }
    writeConfig(sections);
    open().remove(alias.toLower());
}

void setDefault(const QString& alias, const QString& folder, Initializer init) {
    defaults().insert(alias, {folder, std::move(init)});
}

void setUpgrade(const QString& alias, Initializer upgrade) {
    upgrades().insert(alias.toLower(), std::move(upgrade));
}

QString folderOf(const QString& alias) {
    const QStringList params = GetAliasParams(alias);
    return params.isEmpty() ? QString() : params.first().mid(5);
}

std::shared_ptr<Database> database(const QString& alias) {
    auto& dbs = open();
    const QString key = alias.toLower();
    auto it = dbs.find(key);
    if (it == dbs.end()) {
        auto db = std::make_shared<Database>(folderOf(alias), false);
        if (const auto up = upgrades().constFind(key); up != upgrades().constEnd() && *up) {
            (*up)(*db);
        }
        it = dbs.insert(key, db);
    }
    return *it;
}

void closeAll() {
    open().clear();
}

void release(const QString& alias) {
    open().remove(alias.toLower());
}

}  // namespace Session

}  // namespace store
