// The startup demo: its figure, its three bursts and the splash it leaves.
#include "game_view_support.h"

namespace viewtest {
namespace {

class DemoTest : public ViewTest {
 protected:
  // Whether cell (col, row) showed the picture on the screen kept at a pause.
  ::testing::AssertionResult showedAt(const pk::Surface& screen, int col, int row, const Picture& picture) {
    RECT r = pk::wm::screenRect(window);
    const int x = r.left + cellAt(col, row).x, y = r.top + cellAt(col, row).y;
    for (int dy = 0; dy < 20; ++dy)
      for (int dx = 0; dx < 20; ++dx)
        if (screen.row(y + dy)[x + dx] != picture.surface.row(dy)[dx])
          return ::testing::AssertionFailure() << "cell (" << col << ", " << row << ") differs at " << dx << ","
                                               << dy;
    return ::testing::AssertionSuccess();
  }
  std::vector<int16_t> soundOf(int id) {
    const size_t before = host.sounds.size();
    playGameSound(id);
    std::vector<int16_t> out = host.sounds.size() > before ? host.sounds.back() : std::vector<int16_t>{};
    host.sounds.resize(before);
    return out;
  }
  int occupiedCells() {
    int n = 0;
    for (const Cell& cell : board.cells) n += cell.occupied;
    return n;
  }
};

TEST_F(DemoTest, WritesHiBurstsItAndLeavesTheSplash) {
  options.gameStyle = STYLE_MEGASHIFT;
  gameState.scores[0] = 77;
  const std::vector<int16_t> pop = soundOf(SOUND_POP), woopop = soundOf(SOUND_WOOPOP);
  const size_t objects = pk::automation::liveGdiObjects();
  const size_t dcs = pk::automation::liveDeviceContexts();
  runStartupDemo();
  EXPECT_EQ(pk::automation::liveGdiObjects(), objects);
  EXPECT_EQ(pk::automation::liveDeviceContexts(), dcs);

  EXPECT_EQ(gameState.cols, 11);
  EXPECT_EQ(gameState.rows, 12);
  EXPECT_EQ(gameState.style, STYLE_STANDARD);
  EXPECT_EQ(gameState.scores[0], 0);
  EXPECT_EQ(occupiedCells(), 0);
  EXPECT_EQ(demoRunning, 0);
  EXPECT_EQ(splashShown, 1);
  EXPECT_EQ(selectionShown, 0);
  EXPECT_EQ(playStatus.gameInProgress, 0);

  // Pauses: figure, underline outlined, its burst, after it; the I likewise; the H without the last.
  EXPECT_EQ(host.pauses, (std::vector<uint32_t>{250, 250, 200, 250, 250, 200, 250, 250, 200}));
  ASSERT_EQ(host.screens.size(), 9u);
  ASSERT_EQ(host.sounds.size(), 3u);
  EXPECT_EQ(host.sounds[0], pop);
  EXPECT_EQ(host.sounds[1], pop);
  EXPECT_EQ(host.sounds[2], woopop);

  // The figure as first painted.
  const Picture red = loadPicture(u"COLOR20A"), blue = loadPicture(u"COLOR20C"), yellow = loadPicture(u"COLOR20E");
  const Picture blank = loadPicture(u"BLANK20WHITE");
  for (int row = 3; row <= 7; ++row) {
    EXPECT_TRUE(showedAt(host.screens[0], 2, row, red));
    EXPECT_TRUE(showedAt(host.screens[0], 5, row, red));
    EXPECT_TRUE(showedAt(host.screens[0], 7, row, blue));
    EXPECT_TRUE(showedAt(host.screens[0], 6, row, blank));
  }
  EXPECT_TRUE(showedAt(host.screens[0], 3, 5, red));
  EXPECT_TRUE(showedAt(host.screens[0], 4, 5, red));
  EXPECT_TRUE(showedAt(host.screens[0], 3, 4, blank));
  for (int col = 2; col <= 7; ++col) EXPECT_TRUE(showedAt(host.screens[0], col, 8, yellow));

  // The underline outlined: a black frame around the six cells.
  RECT r = pk::wm::screenRect(window);
  EXPECT_EQ(host.screens[1].row(r.top + cellAt(2, 8).y + 10)[r.left + cellAt(2, 8).x], 0u);
  EXPECT_EQ(host.screens[1].row(r.top + cellAt(4, 8).y + 19)[r.left + cellAt(4, 8).x + 10], 0u);

  // Each burst over the cells where the collapse had put the letters.
  for (int col = 2; col <= 7; ++col) EXPECT_TRUE(showedAt(host.screens[2], col, 8, loadPicture(u"BURST_YELLOW_20")));
  for (int row = 7; row <= 11; ++row) EXPECT_TRUE(showedAt(host.screens[5], 10, row, loadPicture(u"BURST_BLUE_20")));
  const Picture bigRed = loadPicture(u"BBURST_RED_20");
  for (int row = 7; row <= 11; ++row) {
    EXPECT_TRUE(showedAt(host.screens[8], 7, row, bigRed));
    EXPECT_TRUE(showedAt(host.screens[8], 10, row, bigRed));
  }
  EXPECT_TRUE(showedAt(host.screens[8], 8, 11, bigRed));
  EXPECT_TRUE(showedAt(host.screens[8], 9, 11, bigRed));

  // The header as the demo drew it: the options' style, and the splash over the empty board.
  EXPECT_GT(countPixels(112, 3, 220, 18, 0x0000FF), 0);
  EXPECT_GT(countPixels(66, 3, 105, 18, kBlack), 0);
  EXPECT_TRUE(showsPicture(22, 75, loadPicture(u"SPLASH")));
  EXPECT_TRUE(cellShows(0, 0, blank));
}

TEST_F(DemoTest, GreySetBurstsBlackEveryTime) {
  options.bubbleSet = BUBBLES_GRAYSCALE;
  runStartupDemo();
  ASSERT_EQ(host.screens.size(), 9u);
  const Picture black = loadPicture(u"BURST_BLACK_20");
  EXPECT_TRUE(showedAt(host.screens[2], 2, 8, black));
  EXPECT_TRUE(showedAt(host.screens[5], 10, 11, black));
  EXPECT_TRUE(showedAt(host.screens[8], 7, 7, black));
}

TEST_F(DemoTest, RepaintAfterTheDemoShowsTheSplashAgain) {
  runStartupDemo();
  clearClient(RGB(0, 0, 0));
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  EXPECT_TRUE(showsPicture(22, 75, loadPicture(u"SPLASH")));
  EXPECT_TRUE(cellShows(0, 0, loadPicture(u"BLANK20WHITE")));
  EXPECT_EQ(countPixels(0, 20, 240, 21, kBlack), 240);
}

TEST_F(DemoTest, SmallWindowDrawsOnlyTheBoardInPlay) {
  clientWidth = 130;   // 5 columns
  clientHeight = 150;  // 6 rows
  TearDown();
  start();
  const size_t objects = pk::automation::liveGdiObjects();
  runStartupDemo();
  EXPECT_EQ(pk::automation::liveGdiObjects(), objects);
  EXPECT_EQ(gameState.cols, 5);
  EXPECT_EQ(gameState.rows, 6);
  // Only the H's upper part is in play and bursts; the rest waits for the next game.
  EXPECT_EQ(cellAt(2, 3).occupied, 0);
  EXPECT_EQ(cellAt(4, 5).occupied, 0);
  EXPECT_EQ(cellAt(7, 8).occupied, 1);
  EXPECT_EQ(cellAt(2, 6).occupied, 1);
  EXPECT_EQ(host.pauses.size(), 9u);
  EXPECT_EQ(splashShown, 1);
  EXPECT_EQ(demoRunning, 0);
}

}  // namespace
}  // namespace viewtest
