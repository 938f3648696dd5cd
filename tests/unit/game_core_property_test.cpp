// Random games in every style, checking after each burst what must always hold.
#include <random>

#include "core/collapse.h"
#include "core/game.h"
#include "core/selection.h"
#include "game_core_fixture.h"

namespace {

class RandomGames : public coretest::Device, public ::testing::WithParamInterface<int> {};

::testing::AssertionResult boardHolds(int style, int bubblesBefore, int burst) {
  const int cols = gameState.cols;
  const int rows = gameState.rows;
  int bubbles = 0;
  for (int col = 0; col < kMaxCols; ++col) {
    for (int row = 0; row < kMaxRows; ++row) {
      const Cell& cell = cellAt(col, row);
      bool inPlay = col < cols && row < rows;
      if (cell.occupied != (cell.color == kNoColor ? 0 : 1) || cell.color < -1 || cell.color > 4)
        return ::testing::AssertionFailure() << "cell " << col << "," << row << " colour and occupied disagree";
      if (!inPlay && cell.occupied) return ::testing::AssertionFailure() << "bubble outside the area";
      if (!inPlay) continue;
      bubbles += cell.occupied;
      if (row + 1 < rows && cell.occupied && !cellAt(col, row + 1).occupied)
        return ::testing::AssertionFailure() << "bubble floats at " << col << "," << row;
    }
  }
  bool refills = style == STYLE_CONTINUOUS || style == STYLE_MEGASHIFT;
  bool slides = style == STYLE_SHIFTER || style == STYLE_MEGASHIFT;
  if (!refills && bubbles != bubblesBefore - burst)
    return ::testing::AssertionFailure() << "bubbles " << bubbles << " after " << bubblesBefore << " - " << burst;
  bool seenColumn = false;
  for (int col = 0; col < cols; ++col) {
    bool empty = !cellAt(col, rows - 1).occupied;
    if (refills && empty) return ::testing::AssertionFailure() << "column " << col << " left empty";
    if (empty && seenColumn) return ::testing::AssertionFailure() << "empty column " << col << " right of a full one";
    seenColumn = seenColumn || !empty;
  }
  if (slides) {
    for (int row = 0; row < rows; ++row) {
      bool seen = false;
      for (int col = 0; col < cols; ++col) {
        bool occupied = cellAt(col, row).occupied;
        if (seen && !occupied) return ::testing::AssertionFailure() << "row " << row << " not packed right";
        seen = seen || occupied;
      }
    }
  }
  if (refills && (gameState.incomingIndex < 0 || gameState.incomingIndex >= kIncomingColumnCount))
    return ::testing::AssertionFailure() << "incoming index " << gameState.incomingIndex;
  return ::testing::AssertionSuccess();
}

TEST_P(RandomGames, EveryBurstLeavesASoundBoard) {
  const int style = GetParam();
  constexpr int kGames = 1000;
  std::mt19937 random(1234 + style);
  HDC screen = GetDC(window);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 240, 268);
  ReleaseDC(window, screen);
  HGDIOBJ previous = SelectObject(dc, bitmap);
  size_t gdiBefore = pk::automation::liveGdiObjects();
  int totalBursts = 0;

  for (int game = 0; game < kGames; ++game) {
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
      bool selected = false;
      for (auto [col, row] : cells) {
        if (!cellAt(col, row).occupied) continue;
        selectGroup(dc, col, row);
        if (selectionShown) {
          selected = true;
          break;
        }
      }
      ASSERT_EQ(selected, anyMoveLeft()) << "a group exists exactly when a move is left";
      if (!selected) break;

      int bubbles = 0;
      int marked = 0;
      for (int col = 0; col < gameState.cols; ++col) {
        for (int row = 0; row < gameState.rows; ++row) {
          bubbles += cellAt(col, row).occupied;
          marked += cellAt(col, row).selected;
        }
      }
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
  EXPECT_EQ(pk::automation::liveGdiObjects(), gdiBefore);
  EXPECT_GT(totalBursts, kGames);
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

INSTANTIATE_TEST_SUITE_P(EveryStyle, RandomGames,
                         ::testing::Values(STYLE_STANDARD, STYLE_CONTINUOUS, STYLE_SHIFTER, STYLE_MEGASHIFT));

}  // namespace
