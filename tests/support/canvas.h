// A colour memory surface for tests to draw on and read back.
#pragma once
#include <algorithm>
#include <set>
#include <string>

#include <windows.h>

#include "gdi/gdi.h"

namespace test {

// A memory DC of w x h filled with `ground` (0x00RRGGBB), its colour bitmap selected.
struct Canvas {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap;
  HGDIOBJ old;
  Canvas(int w, int h, uint32_t ground = 0xFFFFFF) : bitmap(CreateCompatibleBitmap(nullptr, w, h)) {
    old = SelectObject(dc, bitmap);
    HBRUSH b = CreateSolidBrush(RGB(ground >> 16, (ground >> 8) & 0xFF, ground & 0xFF));
    RECT all{0, 0, w, h};
    FillRect(dc, &all, b);
    DeleteObject(b);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  pk::Surface& s() const { return *const_cast<pk::Surface*>(pk::gdi::bitmapSurface(bitmap)); }
  uint32_t at(int x, int y) const { return s().row(y)[x]; }
  // Sets every pixel, drawing nothing.
  void fill(uint32_t c) { std::fill(s().pixels.begin(), s().pixels.end(), c); }
  // Where the pixels are `ink`.
  std::set<std::pair<int, int>> points(uint32_t ink) const {
    std::set<std::pair<int, int>> out;
    for (int y = 0; y < s().height; ++y)
      for (int x = 0; x < s().width; ++x)
        if (at(x, y) == ink) out.insert({x, y});
    return out;
  }
  // '#' where the pixel is `ink`, one text line per row.
  std::string mask(uint32_t ink) const {
    std::string out;
    for (int y = 0; y < s().height; ++y) {
      for (int x = 0; x < s().width; ++x) out += at(x, y) == ink ? '#' : '.';
      out += '\n';
    }
    return out;
  }
};

}  // namespace test
