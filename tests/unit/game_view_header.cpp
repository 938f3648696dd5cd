// The header texts and the selection-value bubble.
#include "game_view_support.h"

namespace viewtest {
namespace {

constexpr uint32_t kBlue = 0x0000FF;

class HeaderTest : public ViewTest {
 protected:
  // Leftmost and rightmost columns holding a pixel of the value within a band.
  std::pair<int, int> span(int left, int top, int right, int bottom, uint32_t value, bool equal = true) {
    int first = -1, last = -1;
    for (int x = left; x < right; ++x)
      for (int y = top; y < bottom; ++y)
        if ((pixel(x, y) == value) == equal) {
          if (first < 0) first = x;
          last = x;
        }
    return {first, last};
  }
  void drawScore(int32_t score) {
    gameState.scores[0] = score;
    HDC dc = GetDC(window);
    drawScoreHeader(window, dc);
    ReleaseDC(window, dc);
  }
  void drawStyle() {
    HDC dc = GetDC(window);
    drawStyleHeader(window, dc);
    ReleaseDC(window, dc);
  }
};

TEST_F(HeaderTest, ScoreLabelAndNumberStandInTheirBoxes) {
  const size_t objects = pk::automation::liveGdiObjects();
  drawScore(4321);
  EXPECT_EQ(pk::automation::liveGdiObjects(), objects);
  auto [labelLeft, labelRight] = span(0, 0, 240, 20, kBlue);
  EXPECT_GE(labelLeft, 20);
  EXPECT_LT(labelRight, 66);
  auto [numberLeft, numberRight] = span(66, 0, 240, 20, kBlack);
  EXPECT_GE(numberLeft, 66);
  EXPECT_LT(numberRight, 105);
  EXPECT_EQ(span(0, 18, 240, 268, kWhite, false).first, -1);  // nothing drawn below the band

  // A shorter score erases the longer one before it.
  drawScore(7);
  EXPECT_LT(span(66, 0, 240, 20, kBlack).second, 66 + 10);
  // A negative score keeps its sign (the "%ld" of a 32-bit word).
  drawScore(-5);
  const int width = span(66, 0, 240, 20, kBlack).second - span(66, 0, 240, 20, kBlack).first;
  drawScore(5);
  EXPECT_GT(width, span(66, 0, 240, 20, kBlack).second - span(66, 0, 240, 20, kBlack).first);
  // One far too wide for its box runs past it unclipped.
  drawScore(2000000000);
  EXPECT_GE(span(66, 0, 240, 20, kBlack).second, 105);
}

TEST_F(HeaderTest, StyleNameEndsTwentyPixelsFromTheRight) {
  playStatus.gameInProgress = 1;
  gameState.style = STYLE_CONTINUOUS;
  const size_t objects = pk::automation::liveGdiObjects();
  drawStyle();
  EXPECT_EQ(pk::automation::liveGdiObjects(), objects);
  auto [left, right] = span(0, 0, 240, 20, kBlue);
  EXPECT_GE(left, 112);
  EXPECT_LT(right, 220);
  EXPECT_GE(right, 214);

  // A shorter name leaves nothing of the longer one.
  gameState.style = STYLE_SHIFTER;
  drawStyle();
  const int shifterLeft = span(0, 0, 240, 20, kBlue).first;
  EXPECT_GT(shifterLeft, left);
  EXPECT_EQ(span(0, 0, shifterLeft, 20, kWhite, false).first, -1);
}

TEST_F(HeaderTest, StyleNameFollowsTheGameOrTheOptions) {
  auto leftOf = [&] {
    drawStyle();
    return span(0, 0, 240, 20, kBlue).first;
  };
  playStatus.gameInProgress = 1;
  gameState.style = STYLE_MEGASHIFT;
  options.gameStyle = STYLE_STANDARD;
  const int megaShift = leftOf();
  playStatus.gameInProgress = 0;
  const int standard = leftOf();
  EXPECT_NE(megaShift, standard);
  options.gameStyle = STYLE_MEGASHIFT;
  EXPECT_EQ(leftOf(), megaShift);
  // A damaged style word shows the style it plays as.
  options.gameStyle = 9;
  EXPECT_EQ(leftOf(), standard);
}

class ValueBubbleTest : public ViewTest {
 protected:
  SIZE textExtent(const char16_t* text) {
    HDC dc = GetDC(window);
    LOGFONTW lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = -10;
    std::memcpy(lf.lfFaceName, u"Tahoma", 7 * sizeof(char16_t));
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentExPointW(dc, text, int(std::char_traits<char16_t>::length(text)), 0, nullptr, nullptr, &size);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(window, dc);
    return size;
  }
  void selectCells(std::initializer_list<std::pair<int, int>> cells) {
    for (auto [c, r] : cells) cellAt(c, r).selected = 1;
    selectionCount = int32_t(cells.size());
    selectionValue = selectionCount * (selectionCount - 1);
    selectionShown = 1;
  }
  void show(int col, int row) {
    HDC dc = GetDC(window);
    showValueBubble(window, dc, col, row);
    ReleaseDC(window, dc);
  }
  void hide() {
    HDC dc = GetDC(window);
    hideValueBubble(window, dc);
    ReleaseDC(window, dc);
  }
  void paintAll() {
    HDC dc = GetDC(window);
    paintBoard(window, dc);
    ReleaseDC(window, dc);
  }
};

TEST_F(ValueBubbleTest, CircleSitsUpAndLeftOfTheGroup) {
  dealPattern(11, 12);
  selectCells({{5, 6}, {6, 6}, {5, 7}});  // value 6
  paintAll();
  const SIZE text = textExtent(u"6");
  const int d = text.cx + 13;
  const size_t objects = pk::automation::liveGdiObjects();
  show(5, 6);
  EXPECT_EQ(pk::automation::liveGdiObjects(), objects);
  const int x0 = cellAt(5, 6).x - d, y0 = cellAt(5, 6).y - (text.cy + 3);
  EXPECT_EQ(valueBubbleRect.left, x0);
  EXPECT_EQ(valueBubbleRect.top, y0);
  EXPECT_EQ(valueBubbleRect.right, x0 + d);
  EXPECT_EQ(valueBubbleRect.bottom, y0 + d);
  // The rim touches the box's top and left sides (its exact pixels are the library's).
  EXPECT_GT(countPixels(x0, y0, x0 + d, y0 + 1, kBlack), 0);
  EXPECT_GT(countPixels(x0, y0, x0 + 1, y0 + d, kBlack), 0);
  // Inside, left of the text, the green tint of colour 1; the text itself in black.
  ASSERT_EQ(cellAt(5, 6).color, 1);
  EXPECT_EQ(pixel(x0 + 3, y0 + d / 2), 0xAFFFAFu);
  EXPECT_GT(countPixels(x0 + 5, y0 + 3, x0 + d - 5, y0 + d - 3, kBlack), 0);
}

TEST_F(ValueBubbleTest, TintFollowsTheGivenCellsColour) {
  dealPattern(11, 12);
  const uint32_t tints[5] = {0xFFAFAF, 0xAFFFAF, 0xAFAFFF, 0xFFAFFF, 0xFFFFAF};
  for (int k = 0; k < 5; ++k) {
    clearClient();
    cellAt(6, 6).color = k;
    cellAt(6, 7).color = k;
    selectCells({{6, 6}, {6, 7}});
    show(6, 6);
    const int d = valueBubbleRect.right - valueBubbleRect.left;
    EXPECT_EQ(pixel(valueBubbleRect.left + 3, valueBubbleRect.top + d / 2), tints[k]) << k;
    EXPECT_EQ(pixel(valueBubbleRect.right - 4, valueBubbleRect.top + d / 2), tints[k]) << k;
  }
}

TEST_F(ValueBubbleTest, PoorDisplayDrawsAWhiteCircle) {
  dealPattern(11, 12);
  colorResolution = 4;
  clearClient(RGB(0, 0, 0));
  selectCells({{6, 6}, {6, 7}});
  const size_t objects = pk::automation::liveGdiObjects();
  show(6, 6);
  EXPECT_EQ(pk::automation::liveGdiObjects(), objects);
  const int d = valueBubbleRect.right - valueBubbleRect.left;
  EXPECT_EQ(pixel(valueBubbleRect.left + 3, valueBubbleRect.top + d / 2), kWhite);
}

TEST_F(ValueBubbleTest, ClampsToTheLeftEdgeAndBelowTheSeparator) {
  dealPattern(11, 12);
  ASSERT_EQ(cellAt(0, 0).x, 10);
  ASSERT_EQ(cellAt(0, 0).y, 24);
  selectCells({{0, 0}, {1, 0}});
  show(-1, -1);
  EXPECT_EQ(valueBubbleRect.left, 2);
  EXPECT_EQ(valueBubbleRect.top, 22);
  EXPECT_EQ(valueBubbleRect.right - valueBubbleRect.left, textExtent(u"2").cx + 13);
}

TEST_F(ValueBubbleTest, AnchorIsTheFirstSelectedCellInReadingOrder) {
  dealPattern(11, 12);
  // Column 3 comes first column by column, but (5, 4) comes first row by row.
  selectCells({{3, 6}, {3, 5}, {4, 5}, {5, 5}, {5, 4}});
  show(3, 6);
  EXPECT_EQ(valueBubbleRect.right, cellAt(5, 4).x);
  EXPECT_EQ(valueBubbleRect.top, std::max(22, int(cellAt(5, 4).y - (textExtent(u"20").cy + 3))));
}

TEST_F(ValueBubbleTest, HidingRestoresTheBoardPixelForPixel) {
  dealPattern(11, 12);
  selectCells({{4, 4}, {4, 5}, {4, 6}, {4, 7}, {4, 8}, {4, 9}, {4, 10}, {4, 11}, {3, 4}, {3, 5}, {3, 6}});
  paintAll();
  const std::vector<uint32_t> before = grab(0, 0, 240, 268);
  show(-1, -1);
  EXPECT_NE(grab(0, 0, 240, 268), before);
  hide();
  EXPECT_EQ(grab(0, 0, 240, 268), before);

  // After a repaint the bubble saves the new pixels, so hiding gives back the new board.
  options.bubbleSet = BUBBLES_GRAYSCALE;
  paintAll();
  const std::vector<uint32_t> repainted = grab(0, 0, 240, 268);
  show(-1, -1);
  hide();
  EXPECT_EQ(grab(0, 0, 240, 268), repainted);
}

TEST_F(ValueBubbleTest, NothingIsDrawnWithoutASelectionOrOnAnotherWindow) {
  dealPattern(11, 12);
  paintAll();
  const std::vector<uint32_t> before = grab(0, 0, 240, 268);
  valueBubbleRect = {5, 6, 7, 8};
  show(-1, -1);
  EXPECT_EQ(grab(0, 0, 240, 268), before);
  EXPECT_EQ(valueBubbleRect.left, 5);

  selectCells({{4, 4}, {4, 5}});
  mainWindow = nullptr;
  show(4, 4);
  EXPECT_EQ(grab(0, 0, 240, 268), before);
  EXPECT_EQ(valueBubbleRect.left, 5);
}

}  // namespace
}  // namespace viewtest
