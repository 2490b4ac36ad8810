// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>

#include "store/table.h"

namespace toolkit {

// Connects controls to a table: they hear its changes through this source and can be
// switched off together with Enabled.
class DataSource final : public QObject {
    Q_OBJECT

public:
    explicit DataSource(QObject* parent = nullptr) : QObject(parent) {}

    store::Table* DataSet() const { return m_table; }
    void setDataSet(store::Table* table);
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool on);
    store::DataSetState State() const;

Q_SIGNALS:
    void activeChanged();
    void stateChanged();
    void recordChanged();
    void fieldChanged(store::Field* field);
    void dataSetChanged();
    void dataSetReplaced();

private:
    QPointer<store::Table> m_table;
    bool m_enabled = true;
    QList<QMetaObject::Connection> m_connections;
};

}  // namespace toolkit
