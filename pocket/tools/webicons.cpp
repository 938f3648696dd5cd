// Writes the program's icon as the PNG sizes browsers ask for (home screen, install):
// pkwebicons OUTDIR SIZE ... [--opaque|--maskable #RRGGBB SIZE ...] makes OUTDIR/icon-SIZE.png,
// scaled up pixel for pixel; after --opaque or --maskable, OUTDIR/icon-SIZE-opaque.png or
// -maskable.png on that colour, the icon scaled by whole steps within the middle (80%, or the
// 56% that every mask shape keeps whole: a square inside a circle of 80% of the side).
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <pocket/icon.h>

namespace {

bool write(const std::string& file, int size, const std::vector<png_byte>& rgba) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(size);
  image.height = png_uint_32(size);
  image.format = PNG_FORMAT_RGBA;
  if (png_image_write_to_file(&image, file.c_str(), 0, rgba.data(), 0, nullptr)) return true;
  std::fprintf(stderr, "pkwebicons: cannot write %s: %s\n", file.c_str(), image.message);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: pkwebicons OUTDIR SIZE ... [--opaque|--maskable #RRGGBB SIZE ...]\n");
    return 2;
  }
  std::optional<pk::IconImage> icon = pk::programIcon(pkProgramModule);
  if (!icon || icon->width <= 0 || icon->height <= 0) {
    std::fprintf(stderr, "pkwebicons: the program has no icon\n");
    return 1;
  }
  const auto& pixels = icon->pixels;
  int middle = 0;  // percent of the side the icon may take on a background; 0: none
  const char* suffix = "";
  png_byte back[3] = {0, 0, 0};
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if ((arg == "--maskable" || arg == "--opaque") && i + 1 < argc) {
      const char* colour = argv[++i];
      unsigned long rgb = std::strtoul(colour + (colour[0] == '#'), nullptr, 16);
      back[0] = png_byte(rgb >> 16), back[1] = png_byte(rgb >> 8), back[2] = png_byte(rgb);
      middle = arg == "--opaque" ? 80 : 56;
      suffix = arg == "--opaque" ? "-opaque" : "-maskable";
      continue;
    }
    int size = std::atoi(argv[i]);
    if (size < 16 || size > 2048) {
      std::fprintf(stderr, "pkwebicons: bad size %s\n", argv[i]);
      return 2;
    }
    std::vector<png_byte> rgba(size_t(size) * size_t(size) * 4);
    if (!middle) {
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
          size_t from = (size_t(y * icon->height / size) * size_t(icon->width) + size_t(x * icon->width / size)) * 4;
          for (int k = 0; k < 4; ++k) rgba[(size_t(y) * size_t(size) + size_t(x)) * 4 + size_t(k)] = pixels[from + size_t(k)];
        }
    } else {
      int step = std::max(1, std::min(size * middle / 100 / icon->width, size * middle / 100 / icon->height));
      int left = (size - icon->width * step) / 2, top = (size - icon->height * step) / 2;
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
          png_byte* to = &rgba[(size_t(y) * size_t(size) + size_t(x)) * 4];
          int ix = (x - left) / step, iy = (y - top) / step;
          bool inside = x >= left && y >= top && ix < icon->width && iy < icon->height;
          const png_byte* from = inside ? &pixels[(size_t(iy) * size_t(icon->width) + size_t(ix)) * 4] : nullptr;
          for (int k = 0; k < 3; ++k)
            to[k] = png_byte(from ? (from[k] * from[3] + back[k] * (255 - from[3])) / 255 : back[k]);
          to[3] = 255;
        }
    }
    std::string file = std::string(argv[1]) + "/icon-" + std::to_string(size) + suffix + ".png";
    if (!write(file, size, rgba)) return 1;
  }
  return 0;
}
