// The program icon: the largest image of an .ico file, its mask as alpha.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <tuple>

#include <pocket/icon.h>

namespace {

void put(std::vector<uint8_t>& v, uint32_t x, int bytes) {
  for (int i = 0; i < bytes; ++i) v.push_back(i < 4 ? uint8_t(x >> (8 * i)) : 0);
}

// A palette image of `bits` per pixel: index 1 (orange) on the top row but for its pixel 1, index 2
// (0 at one bit), dark grey as 0 is, its blue telling the depth; 0 elsewhere; and the mask making every
// third pixel of the top row transparent. The palette has `used` colours, 0 meaning all the depth allows.
std::vector<uint8_t> paletteDib(int size, int bits, int used = 0) {
  std::vector<uint8_t> d;
  for (uint32_t v : {40, size, size * 2}) put(d, v, 4);
  put(d, 1, 2), put(d, uint32_t(bits), 2), put(d, 0, 16), put(d, uint32_t(used), 4), put(d, 0, 4);
  for (int i = 0; i < (used ? used : 1 << bits); ++i)
    d.insert(d.end(), {uint8_t(i == 1 ? 0x10 : 0x40 + bits), uint8_t(i == 1 ? 0x80 : 0x40), uint8_t(i == 1 ? 0xFF : 0x40), 0});
  size_t row = size_t((size * bits + 31) / 32) * 4, maskRow = size_t((size + 31) / 32) * 4;
  std::vector<uint8_t> top(row, 0), mask(maskRow, 0);
  for (int x = 0; x < size; ++x) top[size_t(x * bits / 8)] |= uint8_t((x == 1 ? 2 % (1 << bits) : 1) << (8 - bits - (x * bits) % 8));
  for (int x = 0; x < size; x += 3) mask[size_t(x / 8)] |= uint8_t(0x80 >> (x % 8));
  // Stored bottom-up: the top row comes last, first the colours and then the mask.
  d.resize(d.size() + row * size_t(size - 1), 0);
  d.insert(d.end(), top.begin(), top.end());
  d.resize(d.size() + maskRow * size_t(size - 1), 0);
  d.insert(d.end(), mask.begin(), mask.end());
  return d;
}

// A true-colour image 9 x 3, so that 24-bit rows need padding: pixel (x, y) has red 20x, green
// 40y and blue `bits`; 32-bit pixels carry `alpha`. The mask hides the pixels where x + y is a
// multiple of 4; the bit past the top row's end, and each row's last byte, are padding.
bool hidden(int x, int y) { return (x + y) % 4 == 0; }
std::vector<uint8_t> trueColourDib(int bits, uint8_t alpha) {
  std::vector<uint8_t> d;
  for (uint32_t v : {40, 9, 6}) put(d, v, 4);
  put(d, 1, 2), put(d, uint32_t(bits), 2), put(d, 0, 24);
  for (int y = 2; y >= 0; --y) {
    for (int x = 0; x < 9; ++x) {
      d.insert(d.end(), {uint8_t(bits), uint8_t(40 * y), uint8_t(20 * x)});
      if (bits == 32) d.push_back(alpha);
    }
    d.resize(d.size() + (bits == 24 ? 1 : 0), 0);
  }
  for (int y = 2; y >= 0; --y) {
    uint32_t row = 0;  // two bytes, the first the higher here
    for (int x = 0; x < 10; ++x) row |= hidden(x, y) || (x == 9 && y == 0) ? 0x8000u >> x : 0;
    put(d, row >> 8 | (row & 0xFF) << 8 | 0xFF000000u, 4);
  }
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
  // Of the largest images the deepest, of equal ones the first (the last: bluer orange, planes not 1).
  // 33 wide: rows of colours and of the mask are padded.
  auto bluer = paletteDib(33, 8);
  bluer[44] = 0x11, bluer[13] = 1;
  auto file = icoFile({{33, paletteDib(33, 4)}, {33, paletteDib(33, 8)}, {9, trueColourDib(24, 0)}, {33, bluer}});
  auto img = pk::decodeIcon(file.data(), file.size());
  ASSERT_TRUE(img);
  ASSERT_EQ(img->pixels.size(), 33u * 33u * 4u);
  // The top row orange, every third pixel masked away; below, dark grey.
  for (int x = 0; x < 33; ++x)
    EXPECT_EQ(std::vector<uint8_t>(pixel(*img, x, 0), pixel(*img, x, 0) + 4),
              (x == 1 ? std::vector<uint8_t>{0x40, 0x40, 0x48, 0xFF} : std::vector<uint8_t>{0xFF, 0x80, 0x10, uint8_t(x % 3 ? 0xFF : 0)})) << x;
  EXPECT_EQ(std::vector<uint8_t>(pixel(*img, 32, 32), pixel(*img, 32, 32) + 4), (std::vector<uint8_t>{0x40, 0x40, 0x48, 0xFF}));
  // Four-bit pixels each take their own nibble; a short palette moves the pixels up, and an index past
  // it is colour 0; a palette claiming more colours than the depth has is as long as the depth allows.
  auto claimsMore = paletteDib(16, 1);
  claimsMore[32] = 3;
  for (const auto& dib : {claimsMore, paletteDib(16, 4, 2)}) {
    file = icoFile({{16, dib}});
    img = pk::decodeIcon(file.data(), file.size());
    ASSERT_TRUE(img);
    for (int x = 0; x < 16; ++x) EXPECT_EQ(pixel(*img, x, 0)[0], x == 1 ? 0x40 : 0xFF) << x;
    for (int x = 0; x < 16; ++x) EXPECT_EQ(pixel(*img, x, 1)[0], 0x40) << x;
  }
  // The program's icon is its icon group 21, whatever comes before it in the module.
  const pk::ResourceEntry entries[] = {{{3, nullptr}, {21, nullptr}, file.data() + 6, 16},
                                       {{14, nullptr}, {0, "21"}, file.data() + 6, 16},
                                       {{14, nullptr}, {21, nullptr}, file.data(), uint32_t(file.size())}};
  img = pk::programIcon(pk::ModuleImage{"test", entries, 3});
  ASSERT_TRUE(img);
  EXPECT_EQ(img->width, 16);
  EXPECT_TRUE(pk::programIcon(pk::ModuleImage{"test", entries + 2, 1}));
  EXPECT_FALSE(pk::programIcon(pk::ModuleImage{"test", entries, 2}));
}

// 24 and 32 bits per pixel, the latter with its own alpha or, in older files, with empty alpha
// bytes and the mask alone.
TEST(ProgramIcon, TrueColourImagesKeepTheirColoursAndAlpha) {
  for (auto [bits, alpha] : {std::pair{24, 0}, {32, 0}, {32, 0x80}}) {
    SCOPED_TRACE(bits + alpha);
    auto file = icoFile({{9, trueColourDib(bits, uint8_t(alpha))}});
    auto img = pk::decodeIcon(file.data(), file.size());
    ASSERT_TRUE(img);
    ASSERT_EQ(img->pixels.size(), 9u * 3u * 4u);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 9; ++x) {
        uint8_t a = hidden(x, y) ? 0 : alpha ? uint8_t(alpha) : 0xFF;
        EXPECT_EQ(std::vector<uint8_t>(pixel(*img, x, y), pixel(*img, x, y) + 4),
                  (std::vector<uint8_t>{uint8_t(20 * x), uint8_t(40 * y), uint8_t(bits), a})) << x << "," << y;
      }
  }
}

TEST(ProgramIcon, DamagedFilesGiveNoIcon) {
  auto good = icoFile({{32, paletteDib(32, 1)}});
  ASSERT_TRUE(pk::decodeIcon(good.data(), good.size())) << "whole, the one-bit file decodes";
  EXPECT_FALSE(pk::decodeIcon(nullptr, 22) || pk::decodeIcon(good.data(), good.size() - 10));  // no file; mask rows missing
  // Cut short where unreadable memory begins: the header, the directory, an empty one.
  size_t page = size_t(sysconf(_SC_PAGESIZE));
  auto* mem = static_cast<uint8_t*>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_EQ(mprotect(mem + page, page, PROT_NONE), 0);
  for (size_t n : {5, 21, 6}) {
    uint8_t* at = std::copy_n(good.data(), n, mem + page - n) - n;
    at[4] = n != 6;
    EXPECT_FALSE(pk::decodeIcon(at, n)) << n;
  }
  munmap(mem, 2 * page);
  // A cursor file, an image past the end, one (its mask) a byte shorter than its header needs.
  for (auto [at, value] : {std::pair{2, 2}, {21, 0x7F}, {14, 0x2F}}) {
    auto bad = good;
    bad[size_t(at)] = uint8_t(value);
    EXPECT_FALSE(pk::decodeIcon(bad.data(), bad.size())) << at;
  }
  // Each header field at and past its limits, the image having bytes to spare.
  auto big = paletteDib(256, 1);
  big.resize(big.size() + 80000, 0);
  for (auto [at, value, decodes] : std::vector<std::tuple<size_t, uint32_t, bool>>{
           {4, 256, true}, {4, 257, false}, {4, 1, true}, {4, 0, false}, {8, 512, true}, {8, 514, false}, {8, 0, false},
           {8, 511, false}, {0, 39, false}, {0, 12, false}, {16, 0x1000000, false}, {14, 2, false}, {14, 16, false}}) {
    auto dib = big;
    for (size_t i = 0; i < 4; ++i) dib[at + i] = uint8_t(value >> (8 * i));
    auto f = icoFile({{0, dib}});
    EXPECT_EQ(pk::decodeIcon(f.data(), f.size()).has_value(), decodes) << at << ": " << value;
  }
}
