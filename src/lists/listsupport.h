#pragma once

namespace toolkit {
class DBGrid;
}

namespace lists {

// The last column takes what is left of the grid's width.
void fillWidth(toolkit::DBGrid* grid);

// Text typed into a cell reaches the row before every post of the grid's table, also when
// the post comes from a navigator button that leaves the cell editor open. Undone when the
// grid goes.
void postTypedCells(toolkit::DBGrid* grid);

// Hands an open cell editor's text to the row, then posts a changed row and drops an
// unchanged new one, as leaving the grid for another row does.
void finishPending(toolkit::DBGrid* grid);

}  // namespace lists
