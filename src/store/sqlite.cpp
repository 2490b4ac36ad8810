// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFileInfo>
#include <QUrl>

#include "collation.h"
#include "errors.h"
#include "sqlite_p.h"

namespace store::detail {

namespace {

bool ascii(const char* s, int n) {
    for (int i = 0; i < n; ++i) {
        if (static_cast<unsigned char>(s[i]) >= 0x80) {
            return false;
        }
    }
    return true;
}

int collateDanish(void*, int lengthA, const void* a, int lengthB, const void* b) {
    const auto* x = static_cast<const char*>(a);
    const auto* y = static_cast<const char*>(b);
    // Most keys are plain ASCII: compared in place, the same way, without decoding.
    if (ascii(x, lengthA) && ascii(y, lengthB)) {
        return compareDanish(QLatin1StringView(x, lengthA), QLatin1StringView(y, lengthB));
    }
    return compareDanish(QString::fromUtf8(x, lengthA), QString::fromUtf8(y, lengthB));
}

}  // namespace

void throwSqlite(sqlite3* db, int rc, const QString& context) {
    const int primary = rc & 0xff;
    const int extended = db ? sqlite3_extended_errcode(db) : rc;
    const QString detail =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    const QString where =
        !context.isEmpty() || !db ? context : QString::fromUtf8(sqlite3_db_filename(db, "main"));
    if (primary == SQLITE_CONSTRAINT &&
        (extended == SQLITE_CONSTRAINT_UNIQUE || extended == SQLITE_CONSTRAINT_PRIMARYKEY)) {
        throw StoreError(StoreError::KeyViolation, Error::Kind::KeyViolation,
                         QStringLiteral("Key violation."), {});
    }
    if (primary == SQLITE_READONLY || primary == SQLITE_PERM) {
        const QString folder =
            db ? QFileInfo(QString::fromUtf8(sqlite3_db_filename(db, "main"))).absolutePath()
               : QString();
        throw StoreError(StoreError::ReadOnly, Error::Kind::ReadOnly,
                         QStringLiteral("The data cannot be saved: the data folder is read-only."),
                         {folder});
    }
    if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT) {
        throw StoreError(
            StoreError::Corrupt, Error::Kind::Corrupt,
            QStringLiteral("The database file is damaged or is not a database: %1").arg(where),
            {where});
    }
    if (primary == SQLITE_FULL) {
        throw StoreError(StoreError::General, Error::Kind::DiskFull,
                         QStringLiteral("%1: %2").arg(where, detail), {where});
    }
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED) {
        throw StoreError(StoreError::General, Error::Kind::Busy,
                         QStringLiteral("%1: %2").arg(where, detail), {where});
    }
    throw StoreError(StoreError::General,
                     where.isEmpty() ? detail : QStringLiteral("%1: %2").arg(where, detail));
}

Statement::Statement(sqlite3* db, const QString& sql) : m_db(db), m_sql(sql) {
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(db, utf8.constData(), int(utf8.size()),
                                      SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        throwSqlite(db, rc, QString());
    }
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QVariant& value) {
    int rc = SQLITE_OK;
    if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::Bool:
                rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
                break;
            default: {
                const QByteArray utf8 = value.toString().toUtf8();
                rc = sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()),
                                       SQLITE_TRANSIENT);
            }
        }
    }
    if (rc != SQLITE_OK) {
        throwSqlite(m_db, rc, QString());
    }
}

void Statement::bindAll(const QVariantList& values, int first) {
    for (int i = 0; i < values.size(); ++i) {
        bind(first + i, values.at(i));
    }
}

bool Statement::step() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW) {
        return true;
    }
    if (rc == SQLITE_DONE) {
        return false;
    }
    sqlite3_reset(m_stmt);
    throwSqlite(m_db, rc, QString());
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

void Statement::exec() {
    while (step()) {
    }
    sqlite3_reset(m_stmt);
}

QString Statement::text(int col) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, col));
}

Connection::Connection(const QString& path, bool create) : m_path(path) {
    open(create, false);
    try {
        // Fails here, not later, when the file is no database or the folder is read-only.
        exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    } catch (const StoreError& e) {
        if (e.errorCode() == StoreError::Corrupt || create) {
            close();
            throw;
        }
        // A folder we cannot write to still lets the user read the data.
        close();
        open(false, true);
        m_readOnly = true;
        exec(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    }
    exec(QStringLiteral("PRAGMA synchronous=FULL"));
    sqlite3_busy_timeout(m_db, 5000);
}

void Connection::open(bool create, bool immutable) {
    // One thread uses a connection: SQLite's own locking would only cost time.
    int flags = SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    flags |= immutable ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (create) {
        flags |= SQLITE_OPEN_CREATE;
    }
    QByteArray uri = QByteArrayLiteral("file:") + QUrl::toPercentEncoding(m_path, "/");
    if (immutable) {
        uri += "?immutable=1";
    }
    const int rc = sqlite3_open_v2(uri.constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
        close();
        if (!create && !QFileInfo::exists(m_path)) {
            throw StoreError(StoreError::NotFound, Error::Kind::DatabaseMissing,
                             QStringLiteral("The database file %1 does not exist.").arg(m_path),
                             {QFileInfo(m_path).absolutePath()});
        }
        throw StoreError(StoreError::General, Error::Kind::CannotOpen,
                         QStringLiteral("Cannot open the database %1: %2").arg(m_path, message),
                         {m_path, message});
    }
    sqlite3_extended_result_codes(m_db, 1);
    // Only the program's ordering of text keys uses it; nothing in the file refers to it.
    sqlite3_create_collation_v2(m_db, DanishCollation, SQLITE_UTF8, nullptr, collateDanish,
                                nullptr);
}

void Connection::close() {
    m_cache.clear();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

Connection::~Connection() {
    close();
}

void Connection::exec(const QString& sql) {
    char* err = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK) {
        throwSqlite(m_db, rc, m_path);
    }
}

Statement& Connection::cached(const QString& sql) {
    auto it = m_cache.find(sql);
    if (it == m_cache.end()) {
        it = m_cache.insert(sql, std::make_shared<Statement>(m_db, sql));
    }
    it.value()->reset();
    return *it.value();
}

Transaction::Transaction(Connection& c) : m_conn(c) {
    // Inside a transaction already, the outer one commits or rolls back the work.
    if (sqlite3_get_autocommit(m_conn.handle())) {
        m_conn.cached(QStringLiteral("BEGIN IMMEDIATE")).exec();
        m_open = true;
    }
}

Transaction::~Transaction() {
    if (m_open) {
        sqlite3_exec(m_conn.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void Transaction::commit() {
    if (m_open) {
        m_conn.cached(QStringLiteral("COMMIT")).exec();
        m_open = false;
    }
}

}  // namespace store::detail
