// Text: fonts, extents, crisp strike glyphs, ExtTextOutW and DrawTextW.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <tuple>

#include "canvas.h"
#include "fake_host.h"
#include "gdi/font_source.h"
#include "gdi/text.h"
#include "system/device.h"

namespace {

constexpr uint32_t kGrey = 0x808080;

class Text : public ::testing::Test {
 protected:
  test::FakeHost host;
  std::optional<test::Canvas> canvas;
  HDC dc = nullptr;
  void SetUp() override {
    pk::setUpDevice(host, pk::DeviceConfig{}, nullptr);
    dc = canvas.emplace(160, 60, kGrey).dc;
  }
  void clear() { canvas->fill(kGrey); }
  uint32_t at(int x, int y) const { return canvas->at(x, y); }
  std::vector<uint32_t> pixels() const { return canvas->s().pixels; }
  // What `paint` leaves on a cleared canvas.
  std::vector<uint32_t> drawn(const std::function<void()>& paint) {
    clear();
    paint();
    return pixels();
  }
  void draw(int x, int y, std::u16string_view s, UINT options = 0, const RECT* clip = nullptr) {
    ExtTextOutW(dc, x, y, options, clip, s.data(), UINT(s.size()), nullptr);
  }
  // Box around what is not the grey ground, as left, top, right, bottom.
  std::vector<LONG> painted() const {
    RECT r{160, 60, 0, 0};
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 160; ++x)
        if (at(x, y) != kGrey) r = {std::min<LONG>(r.left, x), std::min<LONG>(r.top, y),
                                    std::max<LONG>(r.right, x + 1), std::max<LONG>(r.bottom, y + 1)};
    return {r.left, r.top, r.right, r.bottom};
  }
  SIZE extent(std::u16string_view s) {
    SIZE size{};
    EXPECT_TRUE(GetTextExtentExPointW(dc, s.data(), int(s.size()), 0, nullptr, nullptr, &size));
    return size;
  }
};

TEST_F(Text, ExtentsGrowWithTheTextAndFontsFitTheirCell) {
  SIZE none{9, 9};  // no DC, a negative length, or letters without text, fail; no text at all measures nothing
  int fit = -1;
  EXPECT_FALSE(GetTextExtentExPointW(dc, u"x", -1, 0, nullptr, nullptr, &none) ||
               GetTextExtentExPointW(dc, nullptr, 1, 0, nullptr, nullptr, &none) ||
               GetTextExtentExPointW(nullptr, u"x", 1, 0, nullptr, nullptr, &none));
  RECT box{0, 0, 50, 20};  // nor does DrawTextW draw without a DC, a box or text
  EXPECT_EQ(DrawTextW(nullptr, u"x", 1, &box, 0) + DrawTextW(dc, u"x", 1, nullptr, 0) + DrawTextW(dc, nullptr, 1, &box, 0), 0);
  EXPECT_TRUE(GetTextExtentExPointW(dc, nullptr, 0, 0, &fit, nullptr, &none) && none.cx == 0 && fit == 0);
  LOGFONTW lf{};  // a height of 0 is the system font's
  SIZE system = extent(u"Score:");
  SelectObject(dc, CreateFontIndirectW(&lf));
  EXPECT_EQ(extent(u"Score:").cy, system.cy);
  DeleteObject(SelectObject(dc, GetStockObject(SYSTEM_FONT)));
  // A positive height is the whole cell: the largest size whose cell fits, up to 400 pixels.
  for (LONG cell = 1; cell <= 500; ++cell) {
    int px = pk::text::pixelSizeForHeight(cell);
    ASSERT_LE(pk::text::metrics(px, false).height, cell);
    ASSERT_TRUE(px == 400 || pk::text::metrics(px + 1, false).height > cell) << cell;
  }
  // What a face maps, in order, as the baked fonts carry it: Latin letters, nothing past U+FFFF.
  auto mapped = pk::text::source::characters(false);
  EXPECT_TRUE(std::is_sorted(mapped.begin(), mapped.end()) && mapped.size() > 200 && mapped.back() < 0x10000);
  EXPECT_TRUE(std::binary_search(mapped.begin(), mapped.end(), U'A'));
  // The fit stops before the limit.
  SIZE all = extent(u"Continuous"), size{};
  ASSERT_TRUE(GetTextExtentExPointW(dc, u"Continuous", 10, all.cx - 1, &fit, nullptr, &size));
  EXPECT_EQ(fit, 9);
  for (auto [limit, fits] : {std::pair{all.cx, 10}, {0, 0}})  // the limit itself still fits
    EXPECT_TRUE(GetTextExtentExPointW(dc, u"Continuous", 10, limit, &fit, nullptr, &size) && fit == fits) << limit;
  // A high surrogate and a low one after it are one (here missing) character of width n;
  // either alone, or the two the other way round, is a missing character of its own.
  const int n = extent(u"\U00010000").cx, a = extent(u"A").cx, f = extent(u"\xFB01").cx;
  for (const auto& [s, want] : std::vector<std::pair<std::u16string, std::vector<int>>>{
           {u"\xFB01\xDBFF\xDFFF", {f, f + n, f + n}}, {u"A\xD800\xDC00", {a, a + n, a + n}}, {u"\xD800\xDC00", {n, n}},
           {u"\xD800\xDBFF", {n, 2 * n}}, {u"\xDC00\xDC00", {n, 2 * n}}, {u"\xD7FF\xDC00", {n, 2 * n}},
           {u"\xD800\xE000", {n, 2 * n}}, {u"\xD701\xD800\xDC00\xD701", {n, 2 * n, 2 * n, 3 * n}}}) {
    std::vector<int> got(s.size());
    GetTextExtentExPointW(dc, s.data(), int(s.size()), 0, nullptr, got.data(), &size);
    EXPECT_EQ(got, want) << int(s[1]);
  }
}

TEST_F(Text, ExtTextOutPlacesTheTextBox) {
  draw(10, 20, u"Score:");
  SIZE s = extent(u"Score:");
  EXPECT_EQ(painted(), (std::vector<LONG>{10, 20, 10 + s.cx, 20 + s.cy}));
  clear();
  RECT clip{12, 0, 20, 10 + pk::text::metrics(11, false).ascent - 3};  // through the W's strokes
  draw(10, 10, u"WWW", ETO_CLIPPED, &clip);
  EXPECT_EQ(painted(), (std::vector<LONG>{12, 10, 20, clip.bottom}));
  // An opaque rectangle fills in the background colour, from a window DC's origin, clipping nothing.
  HDC screen = pk::gdi::createScreenDC(POINT{10, 20}, {RECT{0, 0, 100, 100}});
  SetBkColor(screen, RGB(0x10, 0x20, 0x30));
  ExtTextOutW(screen, 40, 0, ETO_OPAQUE, &clip, u" ", 1, nullptr);
  const auto& device = pk::device().screen.pixels;
  EXPECT_EQ(std::count(device.begin(), device.end(), 0x102030u), 8 * clip.bottom + extent(u" ").cx * extent(u" ").cy);
  EXPECT_EQ(pk::device().screen.row(20)[22], 0x102030u);
  EXPECT_FALSE(ExtTextOutW(screen, 0, 0, 0, nullptr, nullptr, 1, nullptr)) << "a count without its text";
  pk::gdi::destroyScreenDC(screen);
  // Given advances place each unit and size the box; the two of a surrogate pair are one character.
  const int dx[3] = {10, 5, 15};
  auto spaced = drawn([&] { ExtTextOutW(dc, 10, 20, 0, nullptr, u"\U0001F600W", 3, dx); });
  EXPECT_EQ(painted()[2], 40);
  draw(25, 20, u"W");
  EXPECT_EQ(pixels(), spaced) << "the W stands 15 pixels on";
  // Characters past U+FFFF: the faces have none, and draw the box for a missing one.
  EXPECT_EQ(drawn([&] { draw(4, 2, u"\U00010180\U00010680"); }), drawn([&] { draw(4, 2, u"\U0001F600\U0001F600"); }));
}

// Wrapped text draws exactly as its lines drawn one under the other: broken at the last space
// that fits, spaces at a break dropped, a word too long and an empty line kept, \r\n one break.
TEST_F(Text, WordBreaksDrawTheLinesOneUnderTheOther) {
  SIZE score = extent(u"Score:");
  const int h = score.cy;
  for (const auto& [text, width, lines] : std::vector<std::tuple<const char16_t*, LONG, std::vector<std::u16string_view>>>{
           {u"Game  Score: Continuous\n\n at 12\r\nx\r\n\n", extent(u"Game  Score:").cx - 1,
            {u"Game", u"Score:", u"Continuous", u"", u" at 12", u"x", u""}},
           {u"\r\nA\r\n", 100, {u"", u"A", u""}},  // a break first; the count ends between \r and \n
           {u"W at Continuous ", 1, {u"W", u"at", u"Continuous"}},  // the count leaves out the last space
           {u"Game Score:.", extent(u"Game Score:").cx, {u"Game Score:"}}}) {  // a line just as wide fits
    RECT wrap{4, 2, 4 + width, 60};
    int length = int(std::char_traits<char16_t>::length(text)) - 1;
    EXPECT_EQ(drawn([&] { EXPECT_EQ(DrawTextW(dc, text, length, &wrap, DT_WORDBREAK), int(lines.size()) * h); }),
              drawn([&] { for (size_t i = 0; i < lines.size(); ++i) draw(4, 2 + int(i) * h, lines[i], ETO_CLIPPED, &wrap); }))
        << int(width);
  }
  RECT line{4, 2, 150, 20};
  // With prefixes, the marked letter is underlined one row under the baseline, across its advance.
  auto underlined = drawn([&] { DrawTextW(dc, u"&Game", -1, &line, DT_SINGLELINE); });
  auto plain = drawn([&] { draw(4, 2, u"Game"); });
  const int underline = 2 + pk::text::metrics(11, false).ascent + 1;
  std::vector<int> columns, expect;
  for (int i = 0; i < 160 * 60; ++i)
    if (underlined[size_t(i)] != plain[size_t(i)]) columns.push_back(i / 160 == underline ? i % 160 : -1);
  for (int x = 4; x < 4 + extent(u"G").cx; ++x) expect.push_back(x);
  EXPECT_EQ(columns, expect);
  // Cut to the rows from the underline down, only the underline and the ground below it show.
  RECT low{4, underline, 150, 2 + extent(u"G").cy};
  for (int i = 0; i < 160 * 60; ++i)
    if (i / 160 < low.top || i / 160 >= low.bottom) underlined[size_t(i)] = kGrey;
  // Placed lower, the answer is how far the text's bottom lies below the rectangle's top.
  EXPECT_EQ(drawn([&] { EXPECT_EQ(DrawTextW(dc, u"&Game", -1, &low, DT_SINGLELINE | DT_BOTTOM), low.bottom - low.top); }),
            underlined);
  RECT calc{0, 0, score.cx + 2, 0};
  EXPECT_EQ(DrawTextW(dc, u"Game Score:", -1, &calc, DT_CALCRECT | DT_WORDBREAK), 2 * h);
  EXPECT_EQ(calc.right, score.cx);
}

TEST(TextFonts, MissingFontNamesThePackageToInstall) {
  std::string error = pk::text::openFaces("/nonexistent-font-folder");
  EXPECT_NE(error.find("tahoma.ttf"), std::string::npos) << error;
  EXPECT_NE(error.find("install the package fonts-wine"), std::string::npos) << error;
}

}  // namespace
