// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace store {

class Database;

// What the groups of a sum are told apart by: a field's value, the year of a date field, or
// whether a field is empty (null or empty text).
struct GroupBy {
    enum Part { Value, Year, IsEmpty };
    QString field;
    Part part = Value;
};

// One group of rows: its keys in the order of the groupings (a null value or a date that is
// no date gives an invalid QVariant, a year an int, IsEmpty a bool), how many rows it holds,
// and one sum per product asked for.
struct GroupSum {
    QVariantList keys;
    qint64 rows = 0;
    QList<double> sums;
};

// Sums over every stored row of a table, read from the table itself: no cursor's filter or
// master range applies, and rows being edited count as last posted. Each product multiplies
// its fields row by row; a row where a factor is empty adds nothing, as a line total of an
// empty field is 0. Groups come in the order of their keys. A field the table lacks, or a
// year of a field that holds no dates, raises the store's error.
QList<GroupSum> groupedSums(Database& db, const QString& tableName, const QList<GroupBy>& groups,
                            const QList<QStringList>& products);

}  // namespace store
