// Writes the program's icon as the PNG sizes browsers ask for (home screen, install):
// pkwebicons OUTDIR SIZE ... makes OUTDIR/icon-SIZE.png, scaled up pixel for pixel.
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include <pocket/icon.h>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: pkwebicons OUTDIR SIZE ...\n");
    return 2;
  }
  std::optional<pk::IconImage> icon = pk::programIcon(pkProgramModule);
  if (!icon || icon->width <= 0 || icon->height <= 0) {
    std::fprintf(stderr, "pkwebicons: the program has no icon\n");
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    int size = std::atoi(argv[i]);
    if (size < 16 || size > 2048) {
      std::fprintf(stderr, "pkwebicons: bad size %s\n", argv[i]);
      return 2;
    }
    std::vector<png_byte> rgba(size_t(size) * size_t(size) * 4);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        size_t from = (size_t(y * icon->height / size) * size_t(icon->width) + size_t(x * icon->width / size)) * 4;
        for (int k = 0; k < 4; ++k) rgba[(size_t(y) * size_t(size) + size_t(x)) * 4 + size_t(k)] = icon->pixels[from + size_t(k)];
      }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(size);
    image.height = png_uint_32(size);
    image.format = PNG_FORMAT_RGBA;
    std::string file = std::string(argv[1]) + "/icon-" + std::to_string(size) + ".png";
    if (!png_image_write_to_file(&image, file.c_str(), 0, rgba.data(), 0, nullptr)) {
      std::fprintf(stderr, "pkwebicons: cannot write %s: %s\n", file.c_str(), image.message);
      return 1;
    }
  }
  return 0;
}
