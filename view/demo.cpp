#include <windows.h>

#include "core/board.h"
#include "core/collapse.h"
#include "core/records.h"
#include "core/selection.h"
#include "shell/shell.h"
#include "view/view.h"
#include "view/view_internal.h"

namespace {

constexpr DWORD kDemoPause = 250;
constexpr int32_t kRed = 0, kBlue = 2, kYellow = 4;

void placeBubble(int col, int row, int32_t color) {
  Cell& cell = cellAt(col, row);
  cell.color = color;
  cell.occupied = 1;
}

// H and I over a yellow underline.
void writeFigure() {
  for (int row = 3; row <= 7; ++row) {
    placeBubble(2, row, kRed);
    placeBubble(5, row, kRed);
    placeBubble(7, row, kBlue);
  }
  placeBubble(3, 5, kRed);
  placeBubble(4, 5, kRed);
  for (int col = 2; col <= 7; ++col) placeBubble(col, 8, kYellow);
}

// Selects every bubble of one colour, counting them so the burst knows its size.
void selectColor(int32_t color) {
  const int cols = colsInPlay(), rows = rowsInPlay();
  for (int col = 0; col < cols; ++col) {
    for (int row = 0; row < rows; ++row) {
      Cell& cell = cellAt(col, row);
      if (cell.occupied == 1 && cell.color == color) {
        cell.selected = 1;
        ++selectionCount;
      }
    }
  }
  selectionShown = 1;
}

void burstSelection(HDC dc, int32_t color) {
  playBurst(mainWindow, dc, color);
  removeSelected(dc);
  collapseBoard(dc);
  clearSelection();
}

}  // namespace

void runStartupDemo() {
  demoRunning = 1;
  HDC dc = GetDC(mainWindow);

  playStatus.scoreSlot = 0;
  gameState.scores[0] = 0;
  gameState.cellSize = kCellSize;
  gameState.style = STYLE_STANDARD;

  // Sized as a new game would be, so a tiny window gives an empty board, never a negative one.
  sizeBoardForWindow(mainWindow);

  clearSelection();
  clearBoard();
  UpdateWindow(mainWindow);
  drawScoreHeader(mainWindow, dc);
  drawStyleHeader(mainWindow, dc);
  layoutBoard();

  // The figure is written whole even on a board too small for it; cells
  // outside the board in play are never drawn and the next game clears them.
  writeFigure();
  paintBoard(mainWindow, dc);
  Sleep(kDemoPause);

  // The underline is selected without counting, so it bursts small.
  for (int col = 2; col <= 7; ++col) cellAt(col, 8).selected = 1;
  selectionShown = 1;
  paintBoard(mainWindow, dc);
  Sleep(kDemoPause);
  burstSelection(dc, kYellow);
  Sleep(kDemoPause);

  selectColor(kBlue);
  paintBoard(mainWindow, dc);
  Sleep(kDemoPause);
  burstSelection(dc, kBlue);
  Sleep(kDemoPause);

  selectColor(kRed);
  paintBoard(mainWindow, dc);
  Sleep(kDemoPause);
  burstSelection(dc, kRed);

  splashShown = 1;
  drawSplash(dc);
  ReleaseDC(mainWindow, dc);
  demoRunning = 0;
}
