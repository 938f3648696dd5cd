#include "core/selection.h"

#include "core/records.h"

namespace {

// The cell (col, row) is in play and has this colour.
bool sameColor(int col, int row, int32_t color) {
  return col >= 0 && row >= 0 && col < gameState.cols && row < gameState.rows && cellAt(col, row).color == color;
}

// Two-point polyline: the end point is not drawn.
void line(HDC dc, int x0, int y0, int x1, int y1) {
  POINT points[2] = {{x0, y0}, {x1, y1}};
  Polyline(dc, points, 2);
}

void drawCellOutline(HDC dc, int col, int row, bool up, bool down, bool left, bool right) {
  const Cell& cell = cellAt(col, row);
  int32_t color = cell.color;
  int x = cell.x;
  int y = cell.y;
  int s = gameState.cellSize;
  if (!up) line(dc, x, y, x + s, y);
  if (!down) line(dc, x, y + s - 1, x + s, y + s - 1);
  if (!left) line(dc, x, y, x, y + s);
  if (!right) line(dc, x + s - 1, y, x + s - 1, y + s);
  // Inner corners: single pixels where the group turns around a cell not in it.
  if (left && up && !sameColor(col - 1, row - 1, color)) line(dc, x, y, x, y + 1);
  if (right && up && !sameColor(col + 1, row - 1, color)) line(dc, x + s - 1, y, x + s - 1, y + 1);
  if (left && down && !sameColor(col - 1, row + 1, color)) line(dc, x, y + s - 1, x, y + s);
  if (right && down && !sameColor(col + 1, row + 1, color)) line(dc, x + s - 1, y + s - 1, x + s - 1, y + s);
}

}  // namespace

int32_t groupValue(int32_t count) { return count > 0 ? count * (count - 1) : 0; }

void selectGroup(HDC dc, int col, int row) {
  Cell& cell = cellAt(col, row);
  if (cell.selected == 1) return;
  cell.selected = 1;
  ++selectionCount;
  // A running count; the tap handler turns it into the group's value.
  selectionValue = selectionCount;

  int32_t color = cell.color;
  bool up = sameColor(col, row - 1, color);
  if (up) selectGroup(dc, col, row - 1);
  bool down = sameColor(col, row + 1, color);
  if (down) selectGroup(dc, col, row + 1);
  bool left = sameColor(col - 1, row, color);
  if (left) selectGroup(dc, col - 1, row);
  bool right = sameColor(col + 1, row, color);
  if (right) selectGroup(dc, col + 1, row);

  if (selectionCount >= 2) {
    drawCellOutline(dc, col, row, up, down, left, right);
    selectionShown = 1;
  } else {
    // Only the outermost call of a lone bubble gets here.
    clearSelection();
  }
}

void clearSelection() {
  selectionCount = 0;
  selectionShown = 0;
  selectionValue = 0;
  for (int col = 0; col < gameState.cols; ++col)
    for (int row = 0; row < gameState.rows; ++row) cellAt(col, row).selected = 0;
}

void computeSelectionValue() { selectionValue = groupValue(selectionCount); }

void addMoveValue() {
  int32_t value = groupValue(selectionCount);
  // Wraps like the 32-bit word it is rather than overflowing.
  runningScore() = int32_t(uint32_t(runningScore()) + uint32_t(value));
  StyleStatistics& stats = statistics.styles[gameState.style];
  if (value > stats.bestMove) stats.bestMove = value;
}
