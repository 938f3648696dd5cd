// Random games in every style, checking after each burst what must always hold.
#include <random>

#include "core/collapse.h"
#include "core/game.h"
#include "core/selection.h"
#include "game_fixture.h"

namespace gametest {
namespace {

::testing::AssertionResult boardHolds(int style, int bubblesBefore, int burst) {
  const int cols = gameState.cols, rows = gameState.rows;
  const bool refills = style == STYLE_CONTINUOUS || style == STYLE_MEGASHIFT;
  const bool slides = style == STYLE_SHIFTER || style == STYLE_MEGASHIFT;
  int bubbles = 0;
  for (int col = 0; col < kMaxCols; ++col)
    for (int row = 0; row < kMaxRows; ++row) {
      const Cell& cell = cellAt(col, row);
      if (cell.occupied != (cell.color != kNoColor) || cell.color < -1 || cell.color > 4)
        return ::testing::AssertionFailure() << "cell " << col << "," << row << " colour and occupied disagree";
      if (cell.occupied && (col >= cols || row >= rows)) return ::testing::AssertionFailure() << "bubble outside";
      bubbles += cell.occupied;
      if (cell.occupied && row + 1 < rows && !cellAt(col, row + 1).occupied)
        return ::testing::AssertionFailure() << "bubble floats at " << col << "," << row;
      if (slides && row < rows && col + 1 < cols && cell.occupied && !cellAt(col + 1, row).occupied)
        return ::testing::AssertionFailure() << "row " << row << " not packed right";
    }
  if (!refills && bubbles != bubblesBefore - burst)
    return ::testing::AssertionFailure() << bubbles << " bubbles after " << bubblesBefore << " - " << burst;
  for (int col = 0; col + 1 < cols; ++col)
    if (!cellAt(col + 1, rows - 1).occupied && (refills || cellAt(col, rows - 1).occupied))
      return ::testing::AssertionFailure() << "empty column " << col + 1 << " not closed";
  if (refills && (!cellAt(0, rows - 1).occupied || gameState.incomingIndex < 0 ||
                  gameState.incomingIndex >= kIncomingColumnCount))
    return ::testing::AssertionFailure() << "refill missing, index " << gameState.incomingIndex;
  return ::testing::AssertionSuccess();
}

class RandomGames : public Game, public ::testing::WithParamInterface<int> {};

TEST_P(RandomGames, EveryBurstLeavesASoundBoard) {
  const int style = GetParam();
  std::mt19937 random(1234 + style);
  HDC screenDc = GetDC(window);
  HDC dc = CreateCompatibleDC(screenDc);
  HBITMAP bitmap = CreateCompatibleBitmap(screenDc, 240, 268);
  ReleaseDC(window, screenDc);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  int totalBursts = 0;
  const size_t objects = pk::automation::liveGdiObjects();
  for (int game = 0; game < 1000; ++game) {
    gameState.style = style;
    gameState.cols = 1 + int(random() % 7);
    gameState.rows = 1 + int(random() % 7);
    gameState.cellSize = kCellSize;
    gameState.colorCount = kColorCount;
    runningScore() = 0;
    std::srand(unsigned(random()));
    fillBoard();
    makeIncomingColumns();
    int32_t sumOfBursts = 0;
    std::vector<std::pair<int, int>> cells;
    for (int col = 0; col < gameState.cols; ++col)
      for (int row = 0; row < gameState.rows; ++row) cells.push_back({col, row});
    for (int move = 0; move < 60; ++move) {
      std::shuffle(cells.begin(), cells.end(), random);
      for (auto [col, row] : cells)
        if (cellAt(col, row).occupied && (selectGroup(dc, col, row), selectionShown)) break;
      ASSERT_EQ(selectionShown == 1, anyMoveLeft()) << "a group exists exactly when a move is left";
      if (!selectionShown) break;
      int bubbles = 0, marked = 0;
      for (const Cell& cell : board.cells) bubbles += cell.occupied, marked += cell.selected;
      ASSERT_EQ(marked, selectionCount);
      removeSelected(dc);
      collapseBoard(dc);
      addMoveValue();
      clearSelection();
      sumOfBursts += marked * (marked - 1);
      ++totalBursts;
      ASSERT_TRUE(boardHolds(style, bubbles, marked)) << "game " << game << " move " << move;
      ASSERT_EQ(runningScore(), sumOfBursts);
    }
  }
  EXPECT_EQ(pk::automation::liveGdiObjects(), objects);
  EXPECT_GT(totalBursts, 1000);
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

INSTANTIATE_TEST_SUITE_P(EveryStyle, RandomGames,
                         ::testing::Values(STYLE_STANDARD, STYLE_CONTINUOUS, STYLE_SHIFTER, STYLE_MEGASHIFT));

}  // namespace
}  // namespace gametest
