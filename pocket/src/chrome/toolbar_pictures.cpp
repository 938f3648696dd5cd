// The menu bar's picture buttons: images cut from the strips added to the bar,
// the magenta key colour left out, and greyed images embossed from their darker
// pixels. A strip is decoded once, and each image is worked out into solid fills
// at its first paint.
#include <algorithm>
#include <optional>

#include <pocket/basics.h>

#include "chrome/look.h"
#include "chrome/menubar.h"
#include "gdi/gdi.h"
#include "gdi/surface.h"

namespace pk::chrome {

namespace {

constexpr uint32_t kKeyColour = 0xFF00FF;

// Rectangles filled in one colour, in image coordinates.
struct Fill {
  COLORREF colour;
  std::vector<RECT> rects;
};
using Picture = std::vector<Fill>;  // in painting order

}  // namespace

struct StripPictures {
  Surface pixels;
  std::vector<std::optional<Picture>> images;  // two per image: plain, greyed
};

namespace {

// Runs of ink along each row: one colour each, or any ink when greyed.
Picture pictureOf(const Surface& surf, int sx, int width, bool greyed) {
  int w = std::clamp(surf.width - sx, 0, width);
  int h = std::min(surf.height, 16);
  auto isInk = [&](uint32_t p) { return p != kKeyColour && (!greyed || lumaMilli(p) / 1000 < 160); };
  std::vector<std::pair<uint32_t, RECT>> runs;
  for (int py = 0; py < h; ++py) {
    const uint32_t* row = surf.row(py) + sx;
    for (int px = 0; px < w;) {
      if (!isInk(row[px])) {
        ++px;
        continue;
      }
      int start = px;
      uint32_t colour = row[px];
      while (px < w && isInk(row[px]) && (greyed || row[px] == colour)) ++px;
      runs.emplace_back(colour, RECT{start, py, px, py + 1});
    }
  }
  Picture picture;
  if (greyed) {
    Fill light{kWhite, {}}, shadow{kShadowGrey, {}};
    for (const auto& [colour, r] : runs) {
      light.rects.push_back(RECT{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1});
      shadow.rects.push_back(r);
    }
    picture.push_back(std::move(light));  // the light edge lies under the shadow
    picture.push_back(std::move(shadow));
    return picture;
  }
  // Runs never overlap here, so the order of colours does not matter.
  std::stable_sort(runs.begin(), runs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [colour, r] : runs) {
    COLORREF c = COLORREF(toColorref(colour));
    if (picture.empty() || picture.back().colour != c) picture.push_back(Fill{c, {}});
    picture.back().rects.push_back(r);
  }
  return picture;
}

StripPictures* decoded(ImageStrip& s) {
  if (!s.pictures) {
    HBITMAP bmp = loadStrip(s);
    const Surface* surf = bmp ? gdi::bitmapSurface(bmp) : nullptr;
    if (surf) s.pictures = std::make_shared<StripPictures>(StripPictures{*surf, std::vector<std::optional<Picture>>(size_t(s.count) * 2)});
    if (bmp) DeleteObject(bmp);
  }
  return s.pictures.get();
}

}  // namespace

HBITMAP loadStrip(const ImageStrip& s) {
  LPCWSTR name = s.name.empty() ? MAKEINTRESOURCEW(s.number) : s.name.c_str();
  return LoadBitmapW(s.instance, name);
}

void drawImage(HDC dc, MenuBar& bar, int index, int x, int y, bool greyed) {
  for (ImageStrip& s : bar.strips) {
    if (index < s.first || index >= s.first + s.count) continue;
    StripPictures* strip = decoded(s);
    if (!strip) return;
    auto& slot = strip->images[size_t(index - s.first) * 2 + (greyed ? 1 : 0)];
    if (!slot) slot = pictureOf(strip->pixels, (index - s.first) * s.width, s.width, greyed);
    for (const Fill& fill : *slot) {
      HBRUSH brush = CreateSolidBrush(fill.colour);
      for (const RECT& r : fill.rects) {
        RECT at{x + r.left, y + r.top, x + r.right, y + r.bottom};
        FillRect(dc, &at, brush);
      }
      DeleteObject(brush);
    }
    return;
  }
}

}  // namespace pk::chrome
