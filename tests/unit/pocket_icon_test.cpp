#include <gtest/gtest.h>

#include "icon.h"

namespace {

void put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}
void put32(std::vector<uint8_t>& v, uint32_t x) {
  put16(v, x & 0xFFFF);
  put16(v, x >> 16);
}

// A palette image of `bits` per pixel: index 1 on the top row, 0 elsewhere, and the
// mask making the top-left pixel transparent.
std::vector<uint8_t> paletteDib(int size, int bits) {
  std::vector<uint8_t> d;
  put32(d, 40);
  put32(d, uint32_t(size));
  put32(d, uint32_t(size * 2));
  put16(d, 1);
  put16(d, uint16_t(bits));
  for (int i = 0; i < 6; ++i) put32(d, 0);
  int colours = 1 << bits;
  for (int i = 0; i < colours; ++i) {
    // blue, green, red, reserved: index 0 is dark grey, index 1 is orange
    uint8_t b = i == 1 ? 0x10 : 0x40, g = i == 1 ? 0x80 : 0x40, r = i == 1 ? 0xFF : 0x40;
    d.insert(d.end(), {b, g, r, 0});
  }
  size_t row = size_t((size * bits + 31) / 32) * 4;
  for (int y = size - 1; y >= 0; --y) {  // stored bottom-up
    std::vector<uint8_t> bytes(row, 0);
    if (y == 0)
      for (int x = 0; x < size; ++x) bytes[size_t(x * bits / 8)] |= uint8_t(1 << (8 - bits - (x * bits) % 8));
    d.insert(d.end(), bytes.begin(), bytes.end());
  }
  size_t maskRow = size_t((size + 31) / 32) * 4;
  for (int y = size - 1; y >= 0; --y) {
    std::vector<uint8_t> bytes(maskRow, 0);
    if (y == 0) bytes[0] = 0x80;
    d.insert(d.end(), bytes.begin(), bytes.end());
  }
  return d;
}

std::vector<uint8_t> icoFile(const std::vector<std::pair<int, std::vector<uint8_t>>>& images) {
  std::vector<uint8_t> f;
  put16(f, 0);
  put16(f, 1);
  put16(f, uint16_t(images.size()));
  uint32_t offset = uint32_t(6 + 16 * images.size());
  for (const auto& [size, dib] : images) {
    f.insert(f.end(), {uint8_t(size), uint8_t(size), 0, 0});
    put16(f, 1);
    put16(f, 0);
    put32(f, uint32_t(dib.size()));
    put32(f, offset);
    offset += uint32_t(dib.size());
  }
  for (const auto& image : images) f.insert(f.end(), image.second.begin(), image.second.end());
  return f;
}

const uint8_t* pixel(const pk::IconImage& img, int x, int y) { return &img.pixels[size_t(y * img.width + x) * 4]; }

}  // namespace

TEST(ProgramIcon, TakesTheLargestImageTopRowFirstWithMaskAsAlpha) {
  auto file = icoFile({{16, paletteDib(16, 4)}, {32, paletteDib(32, 1)}, {32, paletteDib(32, 8)}, {16, paletteDib(16, 8)}});
  auto img = pk::decodeIcon(file.data(), file.size());
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width, 32);
  EXPECT_EQ(img->height, 32);
  ASSERT_EQ(img->pixels.size(), 32u * 32u * 4u);
  // Top-left: masked away. Rest of the top row: orange, opaque. Below: dark grey.
  EXPECT_EQ(pixel(*img, 0, 0)[3], 0);
  const uint8_t* p = pixel(*img, 5, 0);
  EXPECT_EQ((std::vector<uint8_t>{p[0], p[1], p[2], p[3]}), (std::vector<uint8_t>{0xFF, 0x80, 0x10, 0xFF}));
  p = pixel(*img, 31, 31);
  EXPECT_EQ((std::vector<uint8_t>{p[0], p[1], p[2], p[3]}), (std::vector<uint8_t>{0x40, 0x40, 0x40, 0xFF}));
}

TEST(ProgramIcon, FourBitPixelsUseTheirOwnNibble) {
  auto file = icoFile({{16, paletteDib(16, 4)}});
  auto img = pk::decodeIcon(file.data(), file.size());
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width, 16);
  for (int x = 1; x < 16; ++x) EXPECT_EQ(pixel(*img, x, 0)[0], 0xFF) << x;
  for (int x = 0; x < 16; ++x) EXPECT_EQ(pixel(*img, x, 1)[0], 0x40) << x;
}

TEST(ProgramIcon, DamagedFilesGiveNoIcon) {
  auto good = icoFile({{32, paletteDib(32, 8)}});
  EXPECT_FALSE(pk::decodeIcon(nullptr, 0));
  EXPECT_FALSE(pk::decodeIcon(good.data(), 5));
  auto cut = good;
  cut.resize(cut.size() - 10);  // mask rows missing
  EXPECT_FALSE(pk::decodeIcon(cut.data(), cut.size()));
  auto notIcon = good;
  notIcon[2] = 2;  // a cursor file
  EXPECT_FALSE(pk::decodeIcon(notIcon.data(), notIcon.size()));
  auto farOffset = good;
  farOffset[18] = 0xFF, farOffset[19] = 0xFF, farOffset[20] = 0xFF, farOffset[21] = 0x7F;
  EXPECT_FALSE(pk::decodeIcon(farOffset.data(), farOffset.size()));
}
