// A 32-bit pixel surface: the device screen and every bitmap.
#pragma once
#include <cstdint>
#include <vector>

namespace pk {

// Pixels are 0x00RRGGBB (the platform's COLORREF is 0x00BBGGRR: convert at the edges).
struct Surface {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  Surface() = default;
  Surface(int w, int h, uint32_t fill = 0) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}
  uint32_t* row(int y) { return pixels.data() + size_t(y) * size_t(width); }
  const uint32_t* row(int y) const { return pixels.data() + size_t(y) * size_t(width); }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

inline uint32_t fromColorref(uint32_t c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline uint32_t toColorref(uint32_t p) {
  return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}

}  // namespace pk
