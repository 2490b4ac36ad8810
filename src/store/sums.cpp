// SPDX-License-Identifier: GPL-3.0-or-later
#include "sums.h"

#include <QHash>

#include "errors.h"
#include "session.h"
#include "sqlite_p.h"
#include "values_p.h"

namespace store {

using detail::quoted;

namespace {

struct Column {
    QString name;  // as stored
    FieldType type;
};

// The stored fields by lower-case name. A quoted name SQLite cannot resolve would be read as
// a text constant, so every name is checked here first.
QHash<QString, Column> storedColumns(Database& db, const QString& table) {
    QHash<QString, Column> out;
    detail::Statement st(db.connection().handle(),
                         QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table)));
    while (st.step()) {
        int size = 0;
        out.insert(st.text(1).toLower(), {st.text(1), detail::typeFromDeclared(st.text(2), &size)});
    }
    return out;
}

const Column& column(const QHash<QString, Column>& columns, const QString& tableName,
                     const QString& field) {
    const auto it = columns.constFind(field.toLower());
    if (it == columns.constEnd()) {
        throw StoreError(StoreError::General,
                         QStringLiteral("%1: Field '%2' not found").arg(tableName, field));
    }
    return *it;
}

}  // namespace

QList<GroupSum> groupedSums(Database& db, const QString& tableName, const QList<GroupBy>& groups,
                            const QList<QStringList>& products) {
    const QString table = Database::sqlName(tableName);
    if (!db.hasTable(table)) {
        throw StoreError(StoreError::NotFound, Error::Kind::TableMissing,
                         QStringLiteral("Table %1 does not exist in the data folder %2.")
                             .arg(tableName, db.folder()),
                         {tableName, db.folder()});
    }
    const QHash<QString, Column> columns = storedColumns(db, table);

    QStringList keys;
    QList<FieldType> keyTypes;
    for (const GroupBy& g : groups) {
        const Column& c = column(columns, tableName, g.field);
        const QString name = quoted(c.name);
        switch (g.part) {
            case GroupBy::Value:
                keys << name;
                keyTypes << c.type;
                break;
            case GroupBy::Year:
                if (c.type != FieldType::Date) {
                    throw StoreError(
                        StoreError::General,
                        QStringLiteral("%1: Field '%2' holds no dates").arg(tableName, g.field));
                }
                // Text that is no date has no year.
                keys << QStringLiteral("CAST(strftime('%Y', %1) AS INTEGER)").arg(name);
                keyTypes << FieldType::Integer;
                break;
            case GroupBy::IsEmpty:
                keys << QStringLiteral("(%1 IS NULL OR %1 = '')").arg(name);
                keyTypes << FieldType::Integer;
                break;
        }
    }
    QStringList sums;
    for (const QStringList& factors : products) {
        QStringList names;
        for (const QString& f : factors) {
            names << quoted(column(columns, tableName, f).name);
        }
        // total() is 0.0 for a group whose every product is null, and a float throughout.
        sums << QStringLiteral("total(%1)")
                    .arg(names.isEmpty() ? QStringLiteral("1") : names.join(QLatin1Char('*')));
    }

    QStringList select = keys;
    select << QStringLiteral("count(*)") << sums;
    QString sql =
        QStringLiteral("SELECT %1 FROM %2").arg(select.join(QLatin1Char(',')), quoted(table));
    if (!keys.isEmpty()) {
        QStringList positions;
        for (int i = 1; i <= keys.size(); ++i) {
            positions << QString::number(i);
        }
        sql += QStringLiteral(" GROUP BY %1 ORDER BY %1").arg(positions.join(QLatin1Char(',')));
    }

    QList<GroupSum> out;
    detail::Statement st(db.connection().handle(), sql);
    while (st.step()) {
        GroupSum g;
        int col = 0;
        for (qsizetype k = 0; k < groups.size(); ++k, ++col) {
            if (groups.at(k).part == GroupBy::IsEmpty) {
                g.keys << QVariant(st.int64(col) != 0);
            } else {
                g.keys << detail::fromColumn(keyTypes.at(k), st, col);
            }
        }
        g.rows = st.int64(col++);
        for (qsizetype s = 0; s < sums.size(); ++s, ++col) {
            g.sums << st.real(col);
        }
        // A table without rows still answers one group when nothing is grouped.
        if (g.rows > 0 || !keys.isEmpty()) {
            out << g;
        }
    }
    return out;
}

}  // namespace store
