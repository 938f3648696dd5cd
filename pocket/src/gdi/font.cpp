// Metrics and the glyph cache per size and weight, over whichever glyph source is linked.
#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

#include "gdi/font_source.h"

namespace pk::text {
namespace {

constexpr int kMinPixels = 1;
constexpr int kMaxPixels = 400;

struct Size {
  Metrics metrics;
  std::unordered_map<char32_t, Glyph> glyphs;
};

std::map<std::pair<int, bool>, Size>& sizes() {
  static std::map<std::pair<int, bool>, Size> s;
  return s;
}

int clampPixels(int64_t px) { return int(std::clamp<int64_t>(px, kMinPixels, kMaxPixels)); }

Metrics computeMetrics(const source::Face& face, int pixels) {
  double up = face.unitsPerEm ? face.unitsPerEm : 2048;
  Metrics m;
  m.ascent = int(std::lround(face.ascent * pixels / up));
  m.descent = int(std::lround(face.descent * pixels / up));
  m.height = m.ascent + m.descent;
  return m;
}

Size& sizeFor(int pixels, bool bold) {
  auto key = std::make_pair(pixels, bold);
  auto it = sizes().find(key);
  if (it == sizes().end()) {
    // Without fonts text has no size and draws nothing (a host checks the device before it
    // runs a program, so a person is told).
    Size s;
    if (requireFaces().empty()) s.metrics = computeMetrics(source::face(bold), pixels);
    it = sizes().emplace(key, std::move(s)).first;
  }
  return it->second;
}

}  // namespace

void forgetSizes() { sizes().clear(); }

int pixelSizeForHeight(LONG logicalHeight) {
  if (logicalHeight < 0) return clampPixels(-int64_t(logicalHeight));
  // A positive height is the whole cell: the largest em size whose cell fits in it.
  if (!requireFaces().empty()) return clampPixels(logicalHeight);
  source::Face face = source::face(false);
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
  if (it == s.glyphs.end())
    it = s.glyphs.emplace(c, requireFaces().empty() ? source::render(px, bold, c) : Glyph{}).first;
  return it->second;
}

}  // namespace pk::text
