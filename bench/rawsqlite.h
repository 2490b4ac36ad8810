// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// SQLite straight, for the floors and the generators of the benchmarks: the least any program
// could do on a data folder's file.

#include <sqlite3.h>

#include <QByteArray>
#include <QString>
#include <stdexcept>
#include <string>

namespace benchfig {

[[noreturn]] inline void fail(sqlite3* db, const char* what) {
    throw std::runtime_error(std::string(what) + ": " +
                             (db ? sqlite3_errmsg(db) : "no connection"));
}

class RawDb {
public:
    // The same settings as the store's own connection, so the floor pays for the same
    // durability.
    explicit RawDb(const QByteArray& path) {
        if (sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
            fail(m_db, "open");
        }
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=FULL");
        sqlite3_busy_timeout(m_db, 5000);
    }
    ~RawDb() { sqlite3_close_v2(m_db); }
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;

    sqlite3* handle() const { return m_db; }
    void exec(const char* sql) {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
            fail(m_db, sql);
        }
    }

private:
    sqlite3* m_db = nullptr;
};

class RawStmt {
public:
    RawStmt(RawDb& db, const char* sql) : m_db(db.handle()) {
        if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_st, nullptr) !=
            SQLITE_OK) {
            fail(m_db, sql);
        }
    }
    ~RawStmt() { sqlite3_finalize(m_st); }
    RawStmt(const RawStmt&) = delete;
    RawStmt& operator=(const RawStmt&) = delete;

    sqlite3_stmt* get() const { return m_st; }
    void text(int i, const QByteArray& utf8) {
        sqlite3_bind_text(m_st, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void text(int i, const QString& s) { text(i, s.toUtf8()); }
    void integer(int i, qint64 v) { sqlite3_bind_int64(m_st, i, v); }
    void real(int i, double v) { sqlite3_bind_double(m_st, i, v); }
    void null(int i) { sqlite3_bind_null(m_st, i); }
    bool step() {
        const int rc = sqlite3_step(m_st);
        if (rc == SQLITE_ROW) {
            return true;
        }
        if (rc != SQLITE_DONE) {
            sqlite3_reset(m_st);
            fail(m_db, "step");
        }
        return false;
    }
    void reset() { sqlite3_reset(m_st); }
    void run() {
        step();
        reset();
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_st = nullptr;
};

}  // namespace benchfig
