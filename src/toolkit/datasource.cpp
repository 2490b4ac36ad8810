// SPDX-License-Identifier: GPL-3.0-or-later
#include "datasource.h"

namespace toolkit {

void DataSource::setDataSet(store::Table* table) {
    for (const auto& c : std::as_const(m_connections)) {
        disconnect(c);
    }
    m_connections.clear();
    m_table = table;
    if (table) {
        auto forward = [this](auto signal, auto mine) {
            m_connections << connect(m_table, signal, this, [this, mine](auto... args) {
                if (m_enabled) {
                    Q_EMIT(this->*mine)(args...);
                }
            });
        };
        forward(&store::Table::activeChanged, &DataSource::activeChanged);
        forward(&store::Table::stateChanged, &DataSource::stateChanged);
        forward(&store::Table::recordChanged, &DataSource::recordChanged);
        forward(&store::Table::dataSetChanged, &DataSource::dataSetChanged);
        m_connections << connect(m_table, &store::Table::fieldChanged, this,
                                 [this](store::Field* f) {
                                     if (m_enabled) {
                                         Q_EMIT fieldChanged(f);
                                     }
                                 });
    }
    Q_EMIT dataSetReplaced();
}

void DataSource::setEnabled(bool on) {
    if (m_enabled == on) {
        return;
    }
    m_enabled = on;
    if (on) {
        Q_EMIT dataSetChanged();
        Q_EMIT recordChanged();
    }
}

store::DataSetState DataSource::State() const {
    return m_table ? m_table->State() : store::DataSetState::Inactive;
}

}  // namespace toolkit
