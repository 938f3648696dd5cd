// pngpixel FILE            prints "WIDTH HEIGHT grey|colour"
// pngpixel FILE X Y ...    prints "R G B" for each point, one line each
// For end-to-end tests that check screenshots.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 2 || argc % 2 != 0) {
    std::fprintf(stderr, "usage: pngpixel FILE [X Y]...\n");
    return 2;
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, argv[1])) {
    std::fprintf(stderr, "pngpixel: %s: %s\n", argv[1], image.message);
    return 1;
  }
  bool grey = (image.format & PNG_FORMAT_FLAG_COLOR) == 0;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    std::fprintf(stderr, "pngpixel: %s: %s\n", argv[1], image.message);
    return 1;
  }
  if (argc == 2) {
    std::printf("%u %u %s\n", image.width, image.height, grey ? "grey" : "colour");
    return 0;
  }
  for (int i = 2; i + 1 < argc; i += 2) {
    long x = std::strtol(argv[i], nullptr, 10), y = std::strtol(argv[i + 1], nullptr, 10);
    if (x < 0 || y < 0 || x >= long(image.width) || y >= long(image.height)) {
      std::fprintf(stderr, "pngpixel: (%ld, %ld) is outside the %ux%u picture\n", x, y, image.width, image.height);
      return 1;
    }
    const png_byte* p = &pixels[(size_t(y) * image.width + size_t(x)) * 3];
    std::printf("%d %d %d\n", p[0], p[1], p[2]);
  }
  return 0;
}
