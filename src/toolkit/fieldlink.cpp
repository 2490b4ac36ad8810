// SPDX-License-Identifier: GPL-3.0-or-later
#include "fieldlink.h"

namespace toolkit {

FieldLink::FieldLink(QObject* owner) : QObject(owner) {}

FieldLink::~FieldLink() {
    detach();
}

void FieldLink::setDataSource(DataSource* source) {
    detach();
    m_source = source;
    attach();
}

void FieldLink::setFieldName(const QString& name) {
    m_fieldName = name;
    if (onRefresh) {
        onRefresh();
    }
}

store::Table* FieldLink::table() const {
    return m_source ? m_source->DataSet() : nullptr;
}

store::Field* FieldLink::field() const {
    store::Table* t = table();
    if (!t || !t->Active() || m_fieldName.isEmpty()) {
        return nullptr;
    }
    return t->FindField(m_fieldName);
}

bool FieldLink::editing() const {
    store::Table* t = table();
    return t &&
           (t->State() == store::DataSetState::Edit || t->State() == store::DataSetState::Insert);
}

bool FieldLink::edit() {
    store::Table* t = table();
    // A read-only data folder takes no typing; it was announced when the program started.
    if (!t || !t->Active() || !field() || (m_source && !m_source->Enabled()) || t->readOnly()) {
        return false;
    }
    t->Edit();
    return true;
}

void FieldLink::attach() {
    if (!m_source) {
        return;
    }
    auto refresh = [this] {
        if (onRefresh) {
            onRefresh();
        }
    };
    m_connections << connect(m_source, &DataSource::activeChanged, this, refresh);
    m_connections << connect(m_source, &DataSource::recordChanged, this, refresh);
    m_connections << connect(m_source, &DataSource::dataSetChanged, this, refresh);
    m_connections << connect(m_source, &DataSource::stateChanged, this, refresh);
    m_connections << connect(m_source, &DataSource::fieldChanged, this, [this](store::Field* f) {
        if (!f || f == field()) {
            if (onRefresh) {
                onRefresh();
            }
        }
    });
    m_connections << connect(m_source, &DataSource::dataSetReplaced, this, [this] {
        detach();
        attach();
    });
    m_table = m_source->DataSet();
    if (m_table) {
        m_hook = m_table->addUpdateRecordHook([this] {
            if (onUpdate) {
                onUpdate();
            }
        });
    }
    if (onRefresh) {
        onRefresh();
    }
}

void FieldLink::detach() {
    for (const auto& c : std::as_const(m_connections)) {
        disconnect(c);
    }
    m_connections.clear();
    if (m_table && m_hook) {
        m_table->removeUpdateRecordHook(m_hook);
    }
    m_hook = 0;
    m_table = nullptr;
}

}  // namespace toolkit
