// SPDX-License-Identifier: GPL-3.0-or-later
#include "listsupport.h"

#include <QHeaderView>

#include "toolkit/grid.h"

namespace lists {

namespace {

store::Table* tableOf(toolkit::DBGrid* grid) {
    return grid && grid->dataSource() ? grid->dataSource()->DataSet() : nullptr;
}

}  // namespace

void fillWidth(toolkit::DBGrid* grid) {
    grid->horizontalHeader()->setStretchLastSection(true);
}

void finishPending(toolkit::DBGrid* grid) {
    store::Table* table = tableOf(grid);
    if (!table || !table->Active()) {
        return;
    }
    grid->commitEdit();
    table->CheckBrowseMode();
}

EmptyEntryGuard::EmptyEntryGuard(store::Table* table, const QStringList& fields, QObject* owner)
    : QObject(owner), m_table(table), m_fields(fields) {
    if (table) {
        m_hook = table->addUpdateRecordHook([this] { check(); });
    }
}

EmptyEntryGuard::~EmptyEntryGuard() {
    if (m_table && m_hook) {
        m_table->removeUpdateRecordHook(m_hook);
    }
}

// The store reads the state again after the typed text is in: a row cancelled here is not
// posted.
void EmptyEntryGuard::check() {
    store::Table* t = m_table;
    if (!t || !t->Active() ||
        (t->State() != store::DataSetState::Edit && t->State() != store::DataSetState::Insert)) {
        return;
    }
    for (const QString& f : std::as_const(m_fields)) {
        if (!t->FieldByName(f).AsString().trimmed().isEmpty()) {
            return;
        }
    }
    t->Cancel();
}

}  // namespace lists
