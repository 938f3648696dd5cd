// Drawing calls: BitBlt, FillRect, Polyline, Ellipse.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "device.h"
#include "gdi_internal.h"
#include "painted.h"

namespace pk::gdi {
namespace {

struct Span {
  int64_t left = 0;
  int64_t right = -1;  // inclusive; empty when right < left
};

// Row j of an ellipse filling a w x h box: the pixels whose centres lie within the
// ellipse's widest extent over the row's band, so the figure touches all four sides.
// Rows and columns are mirrored by construction so that the figure is exactly symmetric.
Span ellipseRow(int64_t w, int64_t h, int64_t j) {
  if (j < 0 || j >= h) return {};
  int64_t jj = std::min(j, h - 1 - j);
  double a = double(w) / 2, b = double(h) / 2;
  double dy = std::max(0.0, std::abs(double(jj) + 0.5 - b) - 0.5) / b;
  double half = a * std::sqrt(std::max(0.0, 1.0 - dy * dy));
  int64_t left = int64_t(std::ceil(a - half - 0.5));
  left = std::clamp<int64_t>(left, 0, (w - 1) / 2);
  return {left, w - 1 - left};
}

}  // namespace
}  // namespace pk::gdi

using namespace pk::gdi;

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop) {
  DC* d = findDC(dest);
  DC* s = findDC(src);
  if (!d || !s || rop != SRCCOPY) return FALSE;
  if (width <= 0 || height <= 0) return TRUE;

  const pk::Surface* from;
  int64_t sox = 0, soy = 0;
  if (s->screen) {
    from = &pk::device().screen;
    sox = s->origin.x;
    soy = s->origin.y;
  } else {
    Bitmap* b = findBitmap(s->bitmap);
    if (!b) return FALSE;
    from = &b->surface;
    if (d->screen && width == height) pk::painted::squarePicture(dest, x + d->origin.x, y + d->origin.y, width);
  }
  Target t;
  if (!targetOf(*d, t)) return TRUE;

  // Destination device box, cut to where the source surface has pixels.
  int64_t dl = int64_t(x) + t.ox, dt = int64_t(y) + t.oy;
  int64_t shiftX = int64_t(srcX) + sox - dl, shiftY = int64_t(srcY) + soy - dt;
  int64_t l = std::max(dl, -shiftX), tp = std::max(dt, -shiftY);
  int64_t r = std::min(dl + width, int64_t(from->width) - shiftX);
  int64_t b = std::min(dt + height, int64_t(from->height) - shiftY);
  l = std::max<int64_t>(l, t.bounds.left);
  tp = std::max<int64_t>(tp, t.bounds.top);
  r = std::min<int64_t>(r, t.bounds.right);
  b = std::min<int64_t>(b, t.bounds.bottom);
  if (l >= r || tp >= b) return TRUE;

  // Source and destination may overlap on one surface: read from a copy.
  pk::Surface copy;
  if (from == t.surface) {
    copy = pk::Surface(int(r - l), int(b - tp));
    for (int64_t yy = tp; yy < b; ++yy)
      std::copy_n(from->row(int(yy + shiftY)) + (l + shiftX), r - l, copy.row(int(yy - tp)));
    from = &copy;
    shiftX = -l;
    shiftY = -tp;
  }
  for (const RECT& c : t.clips) {
    int64_t cl = std::max<int64_t>(l, c.left), cr = std::min<int64_t>(r, c.right);
    int64_t ct = std::max<int64_t>(tp, c.top), cb = std::min<int64_t>(b, c.bottom);
    for (int64_t yy = ct; yy < cb; ++yy) {
      const uint32_t* in = from->row(int(yy + shiftY)) + (cl + shiftX);
      uint32_t* out = t.surface->row(int(yy)) + cl;
      if (t.mono)
        std::transform(in, in + (cr - cl), out, monoPixel);
      else
        std::copy_n(in, cr - cl, out);
    }
  }
  return TRUE;
}

int FillRect(HDC handle, const RECT* rect, HBRUSH brush) {
  DC* dc = findDC(handle);
  Brush* br = findBrush(brush);
  if (!dc || !rect || !br) return 0;
  if (br->hollow) return 1;
  Target t;
  if (!targetOf(*dc, t)) return 1;
  fillDeviceRect(t, int64_t(rect->left) + t.ox, int64_t(rect->top) + t.oy, int64_t(rect->right) + t.ox,
                 int64_t(rect->bottom) + t.oy, pixelFor(t, br->color));
  return 1;
}

BOOL Polyline(HDC handle, const POINT* points, int count) {
  DC* dc = findDC(handle);
  if (!dc || !points || count < 2) return FALSE;
  Pen* pen = findPen(dc->pen);
  if (!pen || pen->hollow) return TRUE;
  Target t;
  if (!targetOf(*dc, t)) return TRUE;
  uint32_t ink = pixelFor(t, pen->color);
  for (int k = 0; k + 1 < count; ++k) {
    int64_t x0 = int64_t(points[k].x) + t.ox, y0 = int64_t(points[k].y) + t.oy;
    int64_t x1 = int64_t(points[k + 1].x) + t.ox, y1 = int64_t(points[k + 1].y) + t.oy;
    // Steps along the major axis; the minor one is rounded exactly, which is the pixel
    // choice of Bresenham's walk. Only steps that can land in the target are taken.
    bool xMajor = std::llabs(x1 - x0) >= std::llabs(y1 - y0);
    int64_t n = xMajor ? std::llabs(x1 - x0) : std::llabs(y1 - y0);
    if (n == 0) continue;
    int64_t maj0 = xMajor ? x0 : y0, min0 = xMajor ? y0 : x0;
    int64_t majStep = (xMajor ? x1 - x0 : y1 - y0) > 0 ? 1 : -1;
    int64_t dMin = xMajor ? y1 - y0 : x1 - x0;
    int64_t lo = xMajor ? t.bounds.left : t.bounds.top, hi = (xMajor ? t.bounds.right : t.bounds.bottom) - 1;
    int64_t iFirst = 0, iLast = n - 1;
    if (majStep > 0) {
      iFirst = std::max(iFirst, lo - maj0);
      iLast = std::min(iLast, hi - maj0);
    } else {
      iFirst = std::max(iFirst, maj0 - hi);
      iLast = std::min(iLast, maj0 - lo);
    }
    for (int64_t i = iFirst; i <= iLast; ++i) {
      // Round half away from the start point, in the direction of travel.
      __int128 num = __int128(2) * i * std::llabs(dMin) + n;
      int64_t off = int64_t(num / (2 * n));
      int64_t minor = min0 + (dMin >= 0 ? off : -off);
      int64_t major = maj0 + majStep * i;
      if (xMajor)
        plot(t, major, minor, ink);
      else
        plot(t, minor, major, ink);
    }
  }
  return TRUE;
}

BOOL Ellipse(HDC handle, int left, int top, int right, int bottom) {
  DC* dc = findDC(handle);
  if (!dc) return FALSE;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  int64_t w = int64_t(right) - left, h = int64_t(bottom) - top;
  if (w <= 0 || h <= 0) return TRUE;
  Pen* pen = findPen(dc->pen);
  Brush* brush = findBrush(dc->brush);
  bool outline = pen && !pen->hollow;
  bool fill = brush && !brush->hollow;
  Target t;
  if (!targetOf(*dc, t)) return TRUE;
  uint32_t ink = outline ? pixelFor(t, pen->color) : 0;
  uint32_t paint = fill ? pixelFor(t, brush->color) : 0;
  int64_t bx = int64_t(left) + t.ox, by = int64_t(top) + t.oy;
  int64_t jFirst = std::max<int64_t>(0, t.bounds.top - by);
  int64_t jLast = std::min<int64_t>(h - 1, t.bounds.bottom - 1 - by);
  for (int64_t j = jFirst; j <= jLast; ++j) {
    Span row = ellipseRow(w, h, j);
    if (row.right < row.left) continue;
    // A pixel is on the outline unless its four neighbours are all inside.
    Span up = ellipseRow(w, h, j - 1), down = ellipseRow(w, h, j + 1);
    int64_t innerL = std::max({row.left + 1, up.left, down.left});
    int64_t innerR = std::min({row.right - 1, up.right, down.right});
    if (up.right < up.left || down.right < down.left) innerR = innerL - 1;
    int64_t yy = by + j;
    if (!outline) {
      if (fill) fillDeviceRect(t, bx + row.left, yy, bx + row.right + 1, yy + 1, paint);
      continue;
    }
    if (innerL > innerR) {
      fillDeviceRect(t, bx + row.left, yy, bx + row.right + 1, yy + 1, ink);
      continue;
    }
    fillDeviceRect(t, bx + row.left, yy, bx + innerL, yy + 1, ink);
    fillDeviceRect(t, bx + innerR + 1, yy, bx + row.right + 1, yy + 1, ink);
    if (fill) fillDeviceRect(t, bx + innerL, yy, bx + innerR + 1, yy + 1, paint);
  }
  return TRUE;
}
