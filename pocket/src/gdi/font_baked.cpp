// Glyphs baked into the program at build time (pkfontbake), for builds without FreeType:
// the same pixels the font files give, at the sizes the layer and the program ask for.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include <pocket/resource_format.h>

#include "gdi/font_source.h"

extern const unsigned char pkBakedFonts[];
extern const size_t pkBakedFontsSize;

namespace pk::text {
namespace {

using resfmt::Reader;

constexpr char32_t kMissing = 0xFFFFFFFF;

struct Strike {
  int pixels = 0;
  bool bold = false;
  std::vector<std::pair<char32_t, size_t>> glyphs;  // code and offset, by code; kMissing last
};

struct Baked {
  source::Face faces[2];
  std::vector<Strike> strikes;
};

size_t bitBytes(int width, int rows) { return (size_t(width) * size_t(rows) + 7) / 8; }

std::string parse(Baked& b) {
  Reader c{pkBakedFonts, pkBakedFontsSize};
  if (!c.need(4) || std::string(reinterpret_cast<const char*>(pkBakedFonts), 4) != "PKF1") return "no font data";
  c.at = 4;
  for (auto& f : b.faces) {
    f.unitsPerEm = int(c.u32());
    f.ascent = int(c.u32());
    f.descent = int(c.u32());
  }
  int count = int(c.u16());
  for (int s = 0; s < count; ++s) {
    Strike k;
    k.pixels = int(c.u16());
    k.bold = c.u16() != 0;
    int glyphs = int(c.u16());
    for (int g = 0; g < glyphs && c.ok; ++g) {
      size_t at = c.at;
      char32_t code = c.u32();
      c.at += 4;
      int width = int(c.u16()), rows = int(c.u16());
      c.u16();
      if (c.need(bitBytes(width, rows))) c.at += bitBytes(width, rows);
      k.glyphs.emplace_back(code, at);
    }
    if (!c.ok) return "it is cut short";
    if (k.glyphs.empty() || k.glyphs.back().first != kMissing) return "a size has no missing-glyph shape";
    b.strikes.push_back(std::move(k));
  }
  if (b.strikes.empty()) return "no sizes";
  return {};
}

Baked& baked() {
  static Baked b;
  return b;
}

// The baked size for a request; another size of the weight (the nearest) when that one
// was not baked, so text stays readable, said once.
const Strike& strikeFor(int pixels, bool bold) {
  const Strike* best = nullptr;
  for (const Strike& s : baked().strikes) {
    if (s.pixels == pixels && s.bold == bold) return s;
    auto distance = [&](const Strike& k) { return std::abs(k.pixels - pixels) + (k.bold == bold ? 0 : 1000); };
    if (!best || distance(s) < distance(*best)) best = &s;
  }
  static std::set<std::pair<int, bool>> said;
  if (said.insert({pixels, bold}).second)
    std::fprintf(stderr, "no built-in glyphs at %d pixels%s; drawing %d pixels instead\n", pixels,
                 bold ? " bold" : "", best->pixels);
  return *best;
}

}  // namespace

std::string requireFaces() {
  static std::string error = [] {
    std::string why = parse(baked());
    return why.empty() ? why : "the built-in fonts are damaged (" + why + ")";
  }();
  return error;
}

namespace source {

Face face(bool bold) {
  return baked().faces[bold ? 1 : 0];
}

Glyph render(int pixels, bool bold, char32_t c) {
  const Strike& s = strikeFor(pixels, bold);
  auto it = std::lower_bound(s.glyphs.begin(), s.glyphs.end() - 1, c,
                             [](const auto& g, char32_t code) { return g.first < code; });
  if (it->first != c) it = s.glyphs.end() - 1;
  Reader cur{pkBakedFonts, pkBakedFontsSize, it->second + 4};
  Glyph g;
  g.left = cur.s16();
  g.top = cur.s16();
  g.width = int(cur.u16());
  g.rows = int(cur.u16());
  g.advance = cur.s16();
  g.bits.resize(size_t(g.width) * size_t(g.rows));
  const unsigned char* bits = pkBakedFonts + cur.at;
  for (size_t i = 0; i < g.bits.size(); ++i) g.bits[i] = (bits[i / 8] >> (7 - i % 8)) & 1;
  return g;
}

std::vector<char32_t> characters(bool bold) {
  std::vector<char32_t> out;
  for (const Strike& s : baked().strikes) {
    if (s.bold != bold) continue;
    for (const auto& [code, at] : s.glyphs)
      if (code != kMissing) out.push_back(code);
    break;
  }
  return out;
}

}  // namespace source
}  // namespace pk::text
