#include "core/tap.h"

#include "core/board.h"
#include "core/collapse.h"
#include "core/game.h"
#include "core/records.h"
#include "core/selection.h"
#include "shell/shell.h"
#include "store/statefile.h"
#include "view/view.h"

namespace {

void burstSelection(HWND window, HDC dc, const Cell& tapped) {
  playBurst(window, dc, tapped.color);
  for (int col = 0; col < gameState.cols; ++col) {
    for (int row = 0; row < gameState.rows; ++row) {
      const Cell& cell = cellAt(col, row);
      undoCellAt(col, row) = {cell.color, cell.occupied};
    }
  }
  scoreBeforeMove = runningScore();
  removeSelected(dc);
  collapseBoard(dc);
  addMoveValue();
  drawScoreHeader(window, dc);
  gameState.moves += 1;
  canUndo = 1;
  setCommandEnabled(CMD_UNDO, TRUE);
  saveStateFile();
}

}  // namespace

bool cellAtPoint(HWND window, int x, int y, int* col, int* row) {
  RECT client = {0, 0, 0, 0};
  GetClientRect(window, &client);
  int mx = 0;
  int my = 0;
  boardMargins(&client, &mx, &my);
  int s = gameState.cellSize;
  if (s <= 0) return false;
  int dy = y - my - kHeaderHeight;
  int dx = x - mx;
  // Division truncates toward zero: up to s - 1 pixels left of the board still count as column 0.
  *row = dy / s;
  *col = dx / s;
  return dy >= 0 && dy < s * gameState.rows && *col >= 0 && *col < gameState.cols;
}

LRESULT onTap(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (GetActiveWindow() != mainWindow) return 0;
  if (playStatus.gameInProgress == 0) {
    playGameSound(SOUND_CRITICAL);
    return 0;
  }
  int x = LOWORD(lParam);
  int y = HIWORD(lParam);
  int col = 0;
  int row = 0;
  if (!cellAtPoint(window, x, y, &col, &row)) {
    if (selectionShown == 1) {
      HDC dc = GetDC(window);
      hideValueBubble(window, dc);
      repaintSelectedCells(dc);
      clearSelection();
      ReleaseDC(window, dc);
    }
    return 0;
  }

  HDC dc = GetDC(window);
  const Cell& tapped = cellAt(col, row);
  if (selectionShown == 1) {
    hideValueBubble(window, dc);
    repaintSelectedCells(dc);
    if (tapped.selected == 1) burstSelection(window, dc, tapped);
    // Any tap on the board drops the selection; a new group takes one more tap.
    clearSelection();
    computeSelectionValue();
  } else {
    if (tapped.occupied == 1) selectGroup(dc, col, row);
    if (selectionCount > 1 && demoRunning == 0) {
      computeSelectionValue();
      showValueBubble(window, dc, col, row);
    }
  }
  ReleaseDC(window, dc);
  if (!anyMoveLeft()) onEndGame(window, CMD_END_GAME, nullptr, 0);
  return 0;
}
