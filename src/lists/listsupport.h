#pragma once

namespace toolkit {
class DBGrid;
}

namespace lists {

// The last column takes what is left of the grid's width.
void fillWidth(toolkit::DBGrid* grid);

// Hands an open cell editor's text to the row, then posts a changed row and drops an
// unchanged new one, as leaving the grid for another row does.
void finishPending(toolkit::DBGrid* grid);

}  // namespace lists
