// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

namespace store {
class Table;
}
namespace toolkit {
class DBGrid;
}

namespace lists {

// The last column takes what is left of the grid's width.
void fillWidth(toolkit::DBGrid* grid);

// Hands an open cell editor's text to the row, then posts a changed row and drops an
// unchanged new one, as leaving the grid for another row does.
void finishPending(toolkit::DBGrid* grid);

// Keeps an entry whose texts are all empty out of a list, however its post comes (a post
// button, a move to another row, closing): a new one is dropped, an edit that erased them
// is undone. It stands guard while its owner lives; it runs after the controls made before
// it have handed over their typed text.
class EmptyEntryGuard final : public QObject {
    Q_OBJECT

public:
    EmptyEntryGuard(store::Table* table, const QStringList& fields, QObject* owner);
    ~EmptyEntryGuard() override;

private:
    void check();

    QPointer<store::Table> m_table;
    QStringList m_fields;
    int m_hook = 0;
};

}  // namespace lists
