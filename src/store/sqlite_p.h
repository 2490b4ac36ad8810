// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// SQLite behind small owning types; only the store includes this header.

#include <sqlite3.h>

#include <QHash>
#include <QString>
#include <QVariant>
#include <memory>

namespace store::detail {

[[noreturn]] void throwSqlite(sqlite3* db, int rc, const QString& context);

class Statement {
public:
    Statement(sqlite3* db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const QVariant& value);  // 1-based
    void bindAll(const QVariantList& values, int first = 1);
    bool step();  // true while a row is there
    void reset();
    void exec();  // step to the end, for statements without rows

    int columnType(int col) const { return sqlite3_column_type(m_stmt, col); }
    qint64 int64(int col) const { return sqlite3_column_int64(m_stmt, col); }
    double real(int col) const { return sqlite3_column_double(m_stmt, col); }
    QString text(int col) const;
    bool isNull(int col) const { return columnType(col) == SQLITE_NULL; }
    const QString& sql() const { return m_sql; }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_sql;
};

class Connection {
public:
    // Opens an existing database file; with create, makes it when missing.
    Connection(const QString& path, bool create);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const { return m_db; }
    bool readOnly() const { return m_readOnly; }
    const QString& path() const { return m_path; }
    void exec(const QString& sql);
    // Prepared once, kept for the life of the connection; reset before it is handed out.
    Statement& cached(const QString& sql);

private:
    void open(bool create, bool immutable);
    void close();

    sqlite3* m_db = nullptr;
    QString m_path;
    bool m_readOnly = false;
    QHash<QString, std::shared_ptr<Statement>> m_cache;
};

// BEGIN IMMEDIATE … COMMIT; rolls back when left without commit().
class Transaction {
public:
    explicit Transaction(Connection& c);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& m_conn;
    bool m_open = false;
};

}  // namespace store::detail
