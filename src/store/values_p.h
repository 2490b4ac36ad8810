// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Conversions between field values, user text and what SQLite stores.

#include <QString>
#include <QVariant>

#include "field.h"

namespace store::detail {

class Statement;

// Text as typed by the user into a value of the field's type; empty text is null.
// Raises the conversion errors the user sees.
QVariant parseText(FieldType type, const QString& fieldName, const QString& text);
// A value of any kind made into the field's own type (int, QString, QDate or double).
QVariant coerce(FieldType type, const QString& fieldName, const QVariant& v);
QVariant toSql(FieldType type, const QVariant& v);
QVariant fromColumn(FieldType type, const Statement& st, int col);

// The column's declared type in the database, and the type read back from it.
QString declaredType(FieldType type, int size);
FieldType typeFromDeclared(const QString& decl, int* size);
// Whole number, text, floating point or money, memo and date are the kinds that count.
int typeKind(FieldType type);

// Index and ordering expression of a key field: nulls sort first and compare equal.
QString keyExpr(FieldType type, const QString& name);
// The same in the order rows are read and sought in: text in Danish order. Indexes keep
// keyExpr, so that no stored index needs the program's collation.
QString orderExpr(FieldType type, const QString& name);
QString quoted(const QString& name);

}  // namespace store::detail
