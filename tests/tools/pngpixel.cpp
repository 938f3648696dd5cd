// pngpixel FILE            prints "WIDTH HEIGHT grey|colour"
// pngpixel FILE X Y        prints "R G B" of that pixel
// pngpixel --scaled N SMALL BIG   exits 0 when BIG is SMALL with every pixel N x N
// pngpixel --rgb FILE      writes the pixels as RGB bytes, row by row, to standard output
// For end-to-end tests that check screenshots.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Picture {
  unsigned width = 0, height = 0;
  bool grey = false;
  std::vector<png_byte> rgb;
  const png_byte* at(unsigned x, unsigned y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};

bool load(const char* file, Picture& out) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, file)) {
    out.grey = (image.format & PNG_FORMAT_FLAG_COLOR) == 0;
    image.format = PNG_FORMAT_RGB;
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    out.width = image.width;
    out.height = image.height;
    if (png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) return true;
  }
  std::fprintf(stderr, "pngpixel: %s: %s\n", file, image.message);
  return false;
}

int compareScaled(unsigned n, const char* smallFile, const char* bigFile) {
  Picture small, big;
  if (n == 0 || !load(smallFile, small) || !load(bigFile, big)) return 2;
  bool same = big.width == small.width * n && big.height == small.height * n;
  for (unsigned y = 0; same && y < big.height; ++y)
    for (unsigned x = 0; same && x < big.width; ++x)
      if (std::memcmp(big.at(x, y), small.at(x / n, y / n), 3) != 0) {
        std::printf("pixel (%u, %u) differs\n", x, y);
        same = false;
      }
  if (same) return 0;
  std::printf("%s is not %s with every pixel %u x %u\n", bigFile, smallFile, n, n);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--scaled") == 0)
    return compareScaled(unsigned(std::strtoul(argv[2], nullptr, 10)), argv[3], argv[4]);
  bool rgb = argc == 3 && std::strcmp(argv[1], "--rgb") == 0;
  if (!rgb && argc != 2 && argc != 4) {
    std::fprintf(stderr, "usage: pngpixel FILE [X Y] | pngpixel --scaled N SMALL BIG | pngpixel --rgb FILE\n");
    return 2;
  }
  Picture p;
  if (!load(argv[rgb ? 2 : 1], p)) return 1;
  if (rgb) return std::fwrite(p.rgb.data(), 1, p.rgb.size(), stdout) == p.rgb.size() ? 0 : 1;
  if (argc == 2) {
    std::printf("%u %u %s\n", p.width, p.height, p.grey ? "grey" : "colour");
    return 0;
  }
  unsigned long x = std::strtoul(argv[2], nullptr, 10), y = std::strtoul(argv[3], nullptr, 10);
  if (x >= p.width || y >= p.height) {
    std::fprintf(stderr, "pngpixel: (%s, %s) is outside the %ux%u picture\n", argv[2], argv[3], p.width, p.height);
    return 1;
  }
  const png_byte* px = p.at(unsigned(x), unsigned(y));
  std::printf("%d %d %d\n", px[0], px[1], px[2]);
  return 0;
}
