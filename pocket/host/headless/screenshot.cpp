#include "screenshot.h"

#include <png.h>

#include <vector>

#include <pocket/basics.h>

namespace pk {

std::string writePng(const std::filesystem::path& file, const uint32_t* pixels, int width, int height, bool grey) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = grey ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;
  int channels = grey ? 1 : 3;
  std::vector<png_byte> bytes(size_t(width) * size_t(height) * size_t(channels));
  for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i) {
    uint32_t p = pixels[i];
    png_byte r = png_byte(p >> 16), g = png_byte(p >> 8), b = png_byte(p);
    if (grey) {
      bytes[i] = png_byte((lumaMilli(p) + 500) / 1000);
    } else {
      bytes[i * 3] = r;
      bytes[i * 3 + 1] = g;
      bytes[i * 3 + 2] = b;
    }
  }
  if (!png_image_write_to_file(&image, file.c_str(), 0, bytes.data(), 0, nullptr)) {
    std::string why = image.message[0] ? image.message : "write failed";
    png_image_free(&image);
    return "cannot write " + file.string() + ": " + why;
  }
  return {};
}

}  // namespace pk
