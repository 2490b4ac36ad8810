// SPDX-License-Identifier: GPL-3.0-or-later
#include <QLocale>
#include <cmath>
#include <limits>

#include "collation.h"
#include "errors.h"
#include "format.h"
#include "sqlite_p.h"
#include "values_p.h"

namespace store::detail {

namespace {

[[noreturn]] void refuse(Error::Kind kind, const QString& fieldName, const QString& text) {
    QString message;
    switch (kind) {
        case Error::Kind::InvalidInteger:
            message = QStringLiteral("'%1' is not a valid integer value for field '%2'");
            break;
        case Error::Kind::InvalidFloat:
            message = QStringLiteral("'%1' is not a valid floating point value for field '%2'");
            break;
        default:
            message = QStringLiteral("'%1' is not a valid date");
            break;
    }
    message = kind == Error::Kind::InvalidDate ? message.arg(text) : message.arg(text, fieldName);
    throw FieldError(kind, message, QString(), {fieldName, text});
}

}  // namespace

QVariant parseText(FieldType type, const QString& fieldName, const QString& text) {
    switch (type) {
        case FieldType::String:
        case FieldType::Memo:
            return text.isEmpty() ? QVariant() : QVariant(text);
        case FieldType::Integer: {
            if (text.trimmed().isEmpty()) {
                return {};
            }
            const auto v = parseInteger(text);
            if (!v) {
                refuse(Error::Kind::InvalidInteger, fieldName, text);
            }
            return *v;
        }
        case FieldType::Float:
        case FieldType::Currency: {
            if (text.trimmed().isEmpty()) {
                return {};
            }
            const auto v = parseFloat(text);
            if (!v) {
                refuse(Error::Kind::InvalidFloat, fieldName, text);
            }
            return *v;
        }
        case FieldType::Date: {
            if (isBlankDateText(text)) {
                return {};
            }
            const QDate d = parseDate(text);
            if (!d.isValid()) {
                refuse(Error::Kind::InvalidDate, fieldName, text);
            }
            return d;
        }
    }
    return {};
}

QVariant coerce(FieldType type, const QString& fieldName, const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        return {};
    }
    switch (type) {
        case FieldType::String:
        case FieldType::Memo: {
            const QString s =
                v.typeId() == QMetaType::QDate ? formatDate(v.toDate()) : v.toString();
            return s.isEmpty() ? QVariant() : QVariant(s);
        }
        case FieldType::Integer:
            if (v.typeId() == QMetaType::QString) {
                return parseText(type, fieldName, v.toString());
            }
            if (v.typeId() == QMetaType::Double) {
                const double d = v.toDouble();
                if (!std::isfinite(d) || d < std::numeric_limits<int>::min() ||
                    d > std::numeric_limits<int>::max()) {
                    refuse(Error::Kind::InvalidInteger, fieldName, v.toString());
                }
                return int(std::llround(d));
            } else {
                bool ok = false;
                const qlonglong l = v.toLongLong(&ok);
                if (!ok || l < std::numeric_limits<int>::min() ||
                    l > std::numeric_limits<int>::max()) {
                    refuse(Error::Kind::InvalidInteger, fieldName, v.toString());
                }
                return int(l);
            }
        case FieldType::Float:
        case FieldType::Currency: {
            if (v.typeId() == QMetaType::QString) {
                return parseText(type, fieldName, v.toString());
            }
            bool ok = false;
            const double d = v.toDouble(&ok);
            if (!ok || !std::isfinite(d)) {
                refuse(Error::Kind::InvalidFloat, fieldName, v.toString());
            }
            return d;
        }
        case FieldType::Date:
            if (v.typeId() == QMetaType::QDate) {
                return v.toDate().isValid() ? v : QVariant();
            }
            if (v.typeId() == QMetaType::QDateTime) {
                return v.toDateTime().date();
            }
            return parseText(type, fieldName, v.toString());
    }
    return {};
}

QVariant toSql(FieldType type, const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        return {};
    }
    switch (type) {
        case FieldType::Date:
            return v.toDate().toString(Qt::ISODate);
        case FieldType::Integer:
            return v.toLongLong();
        case FieldType::Float:
        case FieldType::Currency:
            return v.toDouble();
        default:
            return v.toString();
    }
}

QVariant fromColumn(FieldType type, const Statement& st, int col) {
    if (st.isNull(col)) {
        return {};
    }
    switch (type) {
        case FieldType::Integer:
            return int(st.int64(col));
        case FieldType::Float:
        case FieldType::Currency:
            return st.real(col);
        case FieldType::Date: {
            const QDate d = QDate::fromString(st.text(col), Qt::ISODate);
            return d.isValid() ? QVariant(d) : QVariant();
        }
        default:
            return st.text(col);
    }
}

// Each name carries an affinity word, so SQLite keeps text as text and reals as reals.
QString declaredType(FieldType type, int size) {
    switch (type) {
        case FieldType::Integer:
            return QStringLiteral("INTEGER");
        case FieldType::String:
            return size > 0 ? QStringLiteral("TEXT(%1)").arg(size) : QStringLiteral("TEXT");
        case FieldType::Date:
            return QStringLiteral("DATE_TEXT");
        case FieldType::Currency:
            return QStringLiteral("MONEY_REAL");
        case FieldType::Float:
            return QStringLiteral("FLOAT_REAL");
        case FieldType::Memo:
            return QStringLiteral("MEMO_TEXT");
    }
    return QStringLiteral("TEXT");
}

FieldType typeFromDeclared(const QString& decl, int* size) {
    const QString d = decl.trimmed().toUpper();
    *size = 0;
    if (d.startsWith(QLatin1String("MEMO"))) {
        return FieldType::Memo;
    }
    if (d.startsWith(QLatin1String("DATE"))) {
        return FieldType::Date;
    }
    if (d.startsWith(QLatin1String("MONEY")) || d.startsWith(QLatin1String("CURRENCY"))) {
        return FieldType::Currency;
    }
    if (d.contains(QLatin1String("INT"))) {
        return FieldType::Integer;
    }
    if (d.contains(QLatin1String("REAL")) || d.contains(QLatin1String("FLOA")) ||
        d.contains(QLatin1String("DOUB"))) {
        return FieldType::Float;
    }
    const qsizetype open = d.indexOf(QLatin1Char('('));
    if (open > 0 && d.endsWith(QLatin1Char(')'))) {
        *size = d.mid(open + 1, d.size() - open - 2).toInt();
    }
    return FieldType::String;
}

int typeKind(FieldType type) {
    switch (type) {
        case FieldType::Integer:
            return 0;
        case FieldType::String:
            return 1;
        case FieldType::Float:
        case FieldType::Currency:
            return 2;
        case FieldType::Memo:
            return 3;
        case FieldType::Date:
            return 4;
    }
    return 1;
}

QString quoted(const QString& name) {
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

QString keyExpr(FieldType type, const QString& name) {
    switch (type) {
        case FieldType::Integer:
            return QStringLiteral("ifnull(%1,-9223372036854775808)").arg(quoted(name));
        case FieldType::Float:
        case FieldType::Currency:
            return QStringLiteral("ifnull(%1,-1e308)").arg(quoted(name));
        default:
            return QStringLiteral("ifnull(%1,'')").arg(quoted(name));
    }
}

QString orderExpr(FieldType type, const QString& name) {
    const QString k = keyExpr(type, name);
    if (type == FieldType::String || type == FieldType::Memo) {
        return k + QStringLiteral(" COLLATE ") + QString::fromLatin1(DanishCollation);
    }
    return k;
}

}  // namespace store::detail
