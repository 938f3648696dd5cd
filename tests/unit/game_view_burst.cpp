// The burst picture with its sound and pause, and the strip of incoming bubbles.
#include "game_view_support.h"

namespace viewtest {
namespace {

class BurstTest : public ViewTest {
 protected:
  // The samples the game's own sound of this id plays, to recognise it later.
  std::vector<int16_t> soundOf(int id) {
    const size_t before = host.sounds.size();
    playGameSound(id);
    std::vector<int16_t> out = host.sounds.size() > before ? host.sounds.back() : std::vector<int16_t>{};
    host.sounds.resize(before);
    return out;
  }
  // Selects the first n cells of the board in column order, all made red.
  void selectRed(int n) {
    int done = 0;
    for (int i = 0; i < gameState.cols && done < n; ++i)
      for (int j = 0; j < gameState.rows && done < n; ++j, ++done) {
        cellAt(i, j).color = 0;
        cellAt(i, j).selected = 1;
      }
    selectionCount = n;
    selectionShown = 1;
  }
  void burst(int color) {
    HDC dc = GetDC(window);
    const size_t objects = pk::automation::liveGdiObjects();
    playBurst(window, dc, color);
    EXPECT_EQ(pk::automation::liveGdiObjects(), objects);
    ReleaseDC(window, dc);
  }
  void paintAll() {
    HDC dc = GetDC(window);
    paintBoard(window, dc);
    ReleaseDC(window, dc);
  }
};

TEST_F(BurstTest, NineBubblesBurstSmallWithThePop) {
  dealPattern(11, 12);
  selectRed(9);
  paintAll();
  const std::vector<int16_t> pop = soundOf(SOUND_POP);
  ASSERT_FALSE(pop.empty());
  burst(0);
  const Picture small = loadPicture(u"BURST_RED_20");
  for (int j = 0; j < 9; ++j) EXPECT_TRUE(cellShows(0, j, small)) << j;
  EXPECT_TRUE(cellShows(0, 9, loadPicture(colorPictureName(9 % 5))));  // not in the group
  ASSERT_EQ(host.sounds.size(), 1u);
  EXPECT_EQ(host.sounds.back(), pop);
  EXPECT_EQ(host.pauses, std::vector<uint32_t>{200});
}

TEST_F(BurstTest, TenBubblesBurstBigWithTheBigPop) {
  dealPattern(11, 12);
  selectRed(10);
  const std::vector<int16_t> woopop = soundOf(SOUND_WOOPOP);
  ASSERT_FALSE(woopop.empty());
  ASSERT_NE(woopop, soundOf(SOUND_POP));
  burst(0);
  const Picture big = loadPicture(u"BBURST_RED_20");
  for (int j = 0; j < 10; ++j) EXPECT_TRUE(cellShows(j / 12, j % 12, big)) << j;
  ASSERT_EQ(host.sounds.size(), 1u);
  EXPECT_EQ(host.sounds.back(), woopop);
}

TEST_F(BurstTest, PictureFollowsTheColourGivenNotTheCells) {
  const char16_t* small[] = {u"BURST_RED_20", u"BURST_GREEN_20", u"BURST_BLUE_20", u"BURST_PURPLE_20",
                             u"BURST_YELLOW_20"};
  dealPattern(11, 12);
  selectRed(3);
  for (int k = 0; k < 5; ++k) {
    burst(k);
    EXPECT_TRUE(cellShows(0, 1, loadPicture(small[k]))) << k;
  }
}

TEST_F(BurstTest, GreySetAlwaysBurstsBlack) {
  options.bubbleSet = BUBBLES_GRAYSCALE;
  dealPattern(11, 12);
  selectRed(12);
  const std::vector<int16_t> woopop = soundOf(SOUND_WOOPOP);
  burst(4);
  for (int j = 0; j < 12; ++j) EXPECT_TRUE(cellShows(0, j, loadPicture(u"BURST_BLACK_20"))) << j;
  EXPECT_EQ(host.sounds.back(), woopop);
}

TEST_F(BurstTest, SilentWhenSoundsAreOffButStillPauses) {
  options.playSounds = 0;
  dealPattern(4, 4);
  selectRed(2);
  burst(0);
  EXPECT_TRUE(host.sounds.empty());
  EXPECT_EQ(host.pauses, std::vector<uint32_t>{200});
}

class StripTest : public ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    gameState.rows = 11;
    incomingShown = 1;
    for (auto& column : gameState.incomingColumns)
      for (auto& entry : column) entry = kNoColor;
  }
  void drawStrip() {
    HDC dc = GetDC(window);
    const size_t objects = pk::automation::liveGdiObjects();
    const size_t dcs = pk::automation::liveDeviceContexts();
    drawIncomingStrip(dc);
    EXPECT_EQ(pk::automation::liveGdiObjects(), objects);
    EXPECT_EQ(pk::automation::liveDeviceContexts(), dcs);
    ReleaseDC(window, dc);
  }
  static constexpr int kLine = 268 - 20;
  static constexpr int kBand = 268 - 17;
};

TEST_F(StripTest, FiveBubblesAreCentredInOrderFromTheBottomEntry) {
  gameState.incomingIndex = 7;
  for (int i = 0; i < 5; ++i) gameState.incomingColumns[7][i] = i;
  gameState.incomingColumns[6][0] = 3;  // another column: not shown
  drawStrip();
  const char16_t* names[] = {u"COLOR14A", u"COLOR14B", u"COLOR14C", u"COLOR14D", u"COLOR14E"};
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(showsPicture(85 + 14 * i, kBand, loadPicture(names[i]))) << i;
  EXPECT_EQ(countPixels(0, kLine, 240, kLine + 1, kBlack), 240);
  EXPECT_EQ(countPixels(0, kBand, 85, 268, kWhite), 85 * 17);
  EXPECT_EQ(countPixels(155, kBand, 240, 268, kWhite), 85 * 17);
}

TEST_F(StripTest, GapsInAColumnLeaveNoGapsInTheStrip) {
  options.bubbleSet = BUBBLES_GRAYSCALE;
  gameState.incomingColumns[0][0] = 1;
  gameState.incomingColumns[0][4] = 2;
  gameState.incomingColumns[0][11] = 3;  // past the rows in play
  drawStrip();
  EXPECT_TRUE(showsPicture(106, kBand, loadPicture(u"GRAY14B")));
  EXPECT_TRUE(showsPicture(120, kBand, loadPicture(u"GRAY14C")));
  EXPECT_EQ(countPixels(134, kBand, 240, 268, kWhite), 106 * 17);
}

TEST_F(StripTest, EmptyColumnDrawsTheLineAndClearsTheBand) {
  clearClient(RGB(0, 0, 0));
  drawStrip();
  EXPECT_EQ(countPixels(0, kLine, 240, kLine + 1, kBlack), 240);
  EXPECT_EQ(countPixels(0, kBand, 240, 268, kWhite), 240 * 17);
  // The two rows between the line and the band are not the strip's to clear.
  EXPECT_EQ(countPixels(0, kLine + 1, 240, kBand, kBlack), 240 * 2);
  EXPECT_EQ(countPixels(0, 0, 240, kLine, kBlack), 240 * kLine);
}

TEST_F(StripTest, NothingWithoutTheStripOrWithADamagedQueue) {
  clearClient(RGB(0, 0, 0));
  incomingShown = 0;
  gameState.incomingColumns[0][0] = 1;
  drawStrip();
  EXPECT_EQ(countPixels(0, 0, 240, 268, kBlack), 240 * 268);

  incomingShown = 1;
  gameState.incomingIndex = 25;
  drawStrip();
  EXPECT_EQ(countPixels(0, kBand, 240, 268, kWhite), 240 * 17);
  gameState.incomingIndex = 0;
  gameState.incomingColumns[0][1] = 40;  // no such colour: its place stays blank
  drawStrip();
  EXPECT_TRUE(showsPicture(106, kBand, loadPicture(u"COLOR14B")));
  EXPECT_EQ(countPixels(120, kBand, 134, 268, kWhite), 14 * 17);
}

}  // namespace
}  // namespace viewtest
