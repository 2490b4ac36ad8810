// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QVariantList>

#include "field.h"

namespace store {

// A filter text turned into an SQL condition with bound values: the user's text never
// becomes SQL itself, only field names the table knows and placeholders do.
struct FilterSql {
    QString condition;  // empty: every row passes
    QVariantList params;
};

struct FilterField {
    QString name;
    FieldType type;
    QString column;  // quoted column name
};

// Grammar: or-expressions of and-expressions of comparisons, "not" and parentheses.
// Operands are field names (any case), single-quoted literals ('' stands for one quote)
// and plain numbers. Literals are read as the type of the field they are compared with;
// dates in the program's short date format. Raises store::Error on bad text.
FilterSql parseFilter(const QString& text, const QList<FilterField>& fields);

}  // namespace store
