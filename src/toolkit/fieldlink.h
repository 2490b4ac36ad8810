// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

#include "datasource.h"

namespace toolkit {

// The tie between one control and one field of a data source's table: tells the control
// when to show the field again, and asks it for typed text before the row is posted.
class FieldLink final : public QObject {
    Q_OBJECT

public:
    explicit FieldLink(QObject* owner);
    ~FieldLink() override;

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_source; }
    void setFieldName(const QString& name);
    const QString& fieldName() const { return m_fieldName; }

    store::Table* table() const;
    // Null while the table is closed or lacks the field.
    store::Field* field() const;
    bool editing() const;
    // Puts the table into edit state (an empty table gets a new row); false when there is
    // nothing to edit.
    bool edit();

    std::function<void()> onRefresh;  // show the field's value again
    std::function<void()> onUpdate;   // hand over text that is typed but not yet in the row

private:
    void attach();
    void detach();

    QPointer<DataSource> m_source;
    QPointer<store::Table> m_table;
    QString m_fieldName;
    int m_hook = 0;
    QList<QMetaObject::Connection> m_connections;
};

}  // namespace toolkit
