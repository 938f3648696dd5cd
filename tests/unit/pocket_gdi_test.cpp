// The drawing library: handles and DCs, fills, lines, ellipses, blits and bitmaps.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <pocket/automation.h>

#include "device.h"
#include "fake_host.h"
#include "gdi.h"
#include "resource.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0, kRed = 0xFF0000, kBlue = 0x0000FF;

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

// A colour memory DC of w x h, white, with its bitmap selected.
struct Canvas {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
  Canvas(int w, int h, uint32_t fill = 0xFFFFFF) {
    dc = CreateCompatibleDC(nullptr);
    HDC screen = pk::gdi::createScreenDC(POINT{0, 0}, {});
    bitmap = CreateCompatibleBitmap(screen, w, h);
    pk::gdi::destroyScreenDC(screen);
    old = SelectObject(dc, bitmap);
    HBRUSH b = CreateSolidBrush(pk::toColorref(fill));
    RECT all{0, 0, w, h};
    FillRect(dc, &all, b);
    DeleteObject(b);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  const pk::Surface& s() const { return *pk::gdi::bitmapSurface(bitmap); }
  uint32_t at(int x, int y) const { return s().row(y)[x]; }
  // The picture as rows of characters: '#' for `ink`, '.' for anything else.
  std::string mask(uint32_t ink) const {
    std::string out;
    for (int y = 0; y < s().height; ++y) {
      for (int x = 0; x < s().width; ++x) out += at(x, y) == ink ? '#' : '.';
      out += '\n';
    }
    return out;
  }
  size_t count(uint32_t color) const {
    size_t n = 0;
    for (uint32_t p : s().pixels) n += p == color;
    return n;
  }
};

// ---- Handles, DCs and objects ----

TEST_F(Gdi, NewMemoryDcHoldsMonochromeDefaultBitmapAndDefaultState) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(pk::gdi::liveDCs(), dcs0 + 1);
  HBITMAP mono = CreateCompatibleBitmap(dc, 4, 1);  // compatible with the 1x1 monochrome default
  HGDIOBJ def = SelectObject(dc, mono);
  ASSERT_NE(def, nullptr);
  const pk::Surface* d = pk::gdi::bitmapSurface(static_cast<HBITMAP>(def));
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->width, 1);
  EXPECT_EQ(d->height, 1);
  // Light colours become white and dark ones black on a monochrome bitmap.
  HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
  HBRUSH navy = CreateSolidBrush(RGB(0, 0, 128));
  RECT left{0, 0, 2, 1}, right{2, 0, 4, 1};
  FillRect(dc, &left, yellow);
  FillRect(dc, &right, navy);
  const pk::Surface* m = pk::gdi::bitmapSurface(mono);
  EXPECT_EQ(m->row(0)[0], kWhite);
  EXPECT_EQ(m->row(0)[3], kBlack);
  // Default pen is solid black, default brush white.
  HBITMAP colour = CreateCompatibleBitmap(nullptr, 8, 8);
  SelectObject(dc, colour);
  RECT all{0, 0, 8, 8};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  Ellipse(dc, 0, 0, 8, 8);
  const pk::Surface* c = pk::gdi::bitmapSurface(colour);
  EXPECT_EQ(c->row(4)[0], kBlack);
  EXPECT_EQ(c->row(4)[4], kWhite);
  EXPECT_EQ(SetTextColor(dc, RGB(1, 2, 3)), 0u);
  EXPECT_EQ(SetBkColor(dc, RGB(4, 5, 6)), RGB(255, 255, 255));
  EXPECT_EQ(SetBkColor(dc, 0), RGB(4, 5, 6));
  EXPECT_EQ(SelectObject(dc, def), colour);
  EXPECT_TRUE(DeleteObject(colour));
  EXPECT_TRUE(DeleteObject(mono));
  EXPECT_TRUE(DeleteObject(yellow));
  EXPECT_TRUE(DeleteObject(navy));
  EXPECT_TRUE(DeleteDC(dc));
}

TEST_F(Gdi, SelectObjectReturnsPreviousAndStockObjectsAreNeverCounted) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ whiteBrush = GetStockObject(WHITE_BRUSH);
  EXPECT_EQ(GetStockObject(WHITE_BRUSH), whiteBrush);
  EXPECT_EQ(GetStockObject(9), nullptr);

  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  EXPECT_EQ(pk::gdi::liveObjects(), objects0 + 1);
  EXPECT_EQ(SelectObject(dc, red), whiteBrush);
  EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_PEN)), GetStockObject(BLACK_PEN));
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), red);
  EXPECT_EQ(SelectObject(dc, GetStockObject(SYSTEM_FONT)), GetStockObject(SYSTEM_FONT));

  // Stock objects survive being "deleted" and never change the counts.
  EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(pk::gdi::liveObjects(), objects0 + 1);
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), GetStockObject(BLACK_BRUSH));
  EXPECT_TRUE(DeleteObject(red));
  EXPECT_EQ(pk::gdi::liveObjects(), objects0);
  EXPECT_TRUE(DeleteDC(dc));
}

TEST_F(Gdi, StaleAndBogusHandlesFailWithoutHarm) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBRUSH brush = CreateSolidBrush(0);
  ASSERT_TRUE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_EQ(SelectObject(dc, brush), nullptr);
  RECT r{0, 0, 1, 1};
  EXPECT_EQ(FillRect(dc, &r, brush), 0);
  auto bogus = reinterpret_cast<HGDIOBJ>(uintptr_t(0xDEAD0));
  EXPECT_EQ(SelectObject(dc, bogus), nullptr);
  EXPECT_FALSE(DeleteObject(bogus));
  EXPECT_FALSE(DeleteObject(nullptr));
  // A DC is no GDI object and a GDI object is no DC.
  EXPECT_FALSE(DeleteObject(dc));
  EXPECT_EQ(SelectObject(dc, dc), nullptr);
  EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(GetStockObject(WHITE_BRUSH))));
  ASSERT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_BRUSH)), nullptr);
  EXPECT_EQ(SetTextColor(dc, 0), 0xFFFFFFFFu);
  EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, dc, 0, 0, SRCCOPY));
  EXPECT_FALSE(Ellipse(dc, 0, 0, 4, 4));
  EXPECT_EQ(CreateCompatibleBitmap(dc, 2, 2), nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 0);
}

TEST_F(Gdi, SelectedObjectsCannotBeDeletedAndBitmapsLiveInOneDc) {
  HDC a = CreateCompatibleDC(nullptr);
  HDC b = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(nullptr, 2, 2);
  HGDIOBJ oldA = SelectObject(a, bm);
  ASSERT_NE(oldA, nullptr);
  EXPECT_FALSE(DeleteObject(bm));
  EXPECT_EQ(SelectObject(b, bm), nullptr);  // already in a
  EXPECT_EQ(SelectObject(a, bm), bm);       // selecting again into the same DC is fine
  HBRUSH br = CreateSolidBrush(RGB(1, 2, 3));
  SelectObject(a, br);
  SelectObject(b, br);
  EXPECT_FALSE(DeleteObject(br));
  SelectObject(a, GetStockObject(WHITE_BRUSH));
  EXPECT_FALSE(DeleteObject(br));  // still in b
  // Deleting a DC lets go of what it held.
  EXPECT_TRUE(DeleteDC(b));
  EXPECT_TRUE(DeleteObject(br));
  EXPECT_EQ(SelectObject(a, oldA), bm);
  EXPECT_TRUE(DeleteObject(bm));
  // A bitmap left selected in a DC is free once the DC is gone.
  HBITMAP bm2 = CreateCompatibleBitmap(nullptr, 2, 2);
  SelectObject(a, bm2);
  EXPECT_TRUE(DeleteDC(a));
  EXPECT_TRUE(DeleteObject(bm2));
}

TEST_F(Gdi, CompatibleBitmapsAreColourUnlessTheDcHoldsMonochrome) {
  HDC screen = pk::gdi::createScreenDC(POINT{0, 0}, {RECT{0, 0, 240, 320}});
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP colour = CreateCompatibleBitmap(screen, 3, 3);
  HBITMAP mono = CreateCompatibleBitmap(mem, 3, 3);
  HGDIOBJ old = SelectObject(mem, colour);
  HBITMAP colour2 = CreateCompatibleBitmap(mem, 3, 3);  // the DC now holds a colour bitmap
  RECT r{0, 0, 3, 3};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  for (HBITMAP bm : {colour, colour2, mono}) {
    SelectObject(mem, bm);
    FillRect(mem, &r, red);
  }
  EXPECT_EQ(pk::gdi::bitmapSurface(colour)->row(1)[1], kRed);
  EXPECT_EQ(pk::gdi::bitmapSurface(colour2)->row(1)[1], kRed);
  EXPECT_EQ(pk::gdi::bitmapSurface(mono)->row(1)[1], kBlack);
  // An empty size gives a 1 x 1 bitmap; a negative one nothing.
  HBITMAP empty = CreateCompatibleBitmap(screen, 0, 5);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(pk::gdi::bitmapSurface(empty)->width, 1);
  EXPECT_EQ(CreateCompatibleBitmap(screen, -1, 5), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(screen, 1 << 20, 1 << 20), nullptr);
  SelectObject(mem, old);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(colour), static_cast<HGDIOBJ>(colour2), static_cast<HGDIOBJ>(mono),
                    static_cast<HGDIOBJ>(empty), static_cast<HGDIOBJ>(red)})
    EXPECT_TRUE(DeleteObject(o));
  EXPECT_TRUE(DeleteDC(mem));
  EXPECT_FALSE(DeleteDC(screen));  // window DCs are released, not deleted
  pk::gdi::destroyScreenDC(screen);
}

TEST_F(Gdi, DeviceCapsComeFromTheDeviceSettings) {
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 240);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 320);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 16);
  EXPECT_EQ(GetDeviceCaps(dc, COLORRES), 16);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
  pk::setUpDevice(host, pk::DeviceConfig{480, 640, 4, 192, {}}, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 640);
  EXPECT_EQ(GetDeviceCaps(dc, COLORRES), 4);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 192);
  DeleteDC(dc);
}

// ---- Fills and lines ----

TEST_F(Gdi, FillRectLeavesOutRightAndBottomEdges) {
  Canvas c(8, 6);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  RECT r{2, 1, 5, 3};
  EXPECT_NE(FillRect(c.dc, &r, blue), 0);
  EXPECT_EQ(c.mask(kBlue),
            "........\n"
            "..###...\n"
            "..###...\n"
            "........\n"
            "........\n"
            "........\n");
  RECT inverted{5, 5, 2, 4}, offside{-10, -10, 1, 1};
  FillRect(c.dc, &inverted, blue);
  FillRect(c.dc, &offside, blue);
  EXPECT_EQ(c.count(kBlue), 7u);
  EXPECT_EQ(c.at(0, 0), kBlue);
  RECT all{0, 0, 8, 6};
  EXPECT_NE(FillRect(c.dc, &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))), 0);
  EXPECT_EQ(c.count(kBlue), 7u);
  DeleteObject(blue);
}

TEST_F(Gdi, PolylineLeavesOutTheLastPointOnly) {
  Canvas c(8, 6);
  POINT h[2] = {{1, 1}, {5, 1}};
  ASSERT_TRUE(Polyline(c.dc, h, 2));
  POINT v[2] = {{7, 5}, {7, 2}};  // upwards: 5, 4, 3
  Polyline(c.dc, v, 2);
  POINT path[3] = {{0, 3}, {2, 3}, {2, 5}};
  Polyline(c.dc, path, 3);
  EXPECT_EQ(c.mask(kBlack),
            "........\n"
            ".####...\n"
            "........\n"
            "###....#\n"
            "..#....#\n"
            ".......#\n");
  EXPECT_FALSE(Polyline(c.dc, h, 1));
  POINT dot[2] = {{4, 4}, {4, 4}};
  Polyline(c.dc, dot, 2);
  EXPECT_EQ(c.at(4, 4), kWhite);
}

TEST_F(Gdi, SlantedLinesStepOnePixelAtATime) {
  Canvas c(7, 7);
  POINT shallow[2] = {{0, 0}, {6, 2}};
  Polyline(c.dc, shallow, 2);
  EXPECT_EQ(c.mask(kBlack),
            "##.....\n"
            "..###..\n"
            ".....#.\n"
            ".......\n"
            ".......\n"
            ".......\n"
            ".......\n");
  Canvas d(7, 7);
  POINT steep[2] = {{6, 6}, {3, 0}};
  Polyline(d.dc, steep, 2);
  // One pixel per row from 6 up to 1, each next to the previous one.
  EXPECT_EQ(d.count(kBlack), 6u);
  int lastX = 6;
  for (int y = 6; y >= 1; --y) {
    int found = -1;
    for (int x = 0; x < 7; ++x)
      if (d.at(x, y) == kBlack) found = x;
    ASSERT_GE(found, 0) << y;
    EXPECT_LE(std::abs(found - lastX), 1) << y;
    lastX = found;
  }
  EXPECT_EQ(d.at(3, 0), kWhite);
}

TEST_F(Gdi, LinePensAndFarCoordinates) {
  Canvas c(6, 3, 0x808080);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  POINT a[2] = {{0, 0}, {6, 0}};
  EXPECT_TRUE(Polyline(c.dc, a, 2));
  EXPECT_EQ(c.count(0x808080), 18u);
  SelectObject(c.dc, GetStockObject(WHITE_PEN));
  Polyline(c.dc, a, 2);
  EXPECT_EQ(c.count(kWhite), 6u);
  // A line from far outside to far outside is clipped, not walked pixel by pixel.
  SelectObject(c.dc, GetStockObject(BLACK_PEN));
  POINT far[2] = {{-2000000000, 1}, {2000000000, 1}};
  Polyline(c.dc, far, 2);
  EXPECT_EQ(c.mask(kBlack), "......\n######\n......\n");
}

// ---- Ellipses ----

TEST_F(Gdi, EllipsesAreMirrorSymmetricAndStayInsideTheirBox) {
  for (int w = 1; w <= 23; w += 2)
    for (int h : {1, 2, 5, 10, 13, 20}) {
      Canvas c(30, 30, 0x808080);
      HBRUSH tint = CreateSolidBrush(RGB(255, 175, 175));
      HGDIOBJ old = SelectObject(c.dc, tint);
      ASSERT_TRUE(Ellipse(c.dc, 3, 4, 3 + w, 4 + h));
      SelectObject(c.dc, old);
      DeleteObject(tint);
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
      for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
          bool inside = x >= 3 && x < 3 + w && y >= 4 && y < 4 + h;
          if (!inside) {
            ASSERT_EQ(c.at(x, y), 0x808080u) << x << "," << y;
            continue;
          }
          int mx = 3 + (3 + w - 1 - x), my = 4 + (4 + h - 1 - y);
          ASSERT_EQ(c.at(x, y), c.at(mx, y)) << x << "," << y;
          ASSERT_EQ(c.at(x, y), c.at(x, my)) << x << "," << y;
        }
      // The outline reaches all four sides of the box.
      EXPECT_EQ(c.at(3 + w / 2, 4), kBlack);
      EXPECT_EQ(c.at(3 + w / 2, 4 + h - 1), kBlack);
      EXPECT_EQ(c.at(3, 4 + h / 2), kBlack);
      EXPECT_EQ(c.at(3 + w - 1, 4 + h / 2), kBlack);
    }
}

TEST_F(Gdi, EllipseOutlineEnclosesTheFill) {
  Canvas c(24, 24, 0x808080);
  HBRUSH tint = CreateSolidBrush(RGB(175, 175, 255));
  HGDIOBJ old = SelectObject(c.dc, tint);
  Ellipse(c.dc, 2, 2, 22, 22);
  SelectObject(c.dc, old);
  DeleteObject(tint);
  const uint32_t fill = 0xAFAFFF;
  EXPECT_GT(c.count(fill), 200u);
  EXPECT_GT(c.count(kBlack), 40u);
  // No fill pixel touches the outside: the pen closes the figure.
  for (int y = 1; y < 23; ++y)
    for (int x = 1; x < 23; ++x) {
      if (c.at(x, y) != fill) continue;
      for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
        ASSERT_NE(c.at(x + dx, y + dy), 0x808080u) << x << "," << y;
    }
  // The outline is one pixel thin: the middle row has exactly two pen pixels.
  int pen = 0;
  for (int x = 0; x < 24; ++x) pen += c.at(x, 12) == kBlack;
  EXPECT_EQ(pen, 2);
}

TEST_F(Gdi, EllipseWithoutBrushOrPen) {
  const uint32_t grey = 0x808080;
  Canvas hollow(12, 12, grey);
  SelectObject(hollow.dc, GetStockObject(NULL_BRUSH));
  Ellipse(hollow.dc, 0, 0, 12, 12);
  EXPECT_EQ(hollow.at(6, 6), grey);
  EXPECT_EQ(hollow.at(0, 6), kBlack);
  Canvas both(12, 12, grey);
  Ellipse(both.dc, 0, 0, 12, 12);
  Canvas penless(12, 12, grey);
  SelectObject(penless.dc, GetStockObject(NULL_PEN));
  SelectObject(penless.dc, GetStockObject(BLACK_BRUSH));
  Ellipse(penless.dc, 0, 0, 12, 12);
  // Without a pen the brush covers the figure the outline and fill cover together.
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 12; ++x) {
      EXPECT_EQ(penless.at(x, y) == kBlack, both.at(x, y) != grey) << x << "," << y;
      EXPECT_EQ(hollow.at(x, y) == kBlack, both.at(x, y) == kBlack) << x << "," << y;
    }
  // A box far bigger than the surface is clipped, not walked.
  Ellipse(penless.dc, -1000000000, -1000000000, 1000000000, 1000000000);
  EXPECT_EQ(penless.count(kBlack), 144u);
}

// ---- Blits ----

// A 4 x 4 source with a distinct value in every pixel.
struct Pattern : Canvas {
  Pattern() : Canvas(4, 4) {
    auto* s = const_cast<pk::Surface*>(pk::gdi::bitmapSurface(bitmap));
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) s->row(y)[x] = uint32_t(0x100000 + y * 16 + x);
  }
};

TEST_F(Gdi, BitBltClipsToBothSurfaces) {
  Pattern src;
  Canvas dst(5, 5);
  // Negative destination: the source's top-left 1 x 1 falls outside.
  ASSERT_TRUE(BitBlt(dst.dc, -1, -1, 4, 4, src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(dst.at(0, 0), 0x100011u);
  EXPECT_EQ(dst.at(2, 2), 0x100033u);
  EXPECT_EQ(dst.at(3, 3), kWhite);
  // Asking for more than the source has leaves the rest of the destination alone.
  Canvas dst2(6, 6);
  BitBlt(dst2.dc, 1, 1, 6, 6, src.dc, 2, 1, SRCCOPY);
  EXPECT_EQ(dst2.at(1, 1), 0x100012u);
  EXPECT_EQ(dst2.at(2, 3), 0x100033u);
  EXPECT_EQ(dst2.at(3, 1), kWhite);
  EXPECT_EQ(dst2.at(1, 4), kWhite);
  EXPECT_EQ(dst2.count(kWhite), 36u - 6u);
  // Negative source coordinates skip the missing part too.
  Canvas dst3(4, 4);
  BitBlt(dst3.dc, 0, 0, 4, 4, src.dc, -2, 0, SRCCOPY);
  EXPECT_EQ(dst3.at(0, 0), kWhite);
  EXPECT_EQ(dst3.at(2, 0), 0x100000u);
  EXPECT_EQ(dst3.at(3, 3), 0x100031u);
  EXPECT_FALSE(BitBlt(dst3.dc, 0, 0, 4, 4, src.dc, 0, 0, 0x00EE0086));
}

TEST_F(Gdi, BitBltWithinOneBitmapMovesLikeMemmove) {
  Pattern p;
  BitBlt(p.dc, 1, 0, 3, 4, p.dc, 0, 0, SRCCOPY);
  for (int y = 0; y < 4; ++y) {
    EXPECT_EQ(p.at(0, y), uint32_t(0x100000 + y * 16));
    EXPECT_EQ(p.at(1, y), uint32_t(0x100000 + y * 16));
    EXPECT_EQ(p.at(3, y), uint32_t(0x100000 + y * 16 + 2));
  }
}

TEST_F(Gdi, ScreenDcsDrawAtTheirOriginInsideTheirVisibleRects) {
  pk::device().screenChanged = false;
  // A window at (10, 20) of which two strips are visible.
  HDC dc = pk::gdi::createScreenDC(POINT{10, 20}, {RECT{10, 20, 20, 25}, RECT{10, 27, 40, 30}});
  EXPECT_EQ(pk::gdi::liveDCs(), dcs0 + 1);
  Pattern src;
  ASSERT_TRUE(BitBlt(dc, 0, 0, 4, 4, src.dc, 0, 0, SRCCOPY));
  EXPECT_TRUE(pk::device().screenChanged);
  pk::Surface& screen = pk::device().screen;
  EXPECT_EQ(screen.row(20)[10], 0x100000u);
  EXPECT_EQ(screen.row(24)[13], 0xFFFFFFu);  // outside the 4 x 4 block
  RECT all{-50, -50, 100, 100};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  size_t black = 0;
  for (uint32_t px : screen.pixels) black += px == 0;
  EXPECT_EQ(black, 10u * 5u + 30u * 3u);
  EXPECT_EQ(screen.row(25)[10], 0xFFFFFFu);
  EXPECT_EQ(screen.row(27)[39], 0u);
  // Reading from a screen DC starts at its origin as well.
  Canvas back(3, 3);
  screen.row(20)[10] = 0x123456;
  BitBlt(back.dc, 0, 0, 3, 3, dc, 0, 0, SRCCOPY);
  EXPECT_EQ(back.at(0, 0), 0x123456u);
  EXPECT_EQ(back.at(2, 2), 0u);
  pk::gdi::destroyScreenDC(dc);
  // A DC whose window is fully covered draws nothing.
  HDC hidden = pk::gdi::createScreenDC(POINT{0, 0}, {});
  FillRect(hidden, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  for (uint32_t px : screen.pixels) ASSERT_NE(px, 0x808080u);
  pk::gdi::destroyScreenDC(hidden);
}

TEST_F(Gdi, ColourBlitIntoMonochromeMapsByLuminance) {
  Canvas src(3, 1);
  auto* s = const_cast<pk::Surface*>(pk::gdi::bitmapSurface(src.bitmap));
  s->row(0)[0] = 0xFFFF00;  // yellow: light
  s->row(0)[1] = 0x0000FF;  // blue: dark
  s->row(0)[2] = 0xC0C0C0;
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP mono = CreateCompatibleBitmap(mem, 3, 1);
  HGDIOBJ old = SelectObject(mem, mono);
  BitBlt(mem, 0, 0, 3, 1, src.dc, 0, 0, SRCCOPY);
  const pk::Surface* m = pk::gdi::bitmapSurface(mono);
  EXPECT_EQ(m->row(0)[0], kWhite);
  EXPECT_EQ(m->row(0)[1], kBlack);
  EXPECT_EQ(m->row(0)[2], kWhite);
  SelectObject(mem, old);
  DeleteObject(mono);
  DeleteDC(mem);
}

// ---- Bitmaps ----

std::vector<unsigned char> dib(int w, int h, int bits, std::vector<uint32_t> palette,
                               const std::vector<std::vector<uint32_t>>& topRowFirst, uint32_t clrUsed = 0) {
  std::vector<unsigned char> out(40);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  put32(0, 40);
  put32(4, uint32_t(w));
  put32(8, uint32_t(h));
  out[12] = 1;
  out[14] = uint8_t(bits);
  put32(32, clrUsed);
  for (uint32_t c : palette) {
    out.push_back(uint8_t(c));
    out.push_back(uint8_t(c >> 8));
    out.push_back(uint8_t(c >> 16));
    out.push_back(0);
  }
  size_t stride = ((size_t(w) * size_t(bits) + 31) / 32) * 4;
  int rows = h < 0 ? -h : h;
  for (int r = 0; r < rows; ++r) {
    const auto& row = topRowFirst[size_t(h < 0 ? r : rows - 1 - r)];
    std::vector<unsigned char> line(stride, 0);
    for (int x = 0; x < w; ++x) {
      uint32_t v = row[size_t(x)];
      if (bits == 24) {
        line[size_t(x) * 3] = uint8_t(v);
        line[size_t(x) * 3 + 1] = uint8_t(v >> 8);
        line[size_t(x) * 3 + 2] = uint8_t(v >> 16);
      } else {
        int bit = x * bits;
        line[size_t(bit / 8)] |= uint8_t(v << (8 - bits - bit % 8));
      }
    }
    out.insert(out.end(), line.begin(), line.end());
  }
  return out;
}

// Decodes, checks every pixel against `expect` (0xRRGGBB) and frees the bitmap.
void expectPixels(const std::vector<unsigned char>& data, const std::vector<std::vector<uint32_t>>& expect) {
  HBITMAP bm = pk::gdi::createBitmapFromDib(data.data(), data.size());
  ASSERT_NE(bm, nullptr);
  const pk::Surface* s = pk::gdi::bitmapSurface(bm);
  ASSERT_EQ(s->height, int(expect.size()));
  ASSERT_EQ(s->width, int(expect[0].size()));
  for (int y = 0; y < s->height; ++y)
    for (int x = 0; x < s->width; ++x) EXPECT_EQ(s->row(y)[x], expect[size_t(y)][size_t(x)]) << x << "," << y;
  EXPECT_TRUE(DeleteObject(bm));
}

TEST_F(Gdi, DibsOfEveryDepthDecodeBottomUpAndTopDown) {
  const uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = 0xFFFFFF, K = 0;
  for (int sign : {1, -1}) {
    SCOPED_TRACE(sign);
    // Nine pixels wide: a row spills into a second byte.
    expectPixels(dib(9, 2 * sign, 1, {K, W}, {{1, 0, 1, 0, 1, 0, 1, 0, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 1}}),
                 {{W, K, W, K, W, K, W, K, W}, {K, K, K, K, K, K, K, K, W}});
    expectPixels(dib(3, 2 * sign, 4, {K, R, G, B}, {{1, 2, 3}, {3, 2, 1}}, 4), {{R, G, B}, {B, G, R}});
    expectPixels(dib(3, 3 * sign, 8, {W, R, G, B, K}, {{0, 1, 2}, {3, 4, 0}, {1, 1, 1}}, 5),
                 {{W, R, G}, {B, K, W}, {R, R, R}});
    expectPixels(dib(2, 2 * sign, 24, {}, {{R, G}, {B, 0x123456}}), {{R, G}, {B, 0x123456}});
  }
  // A full palette when the count is 0.
  std::vector<uint32_t> full(16, 0);
  full[15] = 0xABCDEF;
  expectPixels(dib(2, 1, 4, full, {{15, 0}}), {{0xABCDEF, 0}});
}

TEST_F(Gdi, BrokenDibsAreRefused) {
  auto good = dib(4, 4, 8, {0, 0xFFFFFF}, {{0, 1, 0, 1}, {1, 0, 1, 0}, {0, 0, 0, 0}, {1, 1, 1, 1}}, 2);
  ASSERT_NE(good.size(), 0u);
  auto refuse = [&](std::vector<unsigned char> d, const char* why) {
    EXPECT_EQ(pk::gdi::createBitmapFromDib(d.data(), d.size()), nullptr) << why;
  };
  refuse(std::vector<unsigned char>(good.begin(), good.end() - 1), "bits cut short");
  refuse(std::vector<unsigned char>(good.begin(), good.begin() + 30), "header cut short");
  auto rle = good;
  rle[16] = 1;
  refuse(rle, "compressed");
  auto deep = good;
  deep[14] = 16;
  refuse(deep, "16 bits");
  auto wide = good;
  wide[4] = 0;
  wide[5] = 0;
  wide[6] = 0;
  wide[7] = 0x40;
  refuse(wide, "huge width");
  auto palette = good;
  palette[32] = 255;
  palette[33] = 1;
  refuse(palette, "more colours than the depth has");
  EXPECT_EQ(pk::gdi::createBitmapFromDib(nullptr, 100), nullptr);
  EXPECT_EQ(pk::gdi::liveObjects(), objects0);
}

TEST_F(Gdi, BmpFilesAndModuleBitmaps) {
  auto body = dib(2, 1, 24, {}, {{0x102030, 0x405060}});
  std::vector<unsigned char> file = {'B', 'M'};
  uint32_t total = uint32_t(14 + body.size()), off = 54;
  for (int i = 0; i < 4; ++i) file.push_back(uint8_t(total >> (8 * i)));
  file.insert(file.end(), {0, 0, 0, 0});
  for (int i = 0; i < 4; ++i) file.push_back(uint8_t(off >> (8 * i)));
  file.insert(file.end(), body.begin(), body.end());
  HBITMAP f = pk::gdi::createBitmapFromBmpFile(file.data(), file.size());
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(pk::gdi::bitmapSurface(f)->row(0)[1], 0x405060u);
  DeleteObject(f);
  file[0] = 'X';
  EXPECT_EQ(pk::gdi::createBitmapFromBmpFile(file.data(), file.size()), nullptr);

  HINSTANCE module = pk::instanceOf(pkProgramModule);
  HBITMAP a = LoadBitmapW(module, u"bmp_four");
  HBITMAP b = LoadBitmapW(module, u"BMP_FOUR");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);  // every load is a bitmap of its own
  EXPECT_EQ(pk::gdi::liveObjects(), objects0 + 2);
  const pk::Surface* s = pk::gdi::bitmapSurface(a);
  EXPECT_EQ(s->width, 3);
  EXPECT_EQ(s->row(0)[0], 0xFF0000u);
  EXPECT_EQ(s->row(1)[0], 0x0000FFu);
  EXPECT_EQ(LoadBitmapW(module, u"BMP_NONE"), nullptr);
  EXPECT_EQ(LoadBitmapW(nullptr, u"BMP_FOUR"), nullptr);
  HBITMAP byNumber = LoadBitmapW(module, MAKEINTRESOURCEW(300));
  EXPECT_NE(byNumber, nullptr);
  // The black-and-white picture is monochrome: bitmaps made for its DC are too.
  HBITMAP mono = LoadBitmapW(module, u"BMP_MONO");
  ASSERT_NE(mono, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, mono);
  HBITMAP made = CreateCompatibleBitmap(dc, 2, 2);
  SelectObject(dc, made);
  RECT r{0, 0, 2, 2};
  HBRUSH red = CreateSolidBrush(RGB(200, 0, 0));
  FillRect(dc, &r, red);
  EXPECT_EQ(pk::gdi::bitmapSurface(made)->row(0)[0], 0u);
  SelectObject(dc, old);
  for (HGDIOBJ o : std::initializer_list<HGDIOBJ>{a, b, byNumber, mono, made, red}) EXPECT_TRUE(DeleteObject(o));
  DeleteDC(dc);
}

// The drawing of one cell, as the game does it, gives back everything it made.
TEST_F(Gdi, CountsReturnToZeroAfterACellIsPainted) {
  HDC window = pk::gdi::createScreenDC(POINT{0, 26}, {RECT{0, 26, 240, 294}});
  EXPECT_EQ(pk::automation::liveDeviceContexts(), dcs0 + 1);
  HDC mem = CreateCompatibleDC(window);
  HBITMAP pic = LoadBitmapW(pk::instanceOf(pkProgramModule), u"BMP_TRUE");
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pk::automation::liveGdiObjects(), objects0 + 1);
  EXPECT_EQ(pk::automation::liveDeviceContexts(), dcs0 + 2);
  HGDIOBJ old = SelectObject(mem, pic);
  BitBlt(window, 20, 30, 20, 20, mem, 0, 0, SRCCOPY);
  EXPECT_EQ(pk::device().screen.row(56)[20], 0xFF0000u);
  SelectObject(mem, old);
  EXPECT_TRUE(DeleteObject(pic));
  EXPECT_TRUE(DeleteDC(mem));
  pk::gdi::destroyScreenDC(window);
  EXPECT_EQ(pk::automation::liveGdiObjects(), objects0);
  EXPECT_EQ(pk::automation::liveDeviceContexts(), dcs0);
}

}  // namespace
