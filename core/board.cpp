#include "core/board.h"

#include <cstdlib>

#include "core/records.h"
#include "shell/shell.h"

namespace {

int stripHeight() { return incomingShown == 1 ? kStripHeight : 0; }

int limitCount(int count, int most) {
  if (count > most) return most;
  // A window shorter than its bands would give a negative count.
  if (count < 0) return 0;
  return count;
}

}  // namespace

void initGameCore() {
  selectionShown = 0;
  demoRunning = 0;
  splashShown = 0;
  canUndo = 0;
  incomingShown = 0;
  firstShow = 1;
}

void clearBoard() {
  for (Cell& cell : board.cells) {
    cell.color = kNoColor;
    cell.occupied = 0;
    cell.selected = 0;
  }
  for (UndoCell& cell : undoBoard.cells) {
    cell.color = kNoColor;
    cell.occupied = 0;
  }
}

void emptyCell(int col, int row) {
  Cell& cell = cellAt(col, row);
  cell.occupied = 0;
  cell.color = kNoColor;
}

void fillBoard() {
  clearBoard();
  for (int col = 0; col < gameState.cols; ++col) {
    for (int row = 0; row < gameState.rows; ++row) {
      // Always five colours here, whatever colorCount says: the order of draws fixes the board.
      int32_t color = std::rand() % kColorCount;
      Cell& cell = cellAt(col, row);
      cell.color = color;
      cell.occupied = 1;
      undoCellAt(col, row) = {color, 1};
    }
  }
  layoutBoard();
}

void boardMargins(const RECT* client, int* marginX, int* marginY) {
  int s = gameState.cellSize;
  int width = client->right - client->left;
  int height = client->bottom - client->top;
  int mx = (width - gameState.cols * s) / 2;
  int my = (height - stripHeight() - gameState.rows * s - kHeaderHeight) / 2;
  *marginX = mx < kMinLeftMargin ? kMinLeftMargin : mx;
  *marginY = my < kMinTopMargin ? kMinTopMargin : my;
}

void layoutBoard() {
  // Before the main window is recorded the rectangle stays empty; start-up lays out again.
  RECT client = {0, 0, 0, 0};
  GetClientRect(mainWindow, &client);
  int mx = 0;
  int my = 0;
  boardMargins(&client, &mx, &my);
  int s = gameState.cellSize;
  for (int col = 0; col < gameState.cols; ++col) {
    for (int row = 0; row < gameState.rows; ++row) {
      Cell& cell = cellAt(col, row);
      cell.x = mx + col * s;
      cell.y = kHeaderHeight + my + row * s;
    }
  }
}

void sizeBoardForWindow(HWND window) {
  RECT client = {0, 0, 0, 0};
  GetClientRect(window, &client);
  int h = client.bottom - client.top - kHeaderHeight - stripHeight();
  int w = client.right - client.left - kSideAllowance;
  gameState.rows = limitCount(h / kCellSize, kMaxRows);
  gameState.cols = limitCount(w / kCellSize, kMaxCols);
}
