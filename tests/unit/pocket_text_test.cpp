// Text: fonts, extents, crisp strike glyphs, ExtTextOutW and DrawTextW.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "device.h"
#include "fake_host.h"
#include "gdi.h"
#include "text.h"

namespace {

constexpr uint32_t kGrey = 0x808080;

class Text : public ::testing::Test {
 protected:
  test::FakeHost host;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  size_t objects0 = 0;

  void SetUp() override {
    pk::setUpDevice(host, pk::DeviceConfig{}, nullptr);
    objects0 = pk::gdi::liveObjects();
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(nullptr, 160, 60);
    oldBitmap = SelectObject(dc, bitmap);
    clear();
  }
  void TearDown() override {
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EXPECT_EQ(pk::gdi::liveObjects(), objects0);
  }
  void clear() {
    RECT all{0, 0, 160, 60};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  }
  uint32_t at(int x, int y) const { return pk::gdi::bitmapSurface(bitmap)->row(y)[x]; }
  // Box around the pixels that are not the grey ground; left == right when there are none.
  RECT painted() const {
    RECT r{160, 60, 0, 0};
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 160; ++x)
        if (at(x, y) != kGrey) {
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x + 1);
          r.bottom = std::max<LONG>(r.bottom, y + 1);
        }
    if (r.left > r.right) r = RECT{};
    return r;
  }
  std::set<uint32_t> colours(RECT r) const {
    std::set<uint32_t> out;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) out.insert(at(x, y));
    return out;
  }
  static HFONT font(LONG height, LONG weight) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    std::copy_n(u"Tahoma", 7, lf.lfFaceName);
    return CreateFontIndirectW(&lf);
  }
  SIZE extent(std::u16string_view s) {
    SIZE size{};
    EXPECT_TRUE(GetTextExtentExPointW(dc, s.data(), int(s.size()), 0, nullptr, nullptr, &size));
    return size;
  }
};

TEST_F(Text, ExtentsGrowWithTheTextAndDifferByWeightAndSize) {
  SIZE one = extent(u"1"), three = extent(u"123"), wide = extent(u"WWW");
  EXPECT_GT(one.cx, 0);
  EXPECT_GT(three.cx, one.cx);
  EXPECT_GT(wide.cx, three.cx);
  EXPECT_EQ(extent(u"").cx, 0);
  // The system font: 11 pixels em, a cell of 13.
  EXPECT_EQ(one.cy, 13);
  HFONT bold = font(-12, FW_BOLD);
  HFONT regular = font(-12, FW_NORMAL);
  HGDIOBJ old = SelectObject(dc, regular);
  SIZE r = extent(u"Score:");
  SelectObject(dc, bold);
  SIZE b = extent(u"Score:");
  EXPECT_GT(b.cx, r.cx);
  EXPECT_EQ(b.cy, r.cy);
  EXPECT_EQ(r.cy, 14);  // 12 px em: ascent 12, descent 2 (rounded from the face)
  HFONT big = font(-24, FW_NORMAL);
  SelectObject(dc, big);
  SIZE g = extent(u"Score:");
  EXPECT_GT(g.cx, r.cx * 3 / 2);
  EXPECT_GT(g.cy, r.cy * 3 / 2);
  SelectObject(dc, old);
  for (HFONT f : {bold, regular, big}) EXPECT_TRUE(DeleteObject(f));
}

TEST_F(Text, PositiveHeightIsTheCellAndZeroIsTheDefault) {
  // 15 cannot be met exactly: the 12 px em has a 14 px cell, the 13 px one 16.
  HFONT cell = font(15, FW_NORMAL);
  HFONT em = font(-12, FW_NORMAL);
  HFONT zero = font(0, FW_NORMAL);
  HGDIOBJ old = SelectObject(dc, cell);
  EXPECT_EQ(extent(u"Ag").cy, 14);
  SIZE viaCell = extent(u"Hello");
  SelectObject(dc, em);
  EXPECT_EQ(extent(u"Hello").cx, viaCell.cx);
  SelectObject(dc, zero);
  SIZE def = extent(u"Hello");
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  EXPECT_EQ(extent(u"Hello").cx, def.cx);
  SelectObject(dc, old);
  for (HFONT f : {cell, em, zero}) DeleteObject(f);
  EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);
}

TEST_F(Text, FitAndPartialExtents) {
  const std::u16string s = u"Continuous";
  SIZE all = extent(s);
  int dx[10] = {};
  int fit = -1;
  SIZE size{};
  ASSERT_TRUE(GetTextExtentExPointW(dc, s.data(), 10, all.cx - 1, &fit, dx, &size));
  EXPECT_EQ(size.cx, all.cx);
  EXPECT_EQ(fit, 9);
  EXPECT_EQ(dx[9], all.cx);
  for (int i = 1; i < 10; ++i) EXPECT_GT(dx[i], dx[i - 1]);
  EXPECT_EQ(dx[0], extent(u"C").cx);
  GetTextExtentExPointW(dc, s.data(), 10, 0, &fit, nullptr, &size);
  EXPECT_EQ(fit, 0);
  EXPECT_FALSE(GetTextExtentExPointW(dc, s.data(), -1, 0, nullptr, nullptr, &size));
  EXPECT_FALSE(GetTextExtentExPointW(dc, nullptr, 3, 0, nullptr, nullptr, &size));
}

// The small sizes come from the faces' hand-tuned bitmap strikes: two colours only.
TEST_F(Text, StrikeSizesDrawCrispTwoColourGlyphs) {
  EXPECT_TRUE(pk::text::hasStrike(11, false));
  EXPECT_TRUE(pk::text::hasStrike(12, true));
  EXPECT_FALSE(pk::text::hasStrike(14, false));
  for (auto [height, weight] : {std::pair{-11, FW_NORMAL}, {-12, FW_BOLD}, {-10, FW_SEMIBOLD}, {-20, FW_BOLD}}) {
    SCOPED_TRACE(height);
    clear();
    HFONT f = font(height, weight);
    HGDIOBJ old = SelectObject(dc, f);
    SetTextColor(dc, RGB(0, 0, 255));
    SetBkColor(dc, RGB(255, 255, 255));
    ASSERT_TRUE(ExtTextOutW(dc, 5, 5, 0, nullptr, u"Shifter 8", 9, nullptr));
    SIZE s = extent(u"Shifter 8");
    RECT box{5, 5, 5 + s.cx, 5 + s.cy};
    EXPECT_EQ(colours(box), (std::set<uint32_t>{0x0000FF, 0xFFFFFF}));
    SelectObject(dc, old);
    DeleteObject(f);
  }
}

TEST_F(Text, BoldWithoutAStrikeIsHeavierThanRegular) {
  auto ink = [&](LONG weight) {
    clear();
    HFONT f = font(-14, weight);
    HGDIOBJ old = SelectObject(dc, f);
    ExtTextOutW(dc, 0, 0, 0, nullptr, u"MegaShift", 9, nullptr);
    SelectObject(dc, old);
    DeleteObject(f);
    size_t n = 0;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 160; ++x) n += at(x, y) == 0;
    return n;
  };
  EXPECT_GT(ink(FW_BOLD), ink(FW_NORMAL) * 5 / 4);
}

TEST_F(Text, ExtTextOutFillsTheTextBoxAndTheOpaqueRect) {
  SetBkColor(dc, RGB(255, 255, 0));
  ExtTextOutW(dc, 10, 20, 0, nullptr, u"Score:", 6, nullptr);
  SIZE s = extent(u"Score:");
  RECT box = painted();
  EXPECT_EQ(box.left, 10);
  EXPECT_EQ(box.top, 20);
  EXPECT_EQ(box.right, 10 + s.cx);
  EXPECT_EQ(box.bottom, 20 + s.cy);
  EXPECT_EQ(at(10, 20), 0xFFFF00u);  // top-left is the reference point, in the background colour
  EXPECT_TRUE(colours(box).count(0));
  clear();
  RECT opaque{0, 0, 100, 40};
  ExtTextOutW(dc, 10, 10, ETO_OPAQUE, &opaque, u"1", 1, nullptr);
  EXPECT_EQ(painted().right, 100);
  EXPECT_EQ(painted().bottom, 40);
  EXPECT_EQ(at(99, 39), 0xFFFF00u);
  // Clipped to the rectangle: only its part of the text box is touched.
  clear();
  RECT clip{12, 0, 20, 60};
  ExtTextOutW(dc, 10, 10, ETO_CLIPPED, &clip, u"WWW", 3, nullptr);
  EXPECT_EQ(painted().left, 12);
  EXPECT_EQ(painted().right, 20);
  // Nothing but a fill when there is no text.
  clear();
  EXPECT_TRUE(ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &clip, nullptr, 0, nullptr));
  EXPECT_EQ(painted().left, 12);
  EXPECT_FALSE(ExtTextOutW(dc, 0, 0, 0, nullptr, nullptr, 3, nullptr));
}

TEST_F(Text, DrawTextPlacesASingleLineByItsFlags) {
  SIZE s = extent(u"42");
  RECT r{20, 10, 80, 50};
  SetBkColor(dc, RGB(255, 255, 255));
  int h = DrawTextW(dc, u"42", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  RECT box = painted();
  EXPECT_EQ(box.right - box.left, s.cx);
  EXPECT_EQ(box.left, 20 + (60 - s.cx) / 2);
  EXPECT_EQ(box.top, 10 + (40 - s.cy) / 2);
  EXPECT_EQ(h, box.bottom - 10);  // from the rectangle's top to the text's bottom
  clear();
  DrawTextW(dc, u"42", 2, &r, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
  EXPECT_EQ(painted().right, 80);
  EXPECT_EQ(painted().bottom, 50);
  // Vertical centring needs a single line.
  clear();
  EXPECT_EQ(DrawTextW(dc, u"42", 2, &r, DT_VCENTER), s.cy);
  EXPECT_EQ(painted().top, 10);
  EXPECT_EQ(painted().left, 20);
  // The output stays inside the rectangle.
  clear();
  RECT narrow{30, 10, 34, 50};
  DrawTextW(dc, u"WWWW", 4, &narrow, DT_CENTER | DT_SINGLELINE);
  EXPECT_EQ(painted().left, 30);
  EXPECT_EQ(painted().right, 34);
}

TEST_F(Text, DrawTextMeasuresAndBreaksWords) {
  SIZE one = extent(u"Game Score:");
  RECT calc{5, 5, 5, 5};
  EXPECT_EQ(DrawTextW(dc, u"Game Score:", -1, &calc, DT_CALCRECT | DT_SINGLELINE), one.cy);
  EXPECT_EQ(calc.right - calc.left, one.cx);
  EXPECT_EQ(calc.bottom - calc.top, one.cy);
  EXPECT_EQ(painted().right, 0);  // measuring draws nothing
  // Too narrow for both words: two lines, each no wider than the rectangle.
  SIZE game = extent(u"Game"), score = extent(u"Score:");
  RECT wrap{0, 0, std::max(game.cx, score.cx) + 2, 0};
  EXPECT_EQ(DrawTextW(dc, u"Game Score:", -1, &wrap, DT_CALCRECT | DT_WORDBREAK), 2 * one.cy);
  EXPECT_EQ(wrap.right, std::max(game.cx, score.cx));
  // Line breaks start new lines; without word breaks nothing else does.
  RECT lines{0, 0, 1, 0};
  EXPECT_EQ(DrawTextW(dc, u"a b\nc\r\nd", -1, &lines, DT_CALCRECT), 3 * one.cy);
  RECT drawn{0, 0, 150, 60};
  DrawTextW(dc, u"Game Score:", -1, &drawn, DT_WORDBREAK);
  EXPECT_EQ(painted().bottom, one.cy);
  RECT tight{0, 0, score.cx + 2, 60};
  clear();
  DrawTextW(dc, u"Game Score:", -1, &tight, DT_WORDBREAK | DT_CENTER);
  EXPECT_EQ(painted().bottom, 2 * one.cy);
}

TEST_F(Text, AmpersandMarksAnAccessKeyUnlessTurnedOff) {
  RECT a{0, 0, 0, 0}, b{0, 0, 0, 0}, c{0, 0, 0, 0};
  DrawTextW(dc, u"&New Game", -1, &a, DT_CALCRECT | DT_SINGLELINE);
  DrawTextW(dc, u"New Game", -1, &b, DT_CALCRECT | DT_SINGLELINE);
  DrawTextW(dc, u"&New Game", -1, &c, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(a.right, b.right);
  EXPECT_GT(c.right, b.right);
  RECT d{0, 0, 0, 0}, e{0, 0, 0, 0};
  DrawTextW(dc, u"R&&D", -1, &d, DT_CALCRECT | DT_SINGLELINE);
  DrawTextW(dc, u"R&D", -1, &e, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(d.right, e.right);
}

TEST_F(Text, MonochromeTargetsGetBlackAndWhiteText) {
  HDC mono = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(mono, 40, 16);
  HGDIOBJ old = SelectObject(mono, bm);
  SetTextColor(mono, RGB(0, 0, 200));
  SetBkColor(mono, RGB(255, 175, 175));
  ExtTextOutW(mono, 0, 0, 0, nullptr, u"Hi", 2, nullptr);
  std::set<uint32_t> seen;
  const pk::Surface* s = pk::gdi::bitmapSurface(bm);
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 8; ++x) seen.insert(s->row(y)[x]);
  EXPECT_EQ(seen, (std::set<uint32_t>{0, 0xFFFFFF}));
  SelectObject(mono, old);
  DeleteObject(bm);
  DeleteDC(mono);
}

TEST(TextFonts, MissingFontNamesThePackageAndStops) {
  std::string error = pk::text::openFaces("/nonexistent-font-folder");
  EXPECT_NE(error.find("fonts-wine"), std::string::npos) << error;
  EXPECT_NE(error.find("tahoma.ttf"), std::string::npos) << error;
  EXPECT_EXIT(pk::text::stopForMissingFonts(error), ::testing::ExitedWithCode(1), "install the package fonts-wine");
}

}  // namespace
