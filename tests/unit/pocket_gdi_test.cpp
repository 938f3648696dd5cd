// The drawing library: objects and DCs, fills, lines, ellipses, blits and bitmaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "canvas.h"
#include "fake_host.h"
#include "gdi/gdi.h"
#include "system/device.h"
#include <pocket/host.h>
#include "system/resource.h"

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

TEST_F(Gdi, ObjectsSelectionAndDeletion) {
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  EXPECT_EQ(std::vector<int>({GetDeviceCaps(a, HORZRES), GetDeviceCaps(a, VERTRES), GetDeviceCaps(a, LOGPIXELSX),
                              GetDeviceCaps(a, 12345)}),
            std::vector<int>({240, 320, 96, 0}));
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  EXPECT_EQ(pk::gdi::liveObjects(), objects0 + 1);
  EXPECT_EQ(SelectObject(a, red), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(a, GetStockObject(BLACK_BRUSH)), red);
  // Stock objects survive being deleted and are never counted.
  for (int stock : {BLACK_BRUSH, WHITE_PEN, BLACK_PEN, NULL_PEN, SYSTEM_FONT})
    EXPECT_TRUE(DeleteObject(GetStockObject(stock))) << stock;
  EXPECT_EQ(pk::gdi::liveObjects(), objects0 + 1);
  for (int i = 0; i < 4000; ++i) DeleteObject(CreateSolidBrush(0));  // new handles never meet stock ones
  // A selected bitmap cannot be deleted and lives in one DC only; deleting the DC lets go.
  HBITMAP bm = CreateCompatibleBitmap(nullptr, 2, 2);
  HGDIOBJ oldA = SelectObject(a, bm);
  EXPECT_FALSE(DeleteObject(bm));
  EXPECT_EQ(SelectObject(b, bm), nullptr);
  SelectObject(b, red);
  HGDIOBJ black = SelectObject(a, red);
  SelectObject(a, black);
  EXPECT_FALSE(DeleteObject(red)) << "still in b";
  SelectObject(a, red);
  EXPECT_TRUE(DeleteDC(b));
  EXPECT_FALSE(DeleteObject(red)) << "still in a";
  SelectObject(a, black);
  EXPECT_TRUE(DeleteObject(red));
  EXPECT_EQ(SelectObject(a, oldA), bm);
  EXPECT_TRUE(DeleteObject(bm));
  // Stale handles and DCs fail without harm.
  EXPECT_FALSE(DeleteObject(bm));
  EXPECT_EQ(SelectObject(a, red), nullptr);
  EXPECT_FALSE(DeleteObject(a));
  ASSERT_TRUE(DeleteDC(a));
  EXPECT_FALSE(DeleteDC(a));
  EXPECT_FALSE(BitBlt(a, 0, 0, 1, 1, a, 0, 0, SRCCOPY) || GetDeviceCaps(a, LOGPIXELSX));
}

TEST_F(Gdi, MonochromeBitmapsMapColoursByLightness) {
  HDC mem = CreateCompatibleDC(nullptr);  // holds the 1 x 1 monochrome default
  HBITMAP mono = CreateCompatibleBitmap(mem, 3, 1);
  HBITMAP empty = CreateCompatibleBitmap(nullptr, 4, 0);  // an empty size makes one like the default
  HGDIOBJ old = SelectObject(mem, mono);
  EXPECT_EQ(pk::gdi::bitmapSurface(static_cast<HBITMAP>(old))->pixels, std::vector<uint32_t>{kBlack});
  Canvas src(3, 1);
  src.s().pixels = {kGrey, 0x80807F, 0x0000FF};  // mid grey is the darkest white
  BitBlt(mem, 0, 0, 3, 1, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(pk::gdi::bitmapSurface(mono)->pixels, (std::vector<uint32_t>{kWhite, kBlack, kBlack}));
  SelectObject(mem, empty);
  BitBlt(mem, 0, 0, 3, 1, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(pk::gdi::bitmapSurface(empty)->pixels, std::vector<uint32_t>{kWhite});
  HBITMAP thin = CreateCompatibleBitmap(nullptr, 0, 4);
  EXPECT_EQ(pk::gdi::bitmapSurface(thin)->pixels, std::vector<uint32_t>{kBlack});  // new bitmaps start black
  EXPECT_TRUE(DeleteObject(thin));
  EXPECT_FALSE(CreateCompatibleBitmap(nullptr, -1, 5) || CreateCompatibleBitmap(nullptr, 5, -1));
  SelectObject(mem, old);
  DeleteObject(mono);
  DeleteObject(empty);
  DeleteDC(mem);
}

TEST_F(Gdi, FillRectLeavesOutRightAndBottomEdges) {
  Canvas c(8, 5);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  RECT r{2, 1, 5, 3}, inverted{5, 5, 2, 4}, offside{-10, -10, 1, 1}, all{0, 0, 8, 5};
  for (RECT* p : {&r, &inverted, &offside}) FillRect(c.dc, p, blue);
  EXPECT_EQ(FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))), 1);  // paints nothing
  EXPECT_EQ(c.mask(0x0000FF),
            "#.......\n"
            "..###...\n"
            "..###...\n"
            "........\n"
            "........\n");
  // The stock brushes, white to black.
  for (int x = 3; int stock : {WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH, DKGRAY_BRUSH, BLACK_BRUSH}) {
    RECT one{x, 4, x + 1, 5};
    FillRect(c.dc, &one, static_cast<HBRUSH>(GetStockObject(stock)));
    ++x;
  }
  EXPECT_EQ(std::vector<uint32_t>(c.s().row(4) + 3, c.s().row(4) + 8),
            (std::vector<uint32_t>{kWhite, 0xC0C0C0, kGrey, 0x404040, kBlack}));
  DeleteObject(blue);
}

TEST_F(Gdi, LinesAreExactAndLeaveOutTheLastPoint) {
  Canvas c(8, 6);
  POINT h[2] = {{1, 1}, {5, 1}}, up[2] = {{7, 5}, {7, 2}}, path[3] = {{0, 3}, {2, 3}, {2, 5}};
  ASSERT_TRUE(Polyline(c.dc, h, 2));
  Polyline(c.dc, up, 2);
  Polyline(c.dc, path, 3);
  EXPECT_EQ(c.mask(kBlack),
            "........\n"
            ".####...\n"
            "........\n"
            "###....#\n"
            "..#....#\n"
            ".......#\n");
  EXPECT_FALSE(Polyline(c.dc, h, 1));
  Canvas s(7, 3);
  POINT shallow[2] = {{0, 0}, {6, 2}};
  Polyline(s.dc, shallow, 2);
  EXPECT_EQ(s.mask(kBlack), "##.....\n..###..\n.....#.\n");
  // A line from far outside to far outside is clipped, not walked.
  Canvas f(6, 3);
  POINT far[2] = {{-2000000000, 1}, {2000000000, 1}};
  Polyline(f.dc, far, 2);
  SelectObject(f.dc, GetStockObject(NULL_PEN));
  Polyline(f.dc, shallow, 2);  // a hollow pen draws nothing
  EXPECT_EQ(f.mask(kBlack), "......\n######\n......\n");
}

TEST_F(Gdi, EllipsesAreMirrorSymmetricInsideTheirBox) {
  HBRUSH tint = CreateSolidBrush(RGB(255, 175, 175));
  for (int w : {1, 4, 9, 16, 23})
    for (int h : {1, 2, 5, 10, 13, 20}) {
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
      Canvas c(30, 30, kGrey);
      HGDIOBJ old = SelectObject(c.dc, tint);
      ASSERT_TRUE(Ellipse(c.dc, 3, 4, 3 + w, 4 + h));
      SelectObject(c.dc, old);
      for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
          if (x < 3 || x >= 3 + w || y < 4 || y >= 4 + h) {
            ASSERT_EQ(c.at(x, y), kGrey) << x << "," << y;
            continue;
          }
          ASSERT_EQ(c.at(x, y), c.at(3 + (2 + w - x), y)) << x << "," << y;
          ASSERT_EQ(c.at(x, y), c.at(x, 4 + (3 + h - y))) << x << "," << y;
        }
      // The outline reaches all four sides.
      EXPECT_EQ(c.at(3 + w / 2, 4), kBlack);
      EXPECT_EQ(c.at(3, 4 + h / 2), kBlack);
    }
  DeleteObject(tint);
}

// A 4 x 4 source with a distinct value in every pixel.
struct Pattern : Canvas {
  Pattern() : Canvas(4, 4) {
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) s().row(y)[x] = uint32_t(0x100000 + y * 16 + x);
  }
};

TEST_F(Gdi, BitBltClipsToBothSurfaces) {
  Pattern src;
  Canvas a(5, 5);
  ASSERT_TRUE(BitBlt(a.dc, -1, -1, 4, 4, src.dc, 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(a.dc, 0, 0, 0, 4, src.dc, 0, 0, SRCCOPY));  // nothing to copy is no failure
  EXPECT_TRUE(BitBlt(a.dc, 4, 4, 1, 1, src.dc, 3, 2, SRCCOPY));
  EXPECT_EQ(a.at(4, 4), 0x100023u);
  EXPECT_EQ(a.at(0, 0), 0x100011u);
  EXPECT_EQ(a.at(3, 3), kWhite);
  // Beyond the source's edge the destination is left alone.
  Canvas b(6, 6);
  BitBlt(b.dc, 1, 1, 6, 6, src.dc, 2, 1, SRCCOPY);
  EXPECT_EQ(b.at(1, 1), 0x100012u);
  EXPECT_EQ(b.at(2, 3), 0x100033u);
  EXPECT_EQ(b.count(kWhite), 36u - 6u);
  Canvas c(4, 4);
  BitBlt(c.dc, 0, 0, 4, 4, src.dc, -2, 0, SRCCOPY);
  EXPECT_EQ(c.at(0, 0), kWhite);
  EXPECT_EQ(c.at(2, 0), 0x100000u);
  EXPECT_EQ(c.at(3, 3), 0x100031u);
  // Within one bitmap it moves like memmove.
  BitBlt(src.dc, 1, 0, 3, 4, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(src.at(1, 2), 0x100020u);
  EXPECT_EQ(src.at(3, 2), 0x100022u);
}

TEST_F(Gdi, ScreenDcsDrawOnlyInsideTheirVisibleRects) {
  // A window at (10, 20) of which two strips are visible.
  HDC dc = pk::gdi::createScreenDC(POINT{10, 20}, {RECT{10, 20, 20, 25}, RECT{10, 27, 40, 30}});
  Pattern src;
  ASSERT_TRUE(BitBlt(dc, 0, 0, 4, 4, src.dc, 0, 0, SRCCOPY));
  pk::Surface& screen = pk::device().screen;
  EXPECT_EQ(screen.row(20)[10], 0x100000u);
  POINT path[3] = {{40, 2}, {2, 2}, {2, 100}};
  Polyline(dc, path, 3);  // across a strip, down through both and the gap: no pixel outside them, as the count shows
  RECT all{-50, -50, 100, 100};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(size_t(std::count(screen.pixels.begin(), screen.pixels.end(), 0u)), 10u * 5u + 30u * 3u);
  // Text ending at x = 30 covers both strips with its white box.
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(255, 255, 255));
  SIZE size{};
  GetTextExtentExPointW(dc, u"WWWWWW", 6, 0, nullptr, nullptr, &size);
  ExtTextOutW(dc, 30 - size.cx, 0, 0, nullptr, u"WWWWWW", 6, nullptr);
  EXPECT_EQ(std::count(screen.pixels.begin(), screen.pixels.end(), 0u), 0);
  pk::gdi::destroyScreenDC(dc);
  pk::gdi::destroyScreenDC(dc);  // once gone, harmless
}

std::vector<unsigned char> dib(int w, int h, int bits, std::vector<uint32_t> palette,
                               const std::vector<std::vector<uint32_t>>& topRowFirst, uint32_t used = 0) {
  std::vector<unsigned char> out(40);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  put32(0, 40), put32(4, uint32_t(w)), put32(8, uint32_t(h)), put32(32, used);
  out[12] = 1;
  out[14] = uint8_t(bits);
  for (uint32_t c : palette) out.insert(out.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
  size_t stride = ((size_t(w) * size_t(bits) + 31) / 32) * 4;
  int rows = std::abs(h);
  for (int r = 0; r < rows; ++r) {
    const auto& row = topRowFirst[size_t(h < 0 ? r : rows - 1 - r)];
    std::vector<unsigned char> line(stride, 0);
    for (size_t x = 0; x < size_t(w); ++x) {
      if (bits == 24) {
        for (size_t k = 0; k < 3; ++k) line[x * 3 + k] = uint8_t(row[x] >> (8 * k));
      } else {
        size_t bit = x * size_t(bits);
        line[bit / 8] |= uint8_t(row[x] << (8 - size_t(bits) - bit % 8));
      }
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
  HGDIOBJ old = SelectObject(dc, bm);
  RECT corner{0, 0, 1, 1};
  FillRect(dc, &corner, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
  EXPECT_EQ(s->row(0)[0], mono ? kWhite : 0xC0C0C0u);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bm);
}

TEST_F(Gdi, DibsOfEveryDepthDecodeBottomUpAndTopDown) {
  const uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = kWhite, K = 0;
  for (int sign : {1, -1}) {
    SCOPED_TRACE(sign);
    // Nine pixels wide: a 1-bit row spills into a second byte.
    expectPixels(dib(9, 2 * sign, 1, {K, W}, {{1, 0, 1, 0, 1, 0, 1, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 1}}),
                 {{W, K, W, K, W, K, W, K, W}, {K, K, K, K, K, K, K, K, W}}, true);
    expectPixels(dib(2, 2 * sign, 1, {R, K}, {{1, 0}, {0, 1}}), {{K, R}, {R, K}});
    // An index past a short palette is black.
    expectPixels(dib(3, 2 * sign, 4, {K, R, G, B}, {{1, 2, 3}, {3, 2, 4}}, 4), {{R, G, B}, {B, G, K}});
    expectPixels(dib(3, 2 * sign, 8, {W, R, G, B, K}, {{0, 1, 2}, {3, 4, 0}}, 5), {{W, R, G}, {B, K, W}});
    expectPixels(dib(2, 2 * sign, 24, {}, {{R, G}, {B, 0x123456}}), {{R, G}, {B, 0x123456}});
    expectPixels(dib(1, 2 * sign, 24, {}, {{R}, {G}}), {{R}, {G}});  // a line one pixel wide
    expectPixels(dib(1, 2 * sign, 1, {W, K}, {{1}, {0}}), {{K}, {W}}, true);
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
  auto refuse = [&](std::vector<unsigned char> d, size_t at, unsigned char v, const char* why) {
    if (at < d.size()) d[at] = v; else d.resize(d.size() - 1);
    EXPECT_EQ(pk::gdi::createBitmapFromDib(d.data(), d.size()), nullptr) << why;
  };
  refuse(good, size_t(-1), 0, "bits cut short");
  refuse(good, 19, 1, "compressed");  // the top byte of the method counts too
  refuse(good, 0, 39, "header too short");
  refuse(good, 14, 16, "16 bits");
  refuse(good, 7, 0x40, "huge width");
  refuse(good, 4, 0, "no width");
  refuse(good, 8, 0, "no height");
  refuse(good, 33, 1, "more colours than the depth has");
  EXPECT_EQ(pk::gdi::createBitmapFromDib(good.data(), 30), nullptr);
  EXPECT_EQ(pk::gdi::createBitmapFromDib(nullptr, good.size()), nullptr);
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
  EXPECT_EQ(pk::gdi::createBitmapFromBmpFile(file.data(), file.size() - 1), nullptr);
  EXPECT_EQ(pk::gdi::createBitmapFromBmpFile(nullptr, file.size()), nullptr);
  file[0] = 'X';
  EXPECT_EQ(pk::gdi::createBitmapFromBmpFile(file.data(), file.size()), nullptr);
}

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
