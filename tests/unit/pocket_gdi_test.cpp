// The drawing library: bitmaps of every kind, broken ones refused, and what a program leaves behind.
#include <cmath>

#include "canvas.h"
#include "pocket_fixture.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0, kGrey = 0x808080;

class Gdi : public ::testing::Test {
 protected:
  test::FakeHost host;
  size_t objects0 = 0, dcs0 = 0;
  void SetUp() override {
    pk::setUpDevice(host, pk::DeviceConfig{}, nullptr);
    objects0 = pk::gdi::liveObjects();
    dcs0 = pk::gdi::liveDCs();
  }
  // Every test gives back what it made.
  void TearDown() override {
    EXPECT_EQ(pk::gdi::liveObjects(), objects0);
    EXPECT_EQ(pk::gdi::liveDCs(), dcs0);
  }
};

using test::Canvas;

TEST_F(Gdi, MonochromeBitmapsMapColoursByLightness) {
  HDC mem = CreateCompatibleDC(nullptr);  // holds the 1 x 1 monochrome default
  HBITMAP mono = CreateCompatibleBitmap(mem, 3, 1);
  HBITMAP empty = CreateCompatibleBitmap(nullptr, 4, 0);  // an empty size makes one like the default
  HGDIOBJ old = SelectObject(mem, mono);
  EXPECT_EQ(pk::gdi::bitmapSurface(static_cast<HBITMAP>(old))->pixels, std::vector<uint32_t>{kBlack});
  Canvas src(3, 1);
  src.s().pixels = {0x80807F, kGrey, 0x0000FF};  // mid grey is the darkest white
  BitBlt(mem, 0, 0, 3, 1, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(pk::gdi::bitmapSurface(mono)->pixels, (std::vector<uint32_t>{kBlack, kWhite, kBlack}));
  BitBlt(mem, 1, 0, 1, 1, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(pk::gdi::bitmapSurface(mono)->pixels, std::vector<uint32_t>(3, kBlack));
  SelectObject(mem, empty);
  BitBlt(mem, 0, 0, 3, 1, src.dc, 1, 0, SRCCOPY);
  EXPECT_EQ(pk::gdi::bitmapSurface(empty)->pixels, std::vector<uint32_t>{kWhite});
  HBITMAP thin = CreateCompatibleBitmap(nullptr, 0, 4);
  EXPECT_EQ(pk::gdi::bitmapSurface(thin)->pixels, std::vector<uint32_t>{kBlack});  // new bitmaps start black
  EXPECT_TRUE(DeleteObject(thin));
  EXPECT_FALSE(CreateCompatibleBitmap(nullptr, -1, 5) || CreateCompatibleBitmap(nullptr, 5, -1));
  SelectObject(mem, old);
  DeleteObject(mono), DeleteObject(empty), DeleteDC(mem);
}

std::vector<unsigned char> dib(int w, int h, int bits, std::vector<uint32_t> palette,
                               const std::vector<std::vector<uint32_t>>& topRowFirst, uint32_t used = 0) {
  std::vector<unsigned char> out(40);
  auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(v >> (8 * i)); };
  put32(0, 40), put32(4, uint32_t(w)), put32(8, uint32_t(h)), put32(32, used);
  out[12] = 1, out[14] = uint8_t(bits);
  for (uint32_t c : palette) out.insert(out.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
  size_t stride = ((size_t(w) * size_t(bits) + 31) / 32) * 4;
  int rows = std::abs(h);
  for (int r = 0; r < rows; ++r) {
    const auto& row = topRowFirst[size_t(h < 0 ? r : rows - 1 - r)];
    std::vector<unsigned char> line(stride, 0);
    for (size_t x = 0; x < size_t(w); ++x) {
      line[x * size_t(bits) / 8] |= uint8_t(row[x] << (8 - size_t(bits) - x * size_t(bits) % 8));
    }
    out.insert(out.end(), line.begin(), line.end());
  }
  return out;
}

void expectPixels(const std::vector<unsigned char>& data, const std::vector<std::vector<uint32_t>>& expect,
                  bool mono = false) {
  HBITMAP bm = pk::gdi::createBitmapFromDib(data.data(), data.size());
  ASSERT_NE(bm, nullptr);
  const pk::Surface* s = pk::gdi::bitmapSurface(bm);
  std::vector<std::vector<uint32_t>> got(size_t(s->height));
  for (int y = 0; y < s->height; ++y) got[size_t(y)].assign(s->row(y), s->row(y) + s->width);
  EXPECT_EQ(got, expect);
  // Painted on, a black and white one stays black and white.
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, bm);
  RECT corner{0, 0, 1, 1};
  FillRect(dc, &corner, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
  EXPECT_EQ(s->row(0)[0], mono ? kWhite : 0xC0C0C0u);
  DeleteDC(dc), DeleteObject(bm);  // the DC lets go of the bitmap as it goes
}

TEST_F(Gdi, DibsOfEveryDepthDecodeBottomUpAndTopDown) {
  const uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = kWhite, K = 0;
  for (int sign : {1, -1}) {
    SCOPED_TRACE(sign);
    // Nine pixels wide: a 1-bit row spills into a second byte.
    expectPixels(dib(9, 2 * sign, 1, {K, W}, {{1, 0, 1, 0, 1, 0, 1, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 1}}),
                 {{W, K, W, K, W, K, W, K, W}, {K, K, K, K, K, K, K, K, W}}, true);
    expectPixels(dib(1, 2 * sign, 1, {W, K}, {{1}, {0}}), {{K}, {W}}, true);  // a row one pixel wide still has a word
    // Two colours, either of them not black or white: no monochrome bitmap.
    expectPixels(dib(2, 2 * sign, 1, {R, K}, {{1, 0}, {0, 1}}), {{K, R}, {R, K}});
    expectPixels(dib(2, 2 * sign, 1, {K, R}, {{1, 0}, {0, 1}}), {{R, K}, {K, R}});
    // An index past a short palette is black.
    expectPixels(dib(3, 2 * sign, 4, {K, R, G, B}, {{1, 2, 3}, {3, 2, 4}}, 4), {{R, G, B}, {B, G, K}});
  }
  // A colour count of 0 means the full palette.
  for (int bits : {4, 8}) {
    std::vector<uint32_t> full(size_t(1) << bits, 0);
    full.back() = 0xABCDEF;
    expectPixels(dib(2, 1, bits, full, {{uint32_t(full.size() - 1), 0}}), {{0xABCDEF, 0}});
  }
}

TEST_F(Gdi, BrokenBitmapsAreRefused) {
  auto good = dib(4, 4, 8, {0, kWhite}, {{0, 1, 0, 1}, {1, 0, 1, 0}, {0, 0, 0, 0}, {1, 1, 1, 1}}, 2);
  // One byte changed (or, past the end, the last one cut off), and why that is refused.
  struct Fault { size_t at; unsigned char v; const char* why; } faults[] = {{size_t(-1), 0, "bits cut short"},
      {19, 1, "compressed: the top byte of the method counts too"}, {0, 39, "header too short"}, {14, 16, "16 bits"},
      {7, 0x40, "huge width"}, {4, 0, "no width"}, {8, 0, "no height"}, {33, 1, "more colours than the depth has"}};
  for (Fault f : faults) {
    std::vector<unsigned char> d = good;
    f.at < d.size() ? void(d[f.at] = f.v) : d.resize(d.size() - 1);
    EXPECT_EQ(pk::gdi::createBitmapFromDib(d.data(), d.size()), nullptr) << f.why;
  }
  EXPECT_FALSE(pk::gdi::createBitmapFromDib(good.data(), 30) || pk::gdi::createBitmapFromDib(nullptr, good.size()));
  // Too many pixels, though every row is there: 2^21 + 1 rows of 32.
  auto tall = dib(32, 1, 1, {0, kWhite}, {std::vector<uint32_t>(32, 0)});
  tall[10] = 0x20;
  tall.resize(tall.size() + (size_t(4) << 21));
  EXPECT_EQ(pk::gdi::createBitmapFromDib(tall.data(), tall.size()), nullptr);
  // A .bmp file is the same after its 14-byte header, which must say BM.
  // Its offset to the bits may leave a gap after the palette.
  std::vector<unsigned char> file = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54 + 8 + 3, 0, 0, 0};
  file.insert(file.end(), good.begin(), good.end());
  file.insert(file.begin() + 54 + 8, {7, 7, 7});
  HBITMAP f = pk::gdi::createBitmapFromBmpFile(file.data(), file.size());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(std::vector<uint32_t>(pk::gdi::bitmapSurface(f)->row(0), pk::gdi::bitmapSurface(f)->row(0) + 4),
            (std::vector<uint32_t>{kBlack, kWhite, kBlack, kWhite}));
  DeleteObject(f);
  EXPECT_FALSE(pk::gdi::createBitmapFromBmpFile(file.data(), file.size() - 1) || pk::gdi::createBitmapFromBmpFile(nullptr, file.size()));
  file[0] = 'X';
  EXPECT_EQ(pk::gdi::createBitmapFromBmpFile(file.data(), file.size()), nullptr);
}

// The board the keyboard's stylus reads from the main window's paints, and its walks over that board.
using Painted = test::Shell;

// A program that ends without tidying up, as a power cut ends one.
HBITMAP leftBehind = nullptr;
HBRUSH leftBrush = nullptr;
int untidyProgram(HINSTANCE, HINSTANCE, LPWSTR, int) {
  HDC dc = CreateCompatibleDC(nullptr);
  leftBehind = CreateCompatibleBitmap(dc, 320, 320);
  SelectObject(dc, leftBehind);
  SelectObject(dc, leftBrush = CreateSolidBrush(RGB(1, 2, 3)));
  return 3;
}

TEST(Program, WhatAnEndedProgramHeldIsFreedWithIt) {
  test::FakeHost host;
  EXPECT_EQ(pk::runProgram(host, pk::DeviceConfig{}, untidyProgram, pkProgramModule), 3) << "the program's own code";
  EXPECT_EQ(pk::gdi::liveObjects(), 0u);
  EXPECT_EQ(pk::gdi::liveDCs(), 0u);
  EXPECT_FALSE(DeleteObject(leftBehind) || DeleteObject(leftBrush)) << "its handles are gone too";
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH))) << "the stock objects stay";
}

}  // namespace
