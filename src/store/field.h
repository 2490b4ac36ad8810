// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace store {

class Table;

enum class FieldType { Integer, String, Date, Currency, Float, Memo };

QString fieldTypeName(FieldType t);

// What a field takes beyond its type and width: the smallest number, or the only texts.
struct FieldRules {
    std::optional<double> minValue;
    QStringList allowed;  // empty: any text; null is always taken
};

// One field of a table's current row. Values are read from and written to the row the
// table has current (or the row being calculated, while calculated fields are filled).
class Field {
public:
    Field(Table* table, int index, QString name, FieldType type, int size, bool calculated);

    const QString& FieldName() const { return m_name; }
    FieldType DataType() const { return m_type; }
    int Size() const { return m_size; }
    void setSize(int size) { m_size = size; }
    int Index() const { return m_index; }
    bool Calculated() const { return m_calculated; }
    QString DisplayLabel() const { return m_label.isEmpty() ? m_name : m_label; }
    void setDisplayLabel(const QString& label) { m_label = label; }
    const FieldRules& Rules() const { return m_rules; }
    void setRules(const FieldRules& rules) { m_rules = rules; }
    // Raises the FieldError a value would meet when written: too long for the width, below
    // the minimum, not one of the allowed texts. The value is of the field's own type.
    void check(const QVariant& value) const;
    Table& DataSet() const { return *m_table; }

    bool IsNull() const;
    QVariant Value() const;  // invalid for null
    void setValue(const QVariant& v);
    void Clear() { setValue(QVariant()); }

    // A null reads as empty text or 0.
    QString AsString() const;
    void setAsString(const QString& text);  // converts by the field's type, or raises
    int AsInteger() const;
    void setAsInteger(int v) { setValue(v); }
    double AsFloat() const;
    void setAsFloat(double v) { setValue(v); }
    QDate AsDate() const;
    void setAsDate(const QDate& d) { setValue(d.isValid() ? QVariant(d) : QVariant()); }

    // Text shown in controls: dates in the short format, amounts in the currency format.
    QString DisplayText() const;
    // Text offered for editing; setAsString takes it back unchanged.
    QString EditText() const;

    // Converts text as setAsString does, without touching the row.
    QVariant parse(const QString& text) const;

private:
    Table* m_table;
    int m_index;
    QString m_name;
    FieldType m_type;
    int m_size;
    bool m_calculated;
    QString m_label;
    FieldRules m_rules;
};

}  // namespace store
