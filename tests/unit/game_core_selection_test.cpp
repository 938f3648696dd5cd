// Selecting a group: who joins it, what it is worth, and the outline the
// flood fill draws while it goes.
#include <set>

#include "core/selection.h"
#include "game_core_fixture.h"

namespace {

using coretest::BigDevice;
using coretest::Device;
using Pixels = std::set<std::pair<int, int>>;

// A white memory surface to select into, read back pixel by pixel.
struct Canvas {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ previous;
  Canvas(int width, int height) {
    HDC screen = GetDC(nullptr);
    dc = CreateCompatibleDC(screen);
    bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    previous = SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, HBRUSH(GetStockObject(WHITE_BRUSH)));
  }
  ~Canvas() {
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  Pixels black() const {
    Pixels out;
    const pk::Surface* s = pk::gdi::bitmapSurface(bitmap);
    for (int y = 0; y < s->height; ++y)
      for (int x = 0; x < s->width; ++x)
        if (s->row(y)[x] == 0) out.insert({x, y});
    return out;
  }
};

void hline(Pixels& p, int x0, int x1, int y) {
  for (int x = x0; x <= x1; ++x) p.insert({x, y});
}
void vline(Pixels& p, int x, int y0, int y1) {
  for (int y = y0; y <= y1; ++y) p.insert({x, y});
}

std::set<std::pair<int, int>> selectedCells() {
  std::set<std::pair<int, int>> out;
  for (int col = 0; col < kMaxCols; ++col)
    for (int row = 0; row < kMaxRows; ++row)
      if (cellAt(col, row).selected) out.insert({col, row});
  return out;
}

class Select : public Device {
 protected:
  Canvas canvas{240, 268};
};

TEST_F(Select, GroupsJoinThroughEdgesOnly) {
  setBoard({
      "0101",
      "1011",
      "0.01",
      "..00",
  });
  selectGroup(canvas.dc, 3, 0);
  // Diagonal neighbours of the same colour never join; the 1s at (1,0) and (0,1) stay out.
  EXPECT_EQ(selectedCells(), (std::set<std::pair<int, int>>{{3, 0}, {3, 1}, {2, 1}, {3, 2}}));
  EXPECT_EQ(selectionCount, 4);
  EXPECT_EQ(selectionShown, 1);
  // While filling, the value is the running count; the handler makes it the group's value.
  EXPECT_EQ(selectionValue, 4);
  computeSelectionValue();
  EXPECT_EQ(selectionValue, 12);

  clearSelection();
  EXPECT_TRUE(selectedCells().empty());
  EXPECT_EQ(selectionCount, 0);
  EXPECT_EQ(selectionShown, 0);
  EXPECT_EQ(selectionValue, 0);

  // Empty cells never join, though they are "the same" as each other.
  selectGroup(canvas.dc, 2, 2);
  EXPECT_EQ(selectedCells(), (std::set<std::pair<int, int>>{{2, 2}, {2, 3}, {3, 3}}));
}

TEST_F(Select, ALoneBubbleIsRefusedAndNothingIsDrawn) {
  setBoard({"012", "340", "123"});
  selectGroup(canvas.dc, 1, 1);
  EXPECT_TRUE(selectedCells().empty());
  EXPECT_EQ(selectionCount, 0);
  EXPECT_EQ(selectionValue, 0);
  EXPECT_EQ(selectionShown, 0);
  EXPECT_TRUE(canvas.black().empty());
}

TEST_F(Select, AGroupStopsAtTheEdgeOfTheAreaInPlay) {
  setBoard({"22", "22"});
  // Same colour just outside the area: never part of the game.
  cellAt(2, 0) = {2, 0, 0, 1, 0};
  cellAt(0, 2) = {2, 0, 0, 1, 0};
  selectGroup(canvas.dc, 1, 1);
  EXPECT_EQ(selectionCount, 4);
  EXPECT_EQ(cellAt(2, 0).selected, 0);
  EXPECT_EQ(cellAt(0, 2).selected, 0);
}

TEST_F(Select, TheOutlineOfAnLShapeClosesItsInnerCorner) {
  setBoard({
      "1111",
      "1001",
      "1011",
      "1111",
  });
  selectGroup(canvas.dc, 1, 1);
  ASSERT_EQ(selectionCount, 3);
  const Cell& a = cellAt(1, 1);
  const Cell& b = cellAt(2, 1);
  const Cell& c = cellAt(1, 2);
  Pixels want;
  hline(want, a.x, a.x + 19, a.y);      // a: top
  vline(want, a.x, a.y, a.y + 19);      // a: left
  want.insert({a.x + 19, a.y + 19});    // a: the inner corner
  hline(want, b.x, b.x + 19, b.y);      // b: top
  hline(want, b.x, b.x + 19, b.y + 19); // b: bottom
  vline(want, b.x + 19, b.y, b.y + 19); // b: right
  hline(want, c.x, c.x + 19, c.y + 19); // c: bottom
  vline(want, c.x, c.y, c.y + 19);      // c: left
  vline(want, c.x + 19, c.y, c.y + 19); // c: right
  EXPECT_EQ(canvas.black(), want);
}

TEST_F(Select, ASquareGetsAClosedFrameWithoutCornerPixels) {
  setBoard({"330", "331", "012"});
  selectGroup(canvas.dc, 0, 0);
  ASSERT_EQ(selectionCount, 4);
  const Cell& tl = cellAt(0, 0);
  Pixels want;
  hline(want, tl.x, tl.x + 39, tl.y);
  hline(want, tl.x, tl.x + 39, tl.y + 39);
  vline(want, tl.x, tl.y, tl.y + 39);
  vline(want, tl.x + 39, tl.y, tl.y + 39);
  EXPECT_EQ(canvas.black(), want);
}

TEST_F(Select, ARingGetsFourInnerCornerPixels) {
  setBoard({
      "444",
      "404",
      "444",
  });
  selectGroup(canvas.dc, 0, 0);
  ASSERT_EQ(selectionCount, 8);
  const Cell& tl = cellAt(0, 0);
  const Cell& hole = cellAt(1, 1);
  Pixels want;
  hline(want, tl.x, tl.x + 59, tl.y);
  hline(want, tl.x, tl.x + 59, tl.y + 59);
  vline(want, tl.x, tl.y, tl.y + 59);
  vline(want, tl.x + 59, tl.y, tl.y + 59);
  // The frame around the hole is drawn by its four neighbours...
  hline(want, hole.x, hole.x + 19, hole.y - 1);
  hline(want, hole.x, hole.x + 19, hole.y + 20);
  vline(want, hole.x - 1, hole.y, hole.y + 19);
  vline(want, hole.x + 20, hole.y, hole.y + 19);
  // ...and closed at its corners by single pixels of the diagonal cells.
  want.insert({hole.x - 1, hole.y - 1});
  want.insert({hole.x + 20, hole.y - 1});
  want.insert({hole.x - 1, hole.y + 20});
  want.insert({hole.x + 20, hole.y + 20});
  EXPECT_EQ(canvas.black(), want);
}

TEST_F(BigDevice, AWholeBoardOfOneColourIsOneGroup) {
  std::vector<std::string> rows(22, std::string(22, '2'));
  setBoard(rows);
  Canvas canvas(480, 468);
  size_t gdiBefore = pk::automation::liveGdiObjects();
  selectGroup(canvas.dc, 11, 11);
  EXPECT_EQ(pk::automation::liveGdiObjects(), gdiBefore);
  EXPECT_EQ(selectionCount, 484);
  computeSelectionValue();
  EXPECT_EQ(selectionValue, 233772);
  // Only the board's own border is drawn.
  const Cell& tl = cellAt(0, 0);
  int right = tl.x + 22 * 20 - 1;
  int bottom = tl.y + 22 * 20 - 1;
  Pixels want;
  hline(want, tl.x, right, tl.y);
  hline(want, tl.x, right, bottom);
  vline(want, tl.x, tl.y, bottom);
  vline(want, right, tl.y, bottom);
  EXPECT_EQ(canvas.black(), want);
}

TEST_F(Device, BurstValuesGrowTheScoreAndTheBestMove) {
  setBoard({"00"});
  gameState.style = STYLE_SHIFTER;
  statistics.styles[STYLE_SHIFTER].bestMove = 50;
  runningScore() = 7;
  selectionCount = 10;
  addMoveValue();
  EXPECT_EQ(runningScore(), 97);
  EXPECT_EQ(statistics.styles[STYLE_SHIFTER].bestMove, 90);
  selectionCount = 5;
  addMoveValue();
  EXPECT_EQ(runningScore(), 117);
  EXPECT_EQ(statistics.styles[STYLE_SHIFTER].bestMove, 90);
  // Other styles' records are not touched, and guest games count for the best move too.
  EXPECT_EQ(statistics.styles[STYLE_STANDARD].bestMove, 0);
  gameState.countsForStats = 0;
  playStatus.guestGame = 1;
  selectionCount = 20;
  addMoveValue();
  EXPECT_EQ(statistics.styles[STYLE_SHIFTER].bestMove, 380);
  selectionCount = 0;
  addMoveValue();
  EXPECT_EQ(runningScore(), 497);
}

}  // namespace
