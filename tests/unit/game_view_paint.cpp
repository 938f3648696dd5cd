// Painting the board, its outline, the splash and the paint message.
#include "game_view_support.h"

namespace viewtest {
namespace {

class PaintTest : public ViewTest {
 protected:
  void paint() {
    HDC dc = GetDC(window);
    paintBoard(window, dc);
    ReleaseDC(window, dc);
  }
  void select(std::initializer_list<std::pair<int, int>> cells) {
    for (auto [c, r] : cells) cellAt(c, r).selected = 1;
    selectionShown = 1;
  }
};

TEST_F(PaintTest, BoardShowsEveryCellsPictureAndTheSeparator) {
  dealPattern(11, 12);
  cellAt(4, 4).color = kNoColor;
  cellAt(4, 4).occupied = 0;
  const size_t objects = pk::automation::liveGdiObjects();
  paint();
  EXPECT_EQ(pk::automation::liveGdiObjects(), objects);

  Picture pictures[5];
  for (int k = 0; k < 5; ++k) pictures[k] = loadPicture(colorPictureName(k));
  const Picture blank = loadPicture(u"BLANK20WHITE");
  for (int i = 0; i < 11; ++i)
    for (int j = 0; j < 12; ++j)
      EXPECT_TRUE(cellShows(i, j, (i == 4 && j == 4) ? blank : pictures[(i + j) % 5])) << i << "," << j;
  EXPECT_EQ(cellAt(0, 0).x, 10);
  EXPECT_EQ(cellAt(0, 0).y, 24);

  // The separator spans the window at y 20, and nothing else is drawn in the margins.
  EXPECT_EQ(countPixels(0, 20, 240, 21, kBlack), 240);
  EXPECT_EQ(countPixels(0, 21, 10, 268, kWhite), 10 * 247);
  EXPECT_EQ(countPixels(0, 21, 240, 24, kWhite), 240 * 3);
}

TEST_F(PaintTest, GreySetAndDamagedCellsFallBackSafely) {
  options.bubbleSet = BUBBLES_GRAYSCALE;
  dealPattern(3, 3);
  cellAt(1, 1).color = 17;  // a damaged record: occupied with no such colour
  paint();
  for (int i = 0; i < 3; ++i) {
    const char16_t* names[] = {u"GRAY20A", u"GRAY20B", u"GRAY20C", u"GRAY20D", u"GRAY20E"};
    for (int j = 0; j < 3; ++j)
      if (!(i == 1 && j == 1)) {
        EXPECT_TRUE(cellShows(i, j, loadPicture(names[(i + j) % 5])));
      }
  }
  EXPECT_TRUE(cellShows(1, 1, loadPicture(u"BLANK20WHITE")));

  // A board claiming more columns than exist is drawn over the 22 that do.
  gameState.cols = 40;
  gameState.rows = 30;
  const size_t objects = pk::automation::liveGdiObjects();
  paint();
  EXPECT_EQ(pk::automation::liveGdiObjects(), objects);
  EXPECT_TRUE(cellShows(0, 0, loadPicture(u"GRAY20A")));
}

TEST_F(PaintTest, HeaderIsLeftAloneWhileTheDemoRuns) {
  dealPattern(11, 12);
  demoRunning = 1;
  paint();
  EXPECT_EQ(countPixels(0, 0, 240, 20, kWhite), 240 * 20);
  demoRunning = 0;
  paint();
  EXPECT_GT(countPixels(20, 3, 66, 18, 0x0000FF), 0);  // "Score:" in blue
  EXPECT_GT(countPixels(112, 3, 220, 18, 0x0000FF), 0);  // the style name
}

TEST_F(PaintTest, OutlineFramesAGroupAndClosesItsInnerCorners) {
  dealPattern(11, 12);
  // A lone cell, an L of three and a 2 x 2 block.
  select({{0, 0}, {4, 2}, {5, 2}, {4, 3}, {7, 6}, {8, 6}, {7, 7}, {8, 7}});
  paint();
  const int s = 20;

  // Lone cell in column 0: all four edges.
  int x = cellAt(0, 0).x, y = cellAt(0, 0).y;
  EXPECT_EQ(countPixels(x, y, x + s, y + 1, kBlack), s);
  EXPECT_EQ(countPixels(x, y + s - 1, x + s, y + s, kBlack), s);
  EXPECT_EQ(countPixels(x, y, x + 1, y + s, kBlack), s);
  EXPECT_EQ(countPixels(x + s - 1, y, x + s, y + s, kBlack), s);

  // L: (4,2) has left and top edges, no right edge (neighbour (5,2)), no bottom edge ((4,3)),
  // and the single corner pixel at its bottom-right, where (5,3) is not in the group.
  const Picture p42 = loadPicture(colorPictureName((4 + 2) % 5));
  x = cellAt(4, 2).x;
  y = cellAt(4, 2).y;
  EXPECT_EQ(countPixels(x, y, x + s, y + 1, kBlack), s);
  EXPECT_EQ(countPixels(x, y, x + 1, y + s, kBlack), s);
  EXPECT_EQ(pixel(x + s - 1, y + s - 1), kBlack);
  EXPECT_EQ(pixel(x + s - 1, y + 10), p42.surface.row(10)[s - 1]);
  EXPECT_EQ(pixel(x + 10, y + s - 1), p42.surface.row(s - 1)[10]);
  // (5,2) is closed on the right and bottom; (4,3) on the right and bottom too.
  x = cellAt(5, 2).x;
  y = cellAt(5, 2).y;
  EXPECT_EQ(countPixels(x + s - 1, y, x + s, y + s, kBlack), s);
  EXPECT_EQ(countPixels(x, y + s - 1, x + s, y + s, kBlack), s);
  x = cellAt(4, 3).x;
  y = cellAt(4, 3).y;
  EXPECT_EQ(countPixels(x + s - 1, y, x + s, y + s, kBlack), s);
  EXPECT_EQ(countPixels(x, y + s - 1, x + s, y + s, kBlack), s);

  // 2 x 2 block: no inner corner pixel anywhere inside it.
  x = cellAt(7, 6).x;
  y = cellAt(7, 6).y;
  const Picture p76 = loadPicture(colorPictureName((7 + 6) % 5));
  const Picture p87 = loadPicture(colorPictureName((8 + 7) % 5));
  EXPECT_EQ(pixel(x + s - 1, y + s - 1), p76.surface.row(s - 1)[s - 1]);
  EXPECT_EQ(pixel(x + s, y + s), p87.surface.row(0)[0]);
  EXPECT_EQ(countPixels(x, y, x + 2 * s, y + 1, kBlack), 2 * s);
  EXPECT_EQ(countPixels(x, y + 2 * s - 1, x + 2 * s, y + 2 * s, kBlack), 2 * s);
}

TEST_F(PaintTest, OutlineStopsAtTheBoardInPlay) {
  dealPattern(3, 2);
  // Flags outside the area in play are never looked at.
  cellAt(3, 0).selected = 1;
  cellAt(0, 2).selected = 1;
  select({{2, 0}, {2, 1}});
  paint();
  const int x = cellAt(2, 0).x, y = cellAt(2, 0).y;
  EXPECT_EQ(countPixels(x + 19, y, x + 20, y + 40, kBlack), 40);  // right edge at the last column
  EXPECT_EQ(countPixels(x, y + 39, x + 20, y + 40, kBlack), 20);  // bottom edge at the last row
  EXPECT_EQ(countPixels(x + 1, y + 19, x + 19, y + 21, kBlack), 0);  // no line between the two
}

TEST_F(PaintTest, SelectionFlagsAreIgnoredWhileNoSelectionIsShown) {
  dealPattern(4, 4);
  cellAt(1, 1).selected = 1;
  paint();
  EXPECT_TRUE(cellShows(1, 1, loadPicture(colorPictureName(2))));
}

TEST_F(PaintTest, RepaintingSelectedCellsErasesTheOutlineOnly) {
  dealPattern(5, 5);
  select({{1, 1}, {2, 1}});
  cellAt(3, 3).selected = 1;
  cellAt(3, 3).occupied = 0;
  cellAt(3, 3).color = kNoColor;
  paint();
  HDC dc = GetDC(window);
  // Marks an empty selected cell and an unselected one: neither is to be touched.
  RECT empty = {cellAt(3, 3).x, cellAt(3, 3).y, cellAt(3, 3).x + 20, cellAt(3, 3).y + 20};
  RECT other = {cellAt(0, 0).x, cellAt(0, 0).y, cellAt(0, 0).x + 20, cellAt(0, 0).y + 20};
  FillRect(dc, &empty, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  FillRect(dc, &other, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  const size_t objects = pk::automation::liveGdiObjects();
  repaintSelectedCells(dc);
  EXPECT_EQ(pk::automation::liveGdiObjects(), objects);
  ReleaseDC(window, dc);
  EXPECT_TRUE(cellShows(1, 1, loadPicture(colorPictureName(2))));
  EXPECT_TRUE(cellShows(2, 1, loadPicture(colorPictureName(3))));
  EXPECT_EQ(countPixels(empty.left, empty.top, empty.right, empty.bottom, kBlack), 400);
  EXPECT_EQ(countPixels(other.left, other.top, other.right, other.bottom, kBlack), 400);
}

TEST_F(PaintTest, SplashStandsAtItsPlace) {
  const Picture splash = loadPicture(u"SPLASH");
  ASSERT_TRUE(splash.loaded);
  ASSERT_EQ(splash.surface.width, 196);
  ASSERT_EQ(splash.surface.height, 110);
  HDC dc = GetDC(window);
  const size_t objects = pk::automation::liveGdiObjects();
  drawSplash(dc);
  EXPECT_EQ(pk::automation::liveGdiObjects(), objects);
  ReleaseDC(window, dc);
  EXPECT_TRUE(showsPicture(22, 75, splash));
  EXPECT_EQ(countPixels(0, 0, 240, 75, kWhite), 240 * 75);
  EXPECT_EQ(countPixels(0, 75, 22, 268, kWhite), 22 * 193);
}

TEST_F(PaintTest, MissingPicturesDrawNothingAndLeakNothing) {
  dealPattern(5, 5);
  appInstance = nullptr;
  const size_t objects = pk::automation::liveGdiObjects();
  const size_t dcs = pk::automation::liveDeviceContexts();
  HDC dc = GetDC(window);
  paintBoard(window, dc);
  drawSplash(dc);
  ReleaseDC(window, dc);
  EXPECT_EQ(pk::automation::liveGdiObjects(), objects);
  EXPECT_EQ(pk::automation::liveDeviceContexts(), dcs);
  EXPECT_EQ(countPixels(0, 21, 240, 268, kWhite), 240 * 247);
}

class FirstPaintTest : public PaintTest {
 protected:
  void firstPaint() {
    firstShow = 1;
    colorResolution = 0;
    dealPattern(11, 12);
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
  }
};

TEST_F(FirstPaintTest, MeasuresTheDisplayAndDrawsNothing) {
  firstPaint();
  EXPECT_EQ(colorResolution, 16);
  EXPECT_EQ(options.bubbleSet, BUBBLES_COLORFUL);
  EXPECT_EQ(countPixels(0, 0, 240, 268, kWhite), 240 * 268);
}

TEST_F(FirstPaintTest, PoorDisplayForcesTheGreySet) {
  deviceBits = 4;
  TearDown();
  start();
  firstPaint();
  EXPECT_EQ(colorResolution, 4);
  EXPECT_EQ(options.bubbleSet, BUBBLES_GRAYSCALE);
  // Later paints keep the first measurement.
  firstShow = 0;
  pk::device().config.bits = 24;
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  EXPECT_EQ(colorResolution, 4);
  EXPECT_TRUE(cellShows(0, 0, loadPicture(u"GRAY20A")));
}

TEST_F(PaintTest, PaintMessageRedrawsBoardStripAndValueBubble) {
  dealPattern(11, 11);
  incomingShown = 1;
  gameState.incomingColumns[0][0] = 0;
  playStatus.gameInProgress = 1;
  select({{3, 3}, {3, 4}});
  selectionValue = 2;
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  EXPECT_EQ(countPixels(0, 248, 240, 249, kBlack), 240);  // the strip's line
  EXPECT_NE(valueBubbleRect.right, 0);
  EXPECT_EQ(valueBubbleRect.right, cellAt(3, 3).x);
  EXPECT_TRUE(showsPicture(113, 251, loadPicture(u"COLOR14A")));
}

TEST_F(PaintTest, PaintWithTheSplashUpNeverShowsTheValueBubble) {
  dealPattern(11, 12);
  splashShown = 1;
  playStatus.gameInProgress = 1;
  select({{0, 0}, {0, 1}});
  selectionValue = 2;
  valueBubbleRect = {1, 2, 3, 4};
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  EXPECT_EQ(valueBubbleRect.left, 1);
  EXPECT_EQ(valueBubbleRect.bottom, 4);
  EXPECT_TRUE(showsPicture(22, 75, loadPicture(u"SPLASH")));
  EXPECT_TRUE(cellShows(10, 11, loadPicture(colorPictureName(21 % 5))));
  EXPECT_EQ(pixel(cellAt(0, 0).x, cellAt(0, 0).y + 5), kBlack);  // the outline is part of the board
}

}  // namespace
}  // namespace viewtest
