// SPDX-License-Identifier: GPL-3.0-or-later
#include "field.h"

#include <QLocale>

#include "errors.h"
#include "format.h"
#include "table.h"
#include "values_p.h"

namespace store {

QString fieldTypeName(FieldType t) {
    switch (t) {
        case FieldType::Integer:
            return QStringLiteral("Integer");
        case FieldType::String:
            return QStringLiteral("String");
        case FieldType::Date:
            return QStringLiteral("Date");
        case FieldType::Currency:
            return QStringLiteral("Currency");
        case FieldType::Float:
            return QStringLiteral("Float");
        case FieldType::Memo:
            return QStringLiteral("Memo");
    }
    return QString();
}

Field::Field(Table* table, int index, QString name, FieldType type, int size, bool calculated)
    : m_table(table),
      m_index(index),
      m_name(std::move(name)),
      m_type(type),
      m_size(size),
      m_calculated(calculated) {}

QVariant Field::Value() const {
    return m_table->readValue(m_index);
}

bool Field::IsNull() const {
    const QVariant v = Value();
    return !v.isValid() || v.isNull();
}

void Field::setValue(const QVariant& v) {
    m_table->writeValue(m_index, v);
}

void Field::check(const QVariant& value) const {
    if (!value.isValid() || value.isNull() || m_calculated) {
        return;
    }
    const QString table = m_table->TableName();
    if (m_type == FieldType::String && m_size > 0 && value.toString().size() > m_size) {
        const QString length = QString::number(value.toString().size());
        const QString width = QString::number(m_size);
        throw FieldError(
            Error::Kind::TooLong,
            QStringLiteral("The text for field '%1' is %2 characters long; the field holds at "
                           "most %3.")
                .arg(m_name, length, width),
            table, {m_name, length, width});
    }
    const bool number =
        m_type == FieldType::Integer || m_type == FieldType::Float || m_type == FieldType::Currency;
    if (number && m_rules.minValue && value.toDouble() < *m_rules.minValue) {
        const QLocale locale;
        const QString shown = m_type == FieldType::Integer
                                  ? locale.toString(value.toLongLong())
                                  : locale.toString(value.toDouble(), 'g', 15);
        const QString least = locale.toString(*m_rules.minValue, 'g', 15);
        throw FieldError(Error::Kind::BelowMinimum,
                         QStringLiteral("%2 is less than %3, the smallest value field '%1' takes.")
                             .arg(m_name, shown, least),
                         table, {m_name, shown, least});
    }
    if (!m_rules.allowed.isEmpty() && !m_rules.allowed.contains(value.toString())) {
        const QString values = m_rules.allowed.join(QStringLiteral(", "));
        throw FieldError(Error::Kind::NotAllowed,
                         QStringLiteral("'%2' is not a value field '%1' takes (%3).")
                             .arg(m_name, value.toString(), values),
                         table, {m_name, value.toString(), values});
    }
}

QVariant Field::parse(const QString& text) const {
    return detail::parseText(m_type, m_name, text);
}

void Field::setAsString(const QString& text) {
    setValue(parse(text));
}

QString Field::AsString() const {
    const QVariant v = Value();
    if (!v.isValid()) {
        return QString();
    }
    switch (m_type) {
        case FieldType::Date:
            return formatDate(v.toDate());
        case FieldType::Float:
        case FieldType::Currency:
            return QLocale().toString(v.toDouble(), 'g', 15);
        default:
            return v.toString();
    }
}

int Field::AsInteger() const {
    const QVariant v = Value();
    if (!v.isValid()) {
        return 0;
    }
    if (m_type == FieldType::String || m_type == FieldType::Memo) {
        return detail::coerce(FieldType::Integer, m_name, v).toInt();
    }
    if (m_type == FieldType::Float || m_type == FieldType::Currency) {
        return int(std::llround(v.toDouble()));
    }
    return v.toInt();
}

double Field::AsFloat() const {
    const QVariant v = Value();
    if (!v.isValid()) {
        return 0.0;
    }
    if (m_type == FieldType::String || m_type == FieldType::Memo) {
        return detail::coerce(FieldType::Float, m_name, v).toDouble();
    }
    return v.toDouble();
}

QDate Field::AsDate() const {
    const QVariant v = Value();
    if (!v.isValid()) {
        return {};
    }
    if (m_type == FieldType::Date) {
        return v.toDate();
    }
    return detail::coerce(FieldType::Date, m_name, v).toDate();
}

QString Field::DisplayText() const {
    const QVariant v = Value();
    if (!v.isValid()) {
        return QString();
    }
    if (m_type == FieldType::Currency) {
        return QLocale().toCurrencyString(v.toDouble());
    }
    return AsString();
}

QString Field::EditText() const {
    const QVariant v = Value();
    if (!v.isValid()) {
        return QString();
    }
    if (m_type == FieldType::Currency || m_type == FieldType::Float) {
        // Two decimals unless the value holds more, so 12.5 is offered as 12,50.
        const double d = v.toDouble();
        const QString two = QLocale().toString(d, 'f', 2);
        if (QLocale().toDouble(two) == d) {
            return m_type == FieldType::Currency ? two : AsString();
        }
        return AsString();
    }
    return AsString();
}

}  // namespace store
