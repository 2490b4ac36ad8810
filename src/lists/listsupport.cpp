#include "listsupport.h"

#include <QApplication>
#include <QHeaderView>
#include <QPointer>

#include "toolkit/grid.h"

namespace lists {

namespace {

store::Table* tableOf(toolkit::DBGrid* grid) {
    return grid && grid->dataSource() ? grid->dataSource()->DataSet() : nullptr;
}

void commitEditor(toolkit::DBGrid* grid) {
    if (!grid) {
        return;
    }
    // An open cell editor holds the focus inside the grid: no other control of the grid
    // takes it.
    QWidget* editor = QApplication::focusWidget();
    if (!editor || editor == grid || !grid->viewport()->isAncestorOf(editor)) {
        return;
    }
    // The view's own slots, as the delegate calls them when the editor is left.
    QMetaObject::invokeMethod(grid, "commitData", Qt::DirectConnection, Q_ARG(QWidget*, editor));
    QMetaObject::invokeMethod(
        grid, "closeEditor", Qt::DirectConnection, Q_ARG(QWidget*, editor),
        Q_ARG(QAbstractItemDelegate::EndEditHint, QAbstractItemDelegate::NoHint));
}

}  // namespace

void fillWidth(toolkit::DBGrid* grid) {
    grid->horizontalHeader()->setStretchLastSection(true);
}

void postTypedCells(toolkit::DBGrid* grid) {
    QPointer<store::Table> table = tableOf(grid);
    if (!table) {
        return;
    }
    QPointer<toolkit::DBGrid> view = grid;
    const int id = table->addUpdateRecordHook([view] { commitEditor(view); });
    QObject::connect(grid, &QObject::destroyed, table, [table, id] {
        if (table) {
            table->removeUpdateRecordHook(id);
        }
    });
}

void finishPending(toolkit::DBGrid* grid) {
    store::Table* table = tableOf(grid);
    if (!table || !table->Active()) {
        return;
    }
    commitEditor(grid);
    table->CheckBrowseMode();
}

}  // namespace lists
