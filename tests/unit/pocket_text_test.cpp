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
