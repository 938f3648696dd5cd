// Glyphs from the font files through FreeType: the two Tahoma-metric faces, with their
// hand-tuned bitmap strikes at small sizes.
#include <memory>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include "gdi/font_source.h"

#ifndef PK_FONT_DIR
#define PK_FONT_DIR "/usr/share/wine/fonts"
#endif

namespace pk::text {
namespace {

struct LibraryDeleter {
  void operator()(FT_Library lib) const { FT_Done_FreeType(lib); }
};
struct FaceDeleter {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using LibraryPtr = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryDeleter>;
using FacePtr = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceDeleter>;

struct Fonts {
  // Faces go before the library that owns them.
  LibraryPtr library;
  FacePtr regular;
  FacePtr bold;
};

Fonts& fonts() {
  static Fonts f;
  return f;
}

// The faces are open: the text calls ask requireFaces() first.
FT_Face faceFor(bool bold) {
  Fonts& f = fonts();
  return bold && f.bold ? f.bold.get() : f.regular.get();
}

bool synthetic(bool bold) { return bold && faceFor(true) == fonts().regular.get(); }

int strikeIndex(FT_Face face, int pixels) {
  for (int i = 0; i < face->num_fixed_sizes; ++i)
    if ((face->available_sizes[i].y_ppem + 32) >> 6 == pixels) return i;
  return -1;
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
  forgetSizes();
  f.bold = open("tahomabd.ttf");
  f.regular = std::move(regular);
  return {};
}

std::string requireFaces() {
  if (fonts().regular) return {};
  static std::string error = openFaces(PK_FONT_DIR);
  return error;
}

namespace source {

Face face(bool bold) {
  FT_Face f = faceFor(bold);
  Face out;
  out.unitsPerEm = f->units_per_EM;
  out.ascent = f->ascender;
  out.descent = -f->descender;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2)); os2 && os2->usWinAscent) {
    out.ascent = os2->usWinAscent;
    out.descent = os2->usWinDescent;
  }
  return out;
}

Glyph render(int pixels, bool bold, char32_t c) {
  Glyph g;
  FT_Face face = faceFor(bold);
  int strike = strikeIndex(face, pixels);
  FT_Error err;
  if (strike >= 0 && !synthetic(bold)) {
    // Choosing the strike also sizes the outlines that a character the strike lacks comes from.
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

std::vector<char32_t> characters(bool bold) {
  FT_Face face = faceFor(bold);
  std::vector<char32_t> out;
  FT_UInt index = 0;
  for (FT_ULong c = FT_Get_First_Char(face, &index); index != 0; c = FT_Get_Next_Char(face, c, &index))
    out.push_back(char32_t(c));
  return out;
}

}  // namespace source
}  // namespace pk::text
