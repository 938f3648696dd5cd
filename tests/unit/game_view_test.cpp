// What the board view puts on the screen: cells, separator, outline, header,
// value bubble, strip, bursts, splash and the startup demo.
#include "core/selection.h"
#include "game_fixture.h"

namespace gametest {
namespace {

// Every cell a bubble of colour (col + row) % 5.
Rows pattern(int cols, int rows) {
  Rows out(rows, std::string(cols, '0'));
  for (int row = 0; row < rows; ++row)
    for (int col = 0; col < cols; ++col) out[row][col] = char('0' + (col + row) % 5);
  return out;
}

TEST_F(Game, PaintDrawsTheOutlineAsSelectingDid) {
  setBoard({"1111", "1001", "1011", "1111", "0022"});
  draw([](HDC dc) { selectGroup(dc, 1, 1), selectGroup(dc, 3, 4); });  // the second at the last column and row
  cellAt(4, 4).selected = cellAt(3, 5).selected = 1;  // flags beyond the board in play are never looked at
  auto selected = screen();
  paint();
  EXPECT_EQ(screen(), selected);
  // A group round holes, with inner corners of every kind.
  setBoard({"44444", "44404", "44444", "40444", "44404"});
  draw([](HDC dc) { selectGroup(dc, 0, 0); });
  const auto ring = screen();
  cellAt(0, 21).selected = 1;  // nor the cell before column 1's first, which row -1 would name
  paint();
  EXPECT_EQ(screen(), ring);
  // Repainting the selected cells takes the outline away and nothing else; cells
  // beyond the board in play are never looked at, whatever they hold.
  cellAt(5, 0) = cellAt(0, 5) = {1, cellAt(0, 0).x, cellAt(0, 0).y, 1, 1};
  draw(repaintSelectedCells);
  EXPECT_TRUE(boardOnScreen());
}

struct ValueBubble : Game {
  void show(int col = -1, int row = -1) {
    draw([&](HDC dc) { showValueBubble(window, dc, col, row); });
  }
  void hide() {
    draw([&](HDC dc) { hideValueBubble(window, dc); });
  }
};

TEST_F(ValueBubble, ABoxUpAndLeftOfTheFirstCellInReadingOrderThatHidingTakesAway) {
  setBoard(pattern(11, 12));
  // Column 3 comes first column by column, (5, 4) row by row.
  selectCells({{3, 6}, {3, 5}, {4, 5}, {5, 5}, {5, 4}});
  show(3, 6);
  // "20" is 10 x 12 pixels in 10-pixel Tahoma: a box 13 wider than the text, raised by its height and 3.
  const int d = 10 + 13, x0 = cellAt(5, 4).x - d, y0 = cellAt(5, 4).y - (12 + 3);
  EXPECT_EQ(std::tuple(valueBubbleRect.left, valueBubbleRect.top, valueBubbleRect.right, valueBubbleRect.bottom),
            std::tuple(x0, y0, x0 + d, y0 + d));
  // Tinted by the colour of the cell given; white on a poor display.
  const uint32_t tints[6] = {0xFFAFAF, 0xAFFFAF, 0xAFAFFF, 0xFFAFFF, 0xFFFFAF, kWhite};
  for (int k = 0; k < 6; ++k) {
    cellAt(3, 6).color = k % 5;
    colorResolution = k == 5 ? 7 : 8;
    show(3, 6);
    EXPECT_EQ(pixel(x0 + 3, y0 + d / 2), tints[k]) << k;
  }
  // Kept right of the left edge, even when one pixel short of it, and below the separator.
  clearSelection();
  resizeClient(258, 268);  // the first cell at 19: the box would start at 1
  layoutBoard();
  selectCells({{0, 0}, {1, 0}});
  show();
  EXPECT_EQ(std::tuple(valueBubbleRect.left, valueBubbleRect.top), std::tuple(2, 22));

  // Hiding restores the board pixel for pixel.
  resizeClient(240, 268);
  setBoard(pattern(11, 12));
  valueBubbleRect = {5, 6, 7, 8};
  const auto before = screen();
  cellAt(0, 12).selected = 1;  // below the board in play, as the demo's underline lies on a short screen
  show();  // nothing selected in play: nothing drawn
  mainWindow = nullptr;
  selectCells({{4, 4}, {4, 5}, {4, 6}, {4, 7}, {4, 8}, {4, 9}, {4, 10}, {4, 11}, {3, 4}, {3, 5}, {3, 6}});
  show(4, 4);  // not the main window: nothing drawn
  mainWindow = window;
  show(4, kMaxRows), show(4, -1), show(kMaxCols, 0);  // nor for a cell off the board
  show();
  hide();
  EXPECT_EQ(screen(), before);
}

TEST_F(Game, TheStripShowsTheNextColumnCentredFromItsBottomEntry) {
  gameState.rows = 11;
  incomingShown = 1;
  for (auto& column : gameState.incomingColumns)
    for (auto& entry : column) entry = kNoColor;
  auto strip = [&] { draw(drawIncomingStrip); };
  gameState.incomingIndex = 7;
  for (int i = 0; i < 5; ++i) gameState.incomingColumns[7][i] = i;
  gameState.incomingColumns[6][0] = 3;
  clearClient(RGB(0, 0, 0));
  strip();
  const char16_t* names[] = {u"COLOR14A", u"COLOR14B", u"COLOR14C", u"COLOR14D", u"COLOR14E"};
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(shows(85 + 14 * i, 251, names[i])) << i;
  EXPECT_EQ(std::pair(countPixels(0, 0, 240, 248, kBlack), countPixels(0, 249, 240, 251, kBlack)), std::pair(240 * 248, 240 * 2));

  // Gaps in a column and entries past the rows leave no gap; a colour not known stays blank.
  options.bubbleSet = BUBBLES_GRAYSCALE;
  gameState.incomingIndex = 0;
  gameState.incomingColumns[0][0] = 1;
  gameState.incomingColumns[0][3] = 40;
  gameState.incomingColumns[0][4] = 2;
  gameState.incomingColumns[0][11] = 3;
  strip();
  EXPECT_TRUE(shows(127, 251, u"GRAY14C"));
  EXPECT_EQ(countPixels(141, 251, 240, 268, kWhite), 99 * 17);

  // With a damaged index, no bubble at all.
  gameState.incomingIndex = 25;
  strip();
  EXPECT_EQ(countPixels(0, 251, 240, 268, kWhite), 240 * 17);
}

TEST_F(Game, BurstsPickTheirPictureAndSoundByGroupSize) {
  setBoard(pattern(11, 12));
  struct Case {
    int count, color, set;
    const char16_t* picture;
    const char* sound;
  } cases[] = {{9, 0, BUBBLES_COLORFUL, u"BURST_RED_20", "wav_pop"},
               {10, 0, BUBBLES_COLORFUL, u"BBURST_RED_20", "wav_woopop"},
               {3, 4, BUBBLES_COLORFUL, u"BURST_YELLOW_20", "wav_pop"},
               {12, 2, BUBBLES_GRAYSCALE, u"BURST_BLACK_20", "wav_woopop"},
               {2, 1, BUBBLES_GRAYSCALE, u"BURST_BLACK_20", "wav_pop"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    host.notes.clear();
    options.bubbleSet = c.set;
    paint();
    for (int j = 0; j < 12; ++j) cellAt(0, j).selected = j < c.count;
    cellAt(1, 0).selected = c.count > 11;
    selectionCount = c.count;
    draw([&](HDC dc) { playBurst(window, dc, c.color); });
    for (int j = 0; j < std::min(c.count, 12); ++j) EXPECT_TRUE(cellShows(0, j, c.picture));
    EXPECT_EQ(soundsPlayed(), std::vector<std::string>{std::string("sound resource ") + c.sound + " played"});
  }
}

TEST_F(Game, TheDemoWritesHiBurstsItAndLeavesTheSplash) {
  options.gameStyle = STYLE_MEGASHIFT;
  gameState.scores[0] = 77;
  host.keepScreens = true;
  EXPECT_NO_GDI_LEAK(runStartupDemo());
  EXPECT_EQ(std::tuple(gameState.style, gameState.scores[0], playStatus.scoreSlot, demoRunning, selectionShown, playStatus.gameInProgress),
            std::tuple(0, 0, 0u, 0, 0, 0u));  // a slot but 0 would make the next save one the load refuses
  EXPECT_EQ(splashShown, 1);
  // Figure, outline, burst for the underline, the I and the H.
  ASSERT_EQ(host.screens.size(), 9u);
  const pk::Surface& figure = host.screens[0];
  for (int row = 3; row <= 7; ++row) {
    EXPECT_TRUE(cellShows(2, row, u"COLOR20A", figure) && cellShows(5, row, u"COLOR20A", figure));
    EXPECT_TRUE(cellShows(7, row, u"COLOR20C", figure) && cellShows(6, row, u"BLANK20WHITE", figure));
  }
  EXPECT_TRUE(cellShows(3, 5, u"COLOR20A", figure) && cellShows(4, 5, u"COLOR20A", figure) &&
              cellShows(2, 2, u"BLANK20WHITE", figure));  // nothing above the H
  for (int col = 2; col <= 7; ++col) EXPECT_TRUE(cellShows(col, 8, u"COLOR20E", figure));
  for (auto [col, row, at] : {std::tuple{2, 8, 1}, {10, 7, 4}, {7, 9, 7}})  // the underline's outline, the I's, the H's
    EXPECT_EQ(pixel(cellAt(col, row).x, cellAt(col, row).y + 10, host.screens[size_t(at)]), kBlack);
  for (int row = 7; row <= 11; ++row) {
    EXPECT_TRUE(cellShows(10, row, u"BURST_BLUE_20", host.screens[5]));
    EXPECT_TRUE(cellShows(7, row, u"BBURST_RED_20", host.screens[8]));
  }
  EXPECT_GT(countPixels(112, 3, 220, 18, kBlue), 0);
  EXPECT_TRUE(shows(22, 75, u"SPLASH"));

  // A repaint shows the splash again over the empty board.
  clearClient(RGB(0, 0, 0));
  repaint();
  EXPECT_TRUE(shows(22, 75, u"SPLASH"));
  EXPECT_TRUE(cellShows(0, 0, u"BLANK20WHITE"));
  resizeClient(1000, 900);  // the largest board: the demo reads no cell past it
  EXPECT_NO_GDI_LEAK(runStartupDemo());
}

// The header names the running game's style; with none running, the style the next game will have.
TEST_F(Game, TheHeaderNamesTheRunningGamesStyleElseTheNextOnes) {
  auto header = [&] { return clearClient(), draw([&](HDC dc) { drawStyleHeader(window, dc); }), screen(); };
  playStatus.gameInProgress = 0;
  options.gameStyle = STYLE_SHIFTER;
  const auto shifter = header();
  options.gameStyle = STYLE_STANDARD;
  const auto standard = header();
  EXPECT_NE(standard, shifter);
  playStatus.gameInProgress = 1;
  gameState.style = STYLE_SHIFTER;
  options.gameStyle = STYLE_CONTINUOUS;
  EXPECT_EQ(header(), shifter);
  gameState.style = kStyleCount;  // no such style: named as the first, which it plays as
  EXPECT_EQ(header(), standard);
}

TEST_F(Game, TheFirstPaintMeasuresTheDisplayAndDrawsNothingLaterOnesEveryCell) {
  for (int bits : {8, 4}) {  // 8 bits is the poorest display that shows colours
    stop();
    start(bits);
    firstShow = 1;
    colorResolution = 0;
    setBoard(pattern(11, 12));
    clearClient();
    repaint();
    EXPECT_EQ(colorResolution, bits);
    EXPECT_EQ(options.bubbleSet, bits < 8 ? BUBBLES_GRAYSCALE : BUBBLES_COLORFUL);
    EXPECT_EQ(countPixels(0, 0, 240, 268, kWhite), 240 * 268);
  }
  // Later paints draw every cell, a damaged one blank, and no more than the 22 columns there are.
  firstShow = 0;  // start-up's part
  cellAt(1, 1).color = 17;
  gameState.cols = 40;
  EXPECT_NO_GDI_LEAK(repaint());
  EXPECT_TRUE(cellShows(1, 1, u"BLANK20WHITE"));

  // Without its pictures nothing is drawn and nothing leaks.
  clearClient();
  appInstance = nullptr;
  paint();
  draw(drawSplash);
  EXPECT_EQ(countPixels(0, 21, 240, 268, kWhite), 240 * 247);
}

}  // namespace
}  // namespace gametest
