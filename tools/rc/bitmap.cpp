// Bitmaps: a .bmp file (1, 4, 8, 24 or 32 bits, uncompressed) becomes the packed
// DIB the layer loads: a 40-byte info header, the colour table, the pixels.
#include <string>

#include <pocket/basics.h>

#include "rc.h"

namespace rc {
namespace {

uint32_t get16(const Bytes& b, size_t at) { return pk::le16(b.data() + at); }
uint32_t get32(const Bytes& b, size_t at) { return pk::le32(b.data() + at); }

}  // namespace

Bytes dibFromBmp(const Bytes& f, const std::string& where) {
  auto bad = [&](const std::string& why) { throw CompileError{where + ": " + why}; };
  if (f.size() < 14 + 40 || f[0] != 'B' || f[1] != 'M') bad("not a BMP file");
  uint32_t offBits = get32(f, 10);
  uint32_t hdr = get32(f, 14);
  if (hdr != 40 && hdr != 108 && hdr != 124) bad("unsupported BMP header (size " + std::to_string(hdr) + ")");
  if (14 + size_t(hdr) > f.size()) bad("truncated header");
  int32_t width = int32_t(get32(f, 18));
  int32_t height = int32_t(get32(f, 22));
  uint32_t planes = get16(f, 26);
  uint32_t bits = get16(f, 28);
  uint32_t compression = get32(f, 30);
  uint32_t used = get32(f, 46);
  if (planes != 1) bad("planes must be 1");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
    bad("unsupported depth of " + std::to_string(bits) + " bits");
  if (compression != 0) bad("compressed bitmaps are not supported");
  if (width <= 0 || width > 8192 || height == 0 || height < -8192 || height > 8192) bad("odd dimensions");
  uint32_t maxColours = bits <= 8 ? (1u << bits) : 0;
  if (used > maxColours) bad("colour table too large");
  uint32_t colours = bits <= 8 ? (used ? used : maxColours) : 0;
  size_t tableAt = 14 + size_t(hdr);
  size_t tableSize = size_t(colours) * 4;
  size_t stride = ((size_t(width) * bits + 31) / 32) * 4;
  size_t pixelsSize = stride * size_t(height < 0 ? -height : height);
  if (tableAt + tableSize > f.size()) bad("truncated colour table");
  if (offBits < tableAt + tableSize || size_t(offBits) + pixelsSize > f.size()) bad("truncated pixel data");
  Bytes d;
  d.reserve(40 + tableSize + pixelsSize);
  d.assign(f.begin() + 14, f.begin() + 14 + 40);
  d[0] = 40;
  d[1] = d[2] = d[3] = 0;
  // Colours used, as the reader will size the table.
  d[32] = uint8_t(colours);
  d[33] = uint8_t(colours >> 8);
  d[34] = d[35] = 0;
  d.insert(d.end(), f.begin() + long(tableAt), f.begin() + long(tableAt + tableSize));
  d.insert(d.end(), f.begin() + long(offBits), f.begin() + long(offBits + pixelsSize));
  return d;
}

}  // namespace rc
