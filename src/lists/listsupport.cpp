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

}  // namespace lists
