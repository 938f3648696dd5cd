// PNG written with zlib alone, each row filtered by its difference from the row above:
// the same zlib gives the same bytes on every machine the device runs on.
#include "screenshot.h"

#include <zlib.h>

#include <cstdio>
#include <memory>
#include <vector>

#include <pocket/basics.h>

namespace pk {
namespace {

void put32(std::vector<unsigned char>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back((unsigned char)(v >> shift));
}

void chunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data) {
  put32(out, uint32_t(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  put32(out, uint32_t(crc32(0, out.data() + start, uInt(out.size() - start))));
}

}  // namespace

std::string writePng(const std::filesystem::path& file, const uint32_t* pixels, int width, int height, bool grey) {
  size_t channels = grey ? 1 : 3, stride = size_t(width) * channels;
  std::vector<unsigned char> rows(size_t(height) * (stride + 1)), previous(stride), row(stride);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
      if (grey) {
        row[size_t(x)] = (unsigned char)((lumaMilli(p) + 500) / 1000);
      } else {
        row[size_t(x) * 3] = (unsigned char)(p >> 16);
        row[size_t(x) * 3 + 1] = (unsigned char)(p >> 8);
        row[size_t(x) * 3 + 2] = (unsigned char)p;
      }
    }
    unsigned char* out = &rows[size_t(y) * (stride + 1)];
    out[0] = 2;  // Up: the screen's rows repeat much of the one above
    for (size_t i = 0; i < stride; ++i) out[i + 1] = (unsigned char)(row[i] - previous[i]);
    previous.swap(row);
  }
  uLongf packedSize = compressBound(uLong(rows.size()));
  std::vector<unsigned char> packed(packedSize);
  if (compress2(packed.data(), &packedSize, rows.data(), uLong(rows.size()), 9) != Z_OK)
    return "cannot write " + file.string() + ": compression failed";
  packed.resize(packedSize);

  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> header;
  put32(header, uint32_t(width));
  put32(header, uint32_t(height));
  header.insert(header.end(), {8, (unsigned char)(grey ? 0 : 2), 0, 0, 0});
  chunk(png, "IHDR", header);
  chunk(png, "IDAT", packed);
  chunk(png, "IEND", {});
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(file.string().c_str(), "wb"), std::fclose);
  if (!f || std::fwrite(png.data(), 1, png.size(), f.get()) != png.size() || std::fflush(f.get()) != 0)
    return "cannot write " + file.string();
  return {};
}

}  // namespace pk
