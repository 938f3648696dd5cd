// The drawing library: objects and DCs, fills, lines, ellipses, blits and bitmaps.
#include <array>
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
  EXPECT_FALSE(DeleteObject(bm) || SelectObject(a, red) || DeleteObject(a));
  RECT r{0, 0, 1, 1};
  EXPECT_FALSE(BitBlt(a, 0, 0, 1, 1, b, 0, 0, SRCCOPY) || BitBlt(a, 0, 0, 1, 1, a, 0, 0, SRCCOPY + 1) ||
               FillRect(a, nullptr, static_cast<HBRUSH>(black)) || FillRect(a, &r, red) || Polyline(a, nullptr, 2));
  ASSERT_TRUE(DeleteDC(a));
  EXPECT_FALSE(DeleteDC(a));
  EXPECT_FALSE(BitBlt(a, 0, 0, 1, 1, a, 0, 0, SRCCOPY) || GetDeviceCaps(a, LOGPIXELSX) || Ellipse(a, 0, 0, 2, 2));
}

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

TEST_F(Gdi, LinesStepExactlyAndLeaveOutTheLastPoint) {
  // Every slope, from inside and from far outside the canvas: each step along the major axis
  // takes the exact minor coordinate rounded half away from the start.
  for (int dx : {-40, -9, -4, -1, 0, 2, 3, 8, 40})
    for (int dy : {-40, -7, -3, 0, 1, 4, 9, 40})
      for (POINT a : {POINT{6, 5}, POINT{6 - dx, 5 - dy}}) {
        Canvas c(13, 11);
        POINT ab[2] = {a, {a.x + dx, a.y + dy}};
        ASSERT_TRUE(Polyline(c.dc, ab, 2));
        std::set<std::pair<int, int>> want;
        for (int i = 0, n = std::max(std::abs(dx), std::abs(dy)); i < n; ++i) {
          int x = a.x + int(std::lround(double(i) * dx / n)), y = a.y + int(std::lround(double(i) * dy / n));
          if (x >= 0 && x < 13 && y >= 0 && y < 11) want.insert({x, y});
        }
        EXPECT_EQ(c.points(kBlack), want) << a.x << "," << a.y << " by " << dx << "," << dy;
      }
  Canvas c(6, 4);
  POINT path[3] = {{0, 0}, {2, 0}, {2, 3}}, far[2] = {{-2000000000, 3}, {2000000000, 3}}, up[2] = {{5, 2}, {5, 0}};
  Polyline(c.dc, path, 3);
  Polyline(c.dc, far, 2);  // clipped, not walked
  EXPECT_FALSE(Polyline(c.dc, up, 1));
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  EXPECT_TRUE(Polyline(c.dc, up, 2));  // a hollow pen draws nothing
  EXPECT_EQ(c.mask(kBlack), "###...\n..#...\n..#...\n######\n");
}

// Inside a w x h box: the pixel's centre within the ellipse somewhere over its row's band, or a middle column.
bool inEllipse(int64_t w, int64_t h, int64_t x, int64_t y) {
  if (x < 0 || y < 0 || x >= w || y >= h) return false;
  int64_t cx = 2 * x + 1 - w, dy = std::max<int64_t>(0, std::abs(2 * y + 1 - h) - 1);
  return std::abs(cx) <= 1 || cx * cx * h * h + dy * dy * w * w <= w * w * h * h;
}

TEST_F(Gdi, EllipsesFillTheirBoxInsideAOnePixelOutline) {
  HBRUSH brush = CreateSolidBrush(RGB(255, 175, 175));
  // Outline and fill, outline alone, fill alone; in the canvas and cut by each of its sides.
  HGDIOBJ pen = GetStockObject(BLACK_PEN), noPen = GetStockObject(NULL_PEN), noBrush = GetStockObject(NULL_BRUSH);
  struct Look { HGDIOBJ pen, brush; int x, y; } looks[] = {{pen, brush, 3, 4}, {pen, noBrush, -2, -3}, {noPen, brush, 9, 12}};
  for (int w : {1, 2, 4, 9, 16, 23})
    for (int h : {1, 2, 5, 10, 13, 20, 400})
      for (Look& k : looks) {
        if (&k == looks) k.y = 27 - h;  // its last row shows, however tall
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " at " + std::to_string(k.x));
        Canvas c(30, 30, kGrey);
        SelectObject(c.dc, k.pen), SelectObject(c.dc, k.brush);
        ASSERT_TRUE(Ellipse(c.dc, k.x + w, k.y + h, k.x, k.y));  // corners either way round
        for (int y = 0; y < 30; ++y)
          for (int x = 0; x < 30; ++x) {
            auto in = [&](int dx, int dy) { return inEllipse(w, h, x - k.x + dx, y - k.y + dy); };
            bool edge = !(in(-1, 0) && in(1, 0) && in(0, -1) && in(0, 1));
            ASSERT_EQ(c.at(x, y), !in(0, 0) ? kGrey : edge && k.pen == pen ? kBlack : k.brush == brush ? 0xFFAFAFu : kGrey) << x << "," << y;
          }
      }
  DeleteObject(brush);
}

// A 4 x 4 source with a distinct value in every pixel.
struct Pattern : Canvas {
  Pattern() : Canvas(4, 4) {
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) s().row(y)[x] = uint32_t(0x100000 + y * 16 + x);
  }
};

TEST_F(Gdi, BitBltCopiesWhatBothSurfacesHaveAndMovesWithinOneLikeMemmove) {
  // x, y, width, height, source x, source y: onto a 6 x 5 canvas, and within the source itself.
  struct Blit { int x, y, w, h, sx, sy; } blits[] = {{-1, -1, 4, 4, 0, 0}, {4, 4, 1, 1, 3, 2}, {1, 1, 6, 6, 2, 1},
      {0, 0, 4, 4, -2, 0}, {1, 2, 3, 9, 0, -1}, {0, 1, 3, 3, 1, 0}, {2, 0, 4, 4, 1, 2}, {5, 0, 2, 2, 0, 0}, {0, 0, 0, 4, 0, 0}};
  for (const Blit& k : blits)
    for (bool self : {false, true}) {
      SCOPED_TRACE(std::to_string(k.x) + "," + std::to_string(k.y) + " from " + std::to_string(k.sx) + "," + std::to_string(k.sy));
      Pattern src;
      Canvas other(6, 5);
      const Canvas& dest = self ? src : other;
      const pk::Surface from = src.s(), before = dest.s();
      ASSERT_TRUE(BitBlt(dest.dc, k.x, k.y, k.w, k.h, src.dc, k.sx, k.sy, SRCCOPY));
      for (int y = 0; y < before.height; ++y)
        for (int x = 0; x < before.width; ++x) {
          int sx = x - k.x + k.sx, sy = y - k.y + k.sy;
          bool copied = x >= k.x && x < k.x + k.w && y >= k.y && y < k.y + k.h && from.contains(sx, sy);
          ASSERT_EQ(dest.at(x, y), copied ? from.row(sy)[sx] : before.row(y)[x]) << x << "," << y;
        }
    }
}

TEST_F(Gdi, ScreenDcsDrawOnlyInsideTheirVisibleRects) {
  // A window at (10, 20) of which two strips are visible.
  HDC dc = pk::gdi::createScreenDC(POINT{10, 20}, {RECT{10, 20, 20, 25}, RECT{10, 27, 40, 30}});
  Pattern src;
  ASSERT_TRUE(BitBlt(dc, 0, 0, 4, 4, src.dc, 0, 0, SRCCOPY));
  Canvas back(1, 1);
  BitBlt(back.dc, 0, 0, 1, 1, dc, 1, 2, SRCCOPY);  // as a source too, in the window's coordinates
  EXPECT_EQ(back.at(0, 0), 0x100021u);
  POINT path[3] = {{40, 2}, {2, 2}, {2, 100}};
  Polyline(dc, path, 3);  // across a strip, down through both and the gap: no pixel outside them, as the count shows
  RECT all{-50, -50, 100, 100};
  for (int brush : {NULL_BRUSH, BLACK_BRUSH})  // a hollow brush succeeds too
    EXPECT_EQ(FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(brush))), 1);
  const pk::Surface& screen = pk::device().screen;
  EXPECT_EQ(size_t(std::count(screen.pixels.begin(), screen.pixels.end(), 0u)), 10u * 5u + 30u * 3u);
  // Text, its underline too, lands where a memory DC puts it, moved to the window's place on the white screen.
  HDC window = pk::gdi::createScreenDC(POINT{100, 200}, {RECT{0, 0, 240, 320}});
  Canvas text(24, 20);
  RECT box{0, 0, 24, 20};
  for (HDC d : {text.dc, window}) DrawTextW(d, u"&W", -1, &box, DT_SINGLELINE);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 24; ++x) ASSERT_EQ(screen.row(200 + y)[100 + x], text.at(x, y)) << x << "," << y;
  pk::gdi::destroyScreenDC(window);
  pk::gdi::destroyScreenDC(dc);
  pk::gdi::destroyScreenDC(dc);  // once gone, harmless
  HDC hidden = pk::gdi::createScreenDC(POINT{0, 0}, {});  // drawing where nothing shows is no failure
  EXPECT_TRUE(BitBlt(hidden, 0, 0, 1, 1, src.dc, 0, 0, SRCCOPY) && Polyline(hidden, path, 3) && Ellipse(hidden, 0, 0, 5, 5) &&
              Ellipse(hidden, 0, 0, 0, 5) &&
              FillRect(hidden, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))) == 1);
  pk::gdi::destroyScreenDC(hidden);
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

TEST_F(Painted, TheCommonestSquarePictureMakesTheBoardTheKeyboardStylusWalks) {
  // Square pictures (size, x, y in the window) copied onto the main window in one paint; then its board, in
  // its pixels. Neither a picture that is not square nor one through another DC is a cell.
  using Grid = std::array<int, 5>;
  auto paint = [&](std::vector<std::array<int, 3>> pictures) {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(main, &ps), other = GetDC(main);
    Canvas c(1, 1);
    for (auto [size, x, y] : pictures)
      BitBlt(dc, x, y, size, size, c.dc, 0, 0, SRCCOPY), BitBlt(dc, 0, 0, 9, 8, c.dc, 0, 0, SRCCOPY),
          BitBlt(other, 0, 0, 9, 9, c.dc, 0, 0, SRCCOPY);
    EndPaint(main, &ps), ReleaseDC(main, other);
    std::optional<pk::CellGrid> g = pk::paintedCells();
    int s = pk::device().scale, wx = int(pk::wm::screenRect(main).left), wy = int(pk::wm::screenRect(main).top);
    return g ? Grid{g->left / s - wx, g->top / s - wy, g->size / s, g->cols, g->rows} : Grid{};
  };
  using Pictures = std::vector<std::array<int, 3>>;
  auto lattice = [](int size, int x, int y, int cols, int rows, Pictures more = {}) {
    for (int i = 0; i < cols * rows; ++i) more.push_back({size, x + i % cols * size, y + i / cols * size});
    return more;
  };
  // Only cells whose centre is on the window count: here the last ones are centred on its last column and row.
  EXPECT_EQ(paint(lattice(40, 19, 7, 6, 7)), (Grid{19, 7, 40, 6, 7}));
  pk::device().scale = 2;  // the host shows each pixel as a square of four
  Pictures board = lattice(20, 5, 7, 3, 2);
  EXPECT_EQ(paint(lattice(20, 5, 7, 3, 2, {{30, 100, 100}, board[1], {1, 0, 0}, {1, 1, 0}, {1, 0, 1}})), (Grid{5, 7, 20, 3, 2}));
  EXPECT_EQ(paint({board.begin(), board.end() - 1}), Grid{}) << "a hole";
  for (int k : {1, 2}) {  // a corner off the lattice, across or down
    Pictures shifted = board;
    shifted[4][size_t(k)] += 5;
    EXPECT_EQ(paint(shifted), Grid{});
  }
  EXPECT_EQ(paint({{20, 0, 0}}), Grid{}) << "a picture alone";
  EXPECT_EQ(paint(lattice(20, 0, 0, 1, 2, lattice(1, 0, 0, 2, 2))), (Grid{0, 0, 20, 1, 2})) << "a pixel is no picture";
  EXPECT_EQ(paint(lattice(20, 50, 0, 2, 1, lattice(2, 0, 0, 2, 1))), (Grid{0, 0, 2, 2, 1})) << "a tie: the smaller";
  // Cells whose centre is off the window are left out: one at the window's edge is off it.
  EXPECT_EQ(paint(lattice(40, 50, 38, 6, 7)), (Grid{50, 38, 40, 5, 6}));
  EXPECT_EQ(paint(lattice(40, 20, 8, 6, 7)), (Grid{20, 8, 40, 5, 6}));
  EXPECT_EQ(paint(lattice(20, -10, -10, 2, 2)), (Grid{-10, -10, 20, 2, 2})) << "centred on the first column and row";
  for (Pictures off : {lattice(20, -11, 0, 2, 1), lattice(20, 0, -11, 1, 2), lattice(20, 250, 0, 2, 1), lattice(20, 0, 280, 1, 2)})
    EXPECT_EQ(paint(off), Grid{});
  // The keyboard's stylus walks it a cell a key, stops at its edges and keeps to it as it shrinks.
  pk::KeyboardStylus k;
  std::deque<pk::InputEvent> out;
  auto walk = [&](std::vector<pk::Key> keys) {
    for (pk::Key key : keys) EXPECT_TRUE(k.press(key, out));
    RECT r = k.outline().value_or(RECT{}), w = pk::wm::screenRect(main);
    return std::array<long, 2>{(r.left / 2 - w.left - 5) / 20, (r.top / 2 - w.top - 7) / 20};
  };
  using K = pk::Key;
  paint(lattice(20, 5, 7, 4, 3));
  EXPECT_EQ(walk({K::Down, K::Left, K::Up}), (std::array<long, 2>{0, 0}));
  EXPECT_EQ(walk({K::Right, K::Right, K::Right, K::Right, K::Down, K::Down, K::Down, K::Up, K::Left, K::Left}), (std::array<long, 2>{1, 1}));
  for (auto [dx, dy, col, row] : {std::array<int, 4>{-1, -1, 1, 0}, {0, 0, 2, 1}}) {
    paint(lattice(20, 5, 7, 4, 3));
    walk({K::Right, K::Right, K::Down, K::Down});
    paint(board);
    EXPECT_EQ(walk({}), (std::array<long, 2>{2, 1}));
    EXPECT_TRUE(k.arrow(dx, dy));
    EXPECT_EQ(walk({}), (std::array<long, 2>{col, row}));
  }
  EXPECT_FALSE(k.press(K::Space, out));  // a tap at the cell's centre, in the host's pixels
  k.hide();
  EXPECT_TRUE(k.press(K::Space, out));  // only shows it again
  EXPECT_FALSE(k.press(K::F1, out));
  std::vector<int> got;
  for (const pk::InputEvent& e : out) got.insert(got.end(), {int(e.kind), e.x, e.y});
  using E = pk::InputEvent::Kind;
  EXPECT_EQ(got, (std::vector<int>{int(E::StylusDown), 110, 126, int(E::StylusUp), 110, 126, int(E::KeyF1), 0, 0}));
  paint(lattice(20, 40, 7, 3, 2));
  DestroyWindow(main);
  EXPECT_FALSE(FindWindowW(u"ChromeTestMain", u"Fizzorbs")) << "a second copy would still find it";
  main = CreateWindowExW(0, u"ChromeTestMain", u"", WS_VISIBLE, 30, 26, 210, 268, nullptr, nullptr, test::testInstance(), nullptr);
  EXPECT_FALSE(pk::paintedCells()) << "the old main window's board";
  EXPECT_EQ(paint(lattice(20, -11, 0, 2, 1)), Grid{});
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
