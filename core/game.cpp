#include "core/game.h"

#include <cstdlib>

#include "core/board.h"
#include "core/collapse.h"
#include "core/records.h"
#include "core/selection.h"
#include "shell/shell.h"
#include "store/statefile.h"
#include "view/view.h"

namespace {

// Fewer bubbles than this left at the end earn a bonus per missing bubble.
constexpr int kBonusBubbles = 5;
constexpr int32_t kBonusPerBubble = 20;

bool showsIncoming(int32_t style) { return style == STYLE_CONTINUOUS || style == STYLE_MEGASHIFT; }

int countBubbles() {
  int left = 0;
  for (int col = 0; col < gameState.cols; ++col)
    for (int row = 0; row < gameState.rows; ++row) left += cellAt(col, row).occupied == 1 ? 1 : 0;
  return left;
}

}  // namespace

void newGame(HWND window) {
  splashShown = 0;
  gameState.seed = int32_t(Random());
  std::srand(unsigned(gameState.seed));

  gameState.style = options.gameStyle;
  gameState.bubbleSetAtStart = options.bubbleSet;
  playStatus.scoreSlotCount = options.scoreSlotCount;
  incomingShown = showsIncoming(gameState.style) ? 1 : 0;
  playStatus.scoreSlot = 0;
  gameState.moves = 0;

  RECT client = {0, 0, 0, 0};
  GetClientRect(window, &client);
  RECT below = {client.left, client.top + kHeaderHeight, client.right, client.bottom};
  HDC dc = GetDC(window);
  FillRect(dc, &below, HBRUSH(GetStockObject(WHITE_BRUSH)));
  ReleaseDC(window, dc);

  gameState.cellSize = kCellSize;
  gameState.colorCount = kColorCount;
  sizeBoardForWindow(window);

  runningScore() = 0;
  scoreBeforeMove = 0;
  canUndo = 0;
  playStatus.guestGame = options.guestMode ? 1 : 0;
  gameState.countsForStats = options.guestMode ? 0 : 1;

  // Fewer than two cells can never hold a move: deal nothing rather than refill for ever.
  if (gameState.cols * gameState.rows < 2) {
    clearSelection();
    clearBoard();
    return;
  }
  do {
    clearSelection();
    fillBoard();
  } while (!anyMoveLeft());
  if (incomingShown == 1) makeIncomingColumns();

  playStatus.gameInProgress = 1;
  saveStateFile();
}

LRESULT onNewGame(HWND window, int id, HWND control, int notification) {
  if (playStatus.gameInProgress == 1) return 0;
  hideInputPanel();
  newGame(window);
  updateCommandState();
  InvalidateRect(window, nullptr, FALSE);
  return 0;
}

bool anyMoveLeft() {
  for (int col = gameState.cols - 1; col >= 0; --col) {
    for (int row = gameState.rows - 1; row >= 0; --row) {
      int32_t color = cellAt(col, row).color;
      if (color == kNoColor) continue;
      if (row > 0 && cellAt(col, row - 1).color == color) return true;
      if (col > 0 && cellAt(col - 1, row).color == color) return true;
    }
  }
  return false;
}

void finishGame() {
  playStatus.gameInProgress = 0;
  canUndo = 0;
  clearSelection();
  endBonus = 0;

  int left = countBubbles();
  if (left < kBonusBubbles) {
    endBonus = (kBonusBubbles - left) * kBonusPerBubble;
    runningScore() += endBonus;
  }

  StyleStatistics& stats = statistics.styles[gameState.style];
  uint32_t score = uint32_t(runningScore());
  bool counts = gameState.countsForStats == 1;
  if (counts) {
    stats.gamesPlayed += 1;
    stats.totalScore += score;
    stats.totalMoves += uint32_t(gameState.moves);
  }
  playGameSound(counts && score > stats.highScore ? SOUND_HIGHSCORE : SOUND_END);
}

LRESULT undoMove(HWND window, int id, HWND control, int notification) {
  if (playStatus.gameInProgress == 0 || canUndo == 0) return 0;
  if (selectionShown == 1) {
    clearSelection();
    HDC dc = GetDC(window);
    hideValueBubble(window, dc);
    ReleaseDC(window, dc);
  }
  gameState.moves -= 1;
  selectionValue = 0;
  runningScore() = scoreBeforeMove;
  for (int col = 0; col < gameState.cols; ++col) {
    for (int row = 0; row < gameState.rows; ++row) {
      Cell& cell = cellAt(col, row);
      const UndoCell& saved = undoCellAt(col, row);
      cell.color = saved.color;
      cell.occupied = saved.occupied;
    }
  }
  if (showsIncoming(gameState.style)) gameState.incomingIndex = savedIncomingIndex;
  InvalidateRect(window, nullptr, FALSE);
  playGameSound(SOUND_UNDO);
  canUndo = 0;
  setCommandEnabled(CMD_UNDO, FALSE);
  saveStateFile();
  return 0;
}

void resumeGame() {
  incomingShown = showsIncoming(gameState.style) ? 1 : 0;
  for (int col = 0; col < gameState.cols; ++col)
    for (int row = 0; row < gameState.rows; ++row) cellAt(col, row).selected = 0;
}
