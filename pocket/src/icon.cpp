#include <pocket/icon.h>

#include <pocket/basics.h>

namespace pk {
namespace {

size_t rowBytes(uint32_t width, uint32_t bits) { return ((size_t(width) * bits + 31) / 32) * 4; }

// One image: a BITMAPINFOHEADER whose height counts the colour rows and the mask rows.
std::optional<IconImage> decodeDib(const unsigned char* p, size_t size) {
  if (size < 40 || le32(p) < 40) return std::nullopt;
  uint32_t header = le32(p);
  int32_t w = int32_t(le32(p + 4)), h2 = int32_t(le32(p + 8));
  uint32_t bits = le16(p + 14), compression = le32(p + 16), used = le32(p + 32);
  if (w <= 0 || w > 256 || h2 <= 0 || h2 % 2 || h2 / 2 > 256 || compression != 0) return std::nullopt;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::nullopt;
  uint32_t h = uint32_t(h2 / 2);
  size_t paletteCount = bits <= 8 ? (used && used <= (1u << bits) ? used : (1u << bits)) : 0;
  size_t colorRow = rowBytes(uint32_t(w), bits), maskRow = rowBytes(uint32_t(w), 1);
  size_t palette = header, colors = palette + paletteCount * 4, mask = colors + colorRow * h;
  if (header > size || mask + maskRow * h > size) return std::nullopt;

  IconImage img{w, int(h), std::vector<uint8_t>(size_t(w) * h * 4)};
  bool anyAlpha = false;
  for (uint32_t y = 0; y < h; ++y) {
    const unsigned char* row = p + colors + colorRow * (h - 1 - y);  // bottom-up
    const unsigned char* maskBits = p + mask + maskRow * (h - 1 - y);
    for (uint32_t x = 0; x < uint32_t(w); ++x) {
      uint8_t* out = &img.pixels[(size_t(y) * uint32_t(w) + x) * 4];
      uint32_t b = 0, g = 0, r = 0, a = 255;
      if (bits <= 8) {
        uint32_t perByte = 8 / bits;
        uint32_t shift = (perByte - 1 - x % perByte) * bits;
        uint32_t index = (row[x / perByte] >> shift) & ((1u << bits) - 1);
        if (index >= paletteCount) index = 0;
        const unsigned char* q = p + palette + index * 4;
        b = q[0], g = q[1], r = q[2];
      } else {
        const unsigned char* q = row + x * (bits / 8);
        b = q[0], g = q[1], r = q[2];
        if (bits == 32) {
          a = q[3];
          anyAlpha = anyAlpha || a != 0;
        }
      }
      if ((maskBits[x / 8] >> (7 - x % 8)) & 1) a = 0;
      out[0] = uint8_t(r), out[1] = uint8_t(g), out[2] = uint8_t(b), out[3] = uint8_t(a);
    }
  }
  // Old 32-bit images leave the alpha bytes empty and rely on the mask alone.
  if (bits == 32 && !anyAlpha) {
    for (uint32_t y = 0; y < h; ++y)
      for (uint32_t x = 0; x < uint32_t(w); ++x) {
        const unsigned char* maskBits = p + mask + maskRow * (h - 1 - y);
        img.pixels[(size_t(y) * uint32_t(w) + x) * 4 + 3] = ((maskBits[x / 8] >> (7 - x % 8)) & 1) ? 0 : 255;
      }
  }
  return img;
}

}  // namespace

std::optional<IconImage> decodeIcon(const unsigned char* data, size_t size) {
  if (!data || size < 6 || le16(data) != 0 || le16(data + 2) != 1) return std::nullopt;
  size_t count = le16(data + 4);
  if (6 + count * 16 > size) return std::nullopt;
  std::optional<IconImage> best;
  uint32_t bestBits = 0;
  for (size_t i = 0; i < count; ++i) {
    const unsigned char* e = data + 6 + i * 16;
    uint32_t length = le32(e + 8), offset = le32(e + 12);
    if (offset > size || length > size - offset) continue;
    auto img = decodeDib(data + offset, length);
    if (!img) continue;
    uint32_t bits = le16(data + offset + 14);
    long area = long(img->width) * img->height, bestArea = best ? long(best->width) * best->height : -1;
    if (area > bestArea || (area == bestArea && bits > bestBits)) {
      best = std::move(img);
      bestBits = bits;
    }
  }
  return best;
}

std::optional<IconImage> programIcon(const ModuleImage& module) {
  for (size_t i = 0; i < module.count; ++i) {
    const ResourceEntry& r = module.entries[i];
    if (!r.type.name && r.type.number == 14 && !r.name.name && r.name.number == 21)
      return decodeIcon(r.data, r.size);
  }
  return std::nullopt;
}

}  // namespace pk
