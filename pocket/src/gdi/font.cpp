// FreeType behind the text calls: the two Tahoma-metric faces, their hand-tuned
// bitmap strikes at small sizes, and a glyph cache per size and weight.
#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <unordered_map>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include "gdi/text.h"

#ifndef PK_FONT_DIR
#define PK_FONT_DIR "/usr/share/wine/fonts"
#endif

namespace pk::text {
namespace {

constexpr int kMinPixels = 1;
constexpr int kMaxPixels = 400;

struct LibraryDeleter {
  void operator()(FT_Library lib) const { FT_Done_FreeType(lib); }
};
struct FaceDeleter {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using LibraryPtr = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryDeleter>;
using FacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceDeleter>;

struct Size {
  Metrics metrics;
  std::unordered_map<char32_t, Glyph> glyphs;
};

struct Fonts {
  // Faces go before the library that owns them.
  LibraryPtr library;
  FacePtr regular;
  FacePtr bold;
  std::map<std::pair<int, bool>, Size> sizes;
};

Fonts& fonts() {
  static Fonts f;
  return f;
}

// Null when the fonts are missing: text then has no size and draws nothing
// (a host checks the device before it runs a program, so a person is told).
FT_Face faceFor(bool bold) {
  if (!requireFaces().empty()) return nullptr;
  Fonts& f = fonts();
  return bold && f.bold ? f.bold.get() : f.regular.get();
}

int clampPixels(int64_t px) { return int(std::clamp<int64_t>(px, kMinPixels, kMaxPixels)); }

int strikeIndex(FT_Face face, int pixels) {
  if (!face) return -1;
  for (int i = 0; i < face->num_fixed_sizes; ++i)
    if ((face->available_sizes[i].y_ppem + 32) >> 6 == pixels) return i;
  return -1;
}

// Ascent and descent of the platform's cell come from the OS/2 table's Windows metrics.
Metrics computeMetrics(FT_Face face, int pixels) {
  if (!face) return {};
  double up = face->units_per_EM ? face->units_per_EM : 2048;
  double asc = face->ascender, desc = -face->descender;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->usWinAscent) {
    asc = os2->usWinAscent;
    desc = os2->usWinDescent;
  }
  Metrics m;
  m.ascent = int(std::lround(asc * pixels / up));
  m.descent = int(std::lround(desc * pixels / up));
  m.height = m.ascent + m.descent;
  return m;
}

Size& sizeFor(int pixels, bool bold) {
  auto key = std::make_pair(pixels, bold);
  auto& sizes = fonts().sizes;
  auto it = sizes.find(key);
  if (it == sizes.end()) {
    Size s;
    s.metrics = computeMetrics(faceFor(bold), pixels);
    it = sizes.emplace(key, std::move(s)).first;
  }
  return it->second;
}

Glyph render(int pixels, bool bold, char32_t c) {
  Glyph g;
  FT_Face face = faceFor(bold);
  if (!face) return g;
  bool synthetic = bold && face == fonts().regular.get();
  int strike = strikeIndex(face, pixels);
  FT_Error err;
  if (strike >= 0 && !synthetic) {
    FT_Select_Size(face, strike);
    err = FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME);
  } else {
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels));
    err = FT_Load_Char(face, c, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_MONO);
    // The bold face's outlines are barely heavier than the regular ones.
    if (!err && bold && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) FT_GlyphSlot_Embolden(face->glyph);
    if (!err) err = FT_Render_Glyph(face->glyph, FT_RENDER_MODE_MONO);
  }
  if (err) return g;
  FT_GlyphSlot slot = face->glyph;
  const FT_Bitmap& bm = slot->bitmap;
  g.width = int(bm.width);
  g.rows = int(bm.rows);
  g.left = slot->bitmap_left;
  g.top = slot->bitmap_top;
  g.advance = int((slot->advance.x + 32) >> 6);
  g.bits.assign(size_t(g.width) * size_t(g.rows), 0);
  for (int y = 0; y < g.rows; ++y) {
    const unsigned char* src = bm.buffer + ptrdiff_t(y) * bm.pitch;
    for (int x = 0; x < g.width; ++x) {
      bool on = bm.pixel_mode == FT_PIXEL_MODE_MONO ? (src[x >> 3] & (0x80 >> (x & 7))) != 0
                                                    : src[x] >= 128;
      g.bits[size_t(y) * size_t(g.width) + size_t(x)] = on ? 1 : 0;
    }
  }
  return g;
}

}  // namespace

std::string openFaces(const std::filesystem::path& folder) {
  Fonts& f = fonts();
  FT_Library lib = nullptr;
  if (!f.library) {
    if (FT_Init_FreeType(&lib)) return "the font engine could not start";
    f.library.reset(lib);
  }
  auto open = [&](const char* name) {
    FT_Face face = nullptr;
    std::string path = (folder / name).string();
    return FT_New_Face(f.library.get(), path.c_str(), 0, &face) ? FacePtr() : FacePtr(face);
  };
  FacePtr regular = open("tahoma.ttf");
  if (!regular)
    return "cannot open the font " + (folder / "tahoma.ttf").string() +
           "; install the package fonts-wine (it provides the Tahoma-metric fonts)";
  f.sizes.clear();
  f.bold = open("tahomabd.ttf");
  f.regular = std::move(regular);
  return {};
}

std::string requireFaces() {
  if (fonts().regular) return {};
  static std::string error = openFaces(PK_FONT_DIR);
  return error;
}

int pixelSizeForHeight(LONG logicalHeight) {
  if (logicalHeight < 0) return clampPixels(-int64_t(logicalHeight));
  // A positive height is the whole cell: the largest em size whose cell fits in it.
  FT_Face face = faceFor(false);
  if (!face) return clampPixels(logicalHeight);
  Metrics unit = computeMetrics(face, 1000);
  int px = clampPixels(unit.height ? std::llround(double(logicalHeight) * 1000.0 / unit.height) : logicalHeight);
  while (px > kMinPixels && computeMetrics(face, px).height > logicalHeight) --px;
  while (px < kMaxPixels && computeMetrics(face, px + 1).height <= logicalHeight) ++px;
  return px;
}

Metrics metrics(int pixelSize, bool bold) { return sizeFor(clampPixels(pixelSize), bold).metrics; }

const Glyph& glyph(int pixelSize, bool bold, char32_t c) {
  int px = clampPixels(pixelSize);
  Size& s = sizeFor(px, bold);
  auto it = s.glyphs.find(c);
  if (it == s.glyphs.end()) it = s.glyphs.emplace(c, render(px, bold, c)).first;
  return it->second;
}

bool hasStrike(int pixelSize, bool bold) {
  FT_Face face = faceFor(bold);
  if (!face || (bold && face == fonts().regular.get())) return false;
  return strikeIndex(face, clampPixels(pixelSize)) >= 0;
}

}  // namespace pk::text
