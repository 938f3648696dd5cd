// Device-independent bitmaps (1, 4, 8 and 24 bits, uncompressed) into bitmap objects.
#include <algorithm>
#include <cstring>

#include <pocket/basics.h>

#include "gdi/gdi.h"
#include "gdi/gdi_internal.h"
#include "system/resource.h"

namespace pk::gdi {
namespace {

constexpr int64_t kMaxPixels = int64_t(1) << 26;

// `header` starts the BITMAPINFOHEADER; `bitsOffset` (from the header) is where the
// pixels start, or 0 when they follow the palette.
HBITMAP decode(const unsigned char* header, size_t size, size_t bitsOffset) {
  if (!header || size < 40) return nullptr;
  uint32_t headerSize = le32(header);
  if (headerSize < 40 || headerSize > size) return nullptr;
  int32_t width = int32_t(le32(header + 4));
  int32_t height = int32_t(le32(header + 8));
  uint16_t planes = le16(header + 12);
  uint16_t bits = le16(header + 14);
  uint32_t compression = le32(header + 16);
  uint32_t colorsUsed = le32(header + 32);
  if (planes != 1 || compression != 0) return nullptr;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return nullptr;
  if (width <= 0 || height == 0 || height == INT32_MIN) return nullptr;
  bool topDown = height < 0;
  int64_t rows = topDown ? -int64_t(height) : height;
  if (int64_t(width) * rows > kMaxPixels) return nullptr;

  size_t paletteSize = 0;
  if (bits <= 8) {
    size_t full = size_t(1) << bits;
    paletteSize = colorsUsed == 0 ? full : colorsUsed;
    if (paletteSize > full) return nullptr;
  } else if (colorsUsed <= 256) {
    paletteSize = colorsUsed;  // an optional palette a true-colour bitmap may carry
  } else {
    return nullptr;
  }
  size_t paletteEnd = size_t(headerSize) + paletteSize * 4;
  if (paletteEnd > size) return nullptr;
  std::vector<uint32_t> palette(size_t(1) << (bits <= 8 ? bits : 0), 0);
  for (size_t i = 0; i < paletteSize && bits <= 8; ++i) {
    const unsigned char* q = header + headerSize + i * 4;
    palette[i] = uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0];
  }

  // Bits said to start inside the header or palette are nonsense: take them from after the palette.
  size_t start = std::max(bitsOffset, paletteEnd);
  size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
  if (start > size || (size - start) / stride < size_t(rows)) return nullptr;

  Bitmap bm;
  bm.surface = Surface(width, int(rows));
  for (int64_t y = 0; y < rows; ++y) {
    const unsigned char* src = header + start + size_t(topDown ? y : rows - 1 - y) * stride;
    uint32_t* out = bm.surface.row(int(y));
    for (int32_t x = 0; x < width; ++x) {
      switch (bits) {
        case 1:
          out[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
          break;
        case 4:
          out[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
          break;
        case 8:
          out[x] = palette[src[x]];
          break;
        default: {
          const unsigned char* p = src + size_t(x) * 3;
          out[x] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
        }
      }
    }
  }
  // A two-colour bitmap in black and white is the platform's monochrome bitmap.
  if (bits == 1) {
    auto bw = [](uint32_t c) { return c == 0 || c == 0xFFFFFF; };
    bm.mono = bw(palette[0]) && bw(palette[1]);
  }
  return addBitmap(std::move(bm));
}

}  // namespace

HBITMAP createBitmapFromDib(const unsigned char* dib, size_t size) { return decode(dib, size, 0); }

HBITMAP createBitmapFromBmpFile(const unsigned char* file, size_t size) {
  if (!file || size < 14 + 40 || file[0] != 'B' || file[1] != 'M') return nullptr;
  uint32_t offBits = le32(file + 10);
  size_t bitsOffset = offBits > 14 ? offBits - 14 : 0;
  return decode(file + 14, size - 14, bitsOffset);
}

}  // namespace pk::gdi

HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
  if (!instance || !name) return nullptr;
  auto data = pk::findResourceData(instance, name, RT_BITMAP);
  if (!data) return nullptr;
  return pk::gdi::createBitmapFromDib(data->data, data->size);
}
