// Where glyphs come from: the font files through FreeType, or strikes baked into the
// program at build time where no FreeType exists. Exactly one source is linked; the text
// calls build their metrics and glyph cache on top of it (font.cpp).
#pragma once
#include <vector>

#include "gdi/text.h"

namespace pk::text::source {

// The platform's cell metrics of a face, in font units (the OS/2 table's Windows values).
struct Face {
  int unitsPerEm = 2048;
  int ascent = 0;
  int descent = 0;
};

// The regular face, or the bold one (the regular face when there is no bold face).
Face face(bool bold);
// One monochrome glyph at a pixel size, as the text calls draw it.
Glyph render(int pixels, bool bold, char32_t c);
// The characters the face maps, in order.
std::vector<char32_t> characters(bool bold);

}  // namespace pk::text::source

namespace pk::text {
// Drops every cached size: the faces changed.
void forgetSizes();
}  // namespace pk::text
