// The program icon: the largest image of an .ico file, its mask as alpha.
#include <gtest/gtest.h>

#include <pocket/icon.h>

namespace {

void put(std::vector<uint8_t>& v, uint32_t x, int bytes) {
  for (int i = 0; i < bytes; ++i) v.push_back(i < 4 ? uint8_t(x >> (8 * i)) : 0);
}

// A palette image of `bits` per pixel: index 1 (orange) on the top row, 0 (dark grey, its blue
// telling the depth) elsewhere, and the mask making the top-left pixel transparent.
std::vector<uint8_t> paletteDib(int size, int bits) {
  std::vector<uint8_t> d;
  for (uint32_t v : {40, size, size * 2}) put(d, v, 4);
  put(d, 1, 2), put(d, uint32_t(bits), 2), put(d, 0, 24);
  for (int i = 0; i < 1 << bits; ++i)
    d.insert(d.end(), {uint8_t(i == 1 ? 0x10 : 0x40 + bits), uint8_t(i == 1 ? 0x80 : 0x40), uint8_t(i == 1 ? 0xFF : 0x40), 0});
  size_t row = size_t((size * bits + 31) / 32) * 4, maskRow = size_t((size + 31) / 32) * 4;
  std::vector<uint8_t> top(row, 0), mask(maskRow, 0);
  for (int x = 0; x < size; ++x) top[size_t(x * bits / 8)] |= uint8_t(1 << (8 - bits - (x * bits) % 8));
  mask[0] = 0x80;
  // Stored bottom-up: the top row comes last, first the colours and then the mask.
  d.resize(d.size() + row * size_t(size - 1), 0);
  d.insert(d.end(), top.begin(), top.end());
  d.resize(d.size() + maskRow * size_t(size - 1), 0);
  d.insert(d.end(), mask.begin(), mask.end());
  return d;
}

std::vector<uint8_t> icoFile(const std::vector<std::pair<int, std::vector<uint8_t>>>& images) {
  std::vector<uint8_t> f;
  put(f, 0, 2), put(f, 1, 2), put(f, uint32_t(images.size()), 2);
  uint32_t offset = uint32_t(6 + 16 * images.size());
  for (const auto& [size, dib] : images) {
    f.insert(f.end(), {uint8_t(size), uint8_t(size), 0, 0, 1, 0, 0, 0});
    put(f, uint32_t(dib.size()), 4), put(f, offset, 4);
    offset += uint32_t(dib.size());
  }
  for (const auto& image : images) f.insert(f.end(), image.second.begin(), image.second.end());
  return f;
}

const uint8_t* pixel(const pk::IconImage& img, int x, int y) { return &img.pixels[size_t(y * img.width + x) * 4]; }

}  // namespace

TEST(ProgramIcon, TakesTheLargestImageTopRowFirstWithMaskAsAlpha) {
  auto file = icoFile({{32, paletteDib(32, 8)}, {16, paletteDib(16, 4)}, {32, paletteDib(32, 1)}});
  auto img = pk::decodeIcon(file.data(), file.size());
  ASSERT_TRUE(img);
  ASSERT_EQ(img->pixels.size(), 32u * 32u * 4u);
  // Top-left masked away; the rest of the top row orange; below, dark grey.
  EXPECT_EQ(pixel(*img, 0, 0)[3], 0);
  EXPECT_EQ(std::vector<uint8_t>(pixel(*img, 5, 0), pixel(*img, 5, 0) + 4), (std::vector<uint8_t>{0xFF, 0x80, 0x10, 0xFF}));
  EXPECT_EQ(std::vector<uint8_t>(pixel(*img, 31, 31), pixel(*img, 31, 31) + 4), (std::vector<uint8_t>{0x40, 0x40, 0x48, 0xFF}));
  // Four-bit pixels each take their own nibble.
  file = icoFile({{16, paletteDib(16, 4)}});
  img = pk::decodeIcon(file.data(), file.size());
  ASSERT_TRUE(img);
  for (int x = 1; x < 16; ++x) EXPECT_EQ(pixel(*img, x, 0)[0], 0xFF) << x;
  for (int x = 0; x < 16; ++x) EXPECT_EQ(pixel(*img, x, 1)[0], 0x40) << x;
}

TEST(ProgramIcon, DamagedFilesGiveNoIcon) {
  auto good = icoFile({{32, paletteDib(32, 1)}});
  ASSERT_TRUE(pk::decodeIcon(good.data(), good.size())) << "whole, the one-bit file decodes";
  EXPECT_FALSE(pk::decodeIcon(nullptr, 0));
  EXPECT_FALSE(pk::decodeIcon(good.data(), 5));
  EXPECT_FALSE(pk::decodeIcon(good.data(), good.size() - 10));  // mask rows missing
  auto notIcon = good;
  notIcon[2] = 2;  // a cursor file
  EXPECT_FALSE(pk::decodeIcon(notIcon.data(), notIcon.size()));
  auto farOffset = good;
  farOffset[21] = 0x7F;
  EXPECT_FALSE(pk::decodeIcon(farOffset.data(), farOffset.size()));
}
