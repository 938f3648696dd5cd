// Text output and measurement: ExtTextOutW, DrawTextW, GetTextExtentExPointW.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "gdi/gdi_internal.h"
#include "gdi/text.h"

namespace pk::gdi {
namespace {

struct Run {
  std::vector<const text::Glyph*> glyphs;  // null for the second half of a surrogate pair
  std::vector<int> advances;
  int width = 0;
};

Font& fontOf(DC& dc) {
  Font* f = findFont(dc.font);
  return f ? *f : *findFont(stockSystemFont());
}

Run shape(const Font& font, std::u16string_view s) {
  Run run;
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    bool pair = c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000;
    if (pair) c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
    const text::Glyph& g = text::glyph(font.pixelSize, font.bold, c);
    run.glyphs.push_back(&g);
    run.advances.push_back(g.advance);
    run.width += g.advance;
    if (pair) {
      run.glyphs.push_back(nullptr);
      run.advances.push_back(0);
      ++i;
    }
  }
  return run;
}

RECT intersectClip(RECT a, const std::optional<RECT>& clip) {
  if (!clip) return a;
  return RECT{std::max(a.left, clip->left), std::max(a.top, clip->top), std::min(a.right, clip->right),
              std::min(a.bottom, clip->bottom)};
}

// Draws a run with its top-left at (x, y) in DC coordinates: background box in the
// background colour (the DC is always opaque), glyph pixels in the text colour.
void drawRun(DC& dc, Target& t, int x, int y, const Run& run, const text::Metrics& m,
             const std::optional<RECT>& clip, int underline = -1) {
  RECT box = intersectClip(RECT{x, y, x + run.width, y + m.height}, clip);
  fillDeviceRect(t, int64_t(box.left) + t.ox, int64_t(box.top) + t.oy, int64_t(box.right) + t.ox,
                 int64_t(box.bottom) + t.oy, pixelFor(t, dc.bkColor));
  uint32_t ink = pixelFor(t, dc.textColor);
  auto inClip = [&](int64_t px, int64_t py) {
    return !clip || (px >= clip->left && px < clip->right && py >= clip->top && py < clip->bottom);
  };
  int64_t pen = x;
  int64_t baseline = int64_t(y) + m.ascent;
  for (size_t i = 0; i < run.glyphs.size(); ++i) {
    if (const text::Glyph* g = run.glyphs[i]) {
      for (int gy = 0; gy < g->rows; ++gy)
        for (int gx = 0; gx < g->width; ++gx) {
          if (!g->bits[size_t(gy) * size_t(g->width) + size_t(gx)]) continue;
          int64_t px = pen + g->left + gx, py = baseline - g->top + gy;
          if (inClip(px, py)) plot(t, px + t.ox, py + t.oy, ink);
        }
      if (int(i) == underline)
        for (int u = 0; u < run.advances[i]; ++u)
          if (inClip(pen + u, baseline + 1)) plot(t, pen + u + t.ox, baseline + 1 + t.oy, ink);
    }
    pen += run.advances[i];
  }
}

struct Line {
  std::u16string text;
  int underline = -1;  // index of the character a single '&' marked
  Run run;
};

// '&' marks the next character (drawn underlined); "&&" is a plain '&'.
Line stripPrefix(std::u16string_view s, bool prefixes) {
  Line line;
  for (size_t i = 0; i < s.size(); ++i) {
    if (prefixes && s[i] == u'&' && i + 1 < s.size()) {
      ++i;
      if (s[i] != u'&') line.underline = int(line.text.size());
    }
    line.text.push_back(s[i]);
  }
  return line;
}

std::vector<std::u16string_view> paragraphs(std::u16string_view s) {
  std::vector<std::u16string_view> out;
  size_t start = 0;
  for (size_t i = 0; i <= s.size(); ++i) {
    if (i < s.size() && s[i] != u'\n' && s[i] != u'\r') continue;
    out.push_back(s.substr(start, i - start));
    if (i + 1 < s.size() && s[i] == u'\r' && s[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  return out;
}

int widthOf(const Font& font, std::u16string_view s, bool prefixes) {
  return shape(font, stripPrefix(s, prefixes).text).width;
}

// Breaks a paragraph at spaces so that each line fits `maxWidth`; a word wider than
// that keeps a line of its own.
void wrap(const Font& font, std::u16string_view para, int maxWidth, bool prefixes,
          std::vector<std::u16string_view>& out) {
  size_t start = 0;
  while (true) {
    while (start < para.size() && para[start] == u' ' && start > 0) ++start;
    std::u16string_view rest = para.substr(start);
    if (rest.empty() && start > 0) return;
    if (widthOf(font, rest, prefixes) <= maxWidth) {
      out.push_back(rest);
      return;
    }
    size_t cut = std::u16string_view::npos;
    for (size_t i = 1; i < rest.size(); ++i)
      if (rest[i] == u' ' && rest[i - 1] != u' ') {
        if (widthOf(font, rest.substr(0, i), prefixes) > maxWidth) break;
        cut = i;
      }
    if (cut == std::u16string_view::npos) {
      cut = rest.find(u' ', 1);
      if (cut == std::u16string_view::npos) {
        out.push_back(rest);
        return;
      }
    }
    out.push_back(rest.substr(0, cut));
    start += cut;
  }
}

}  // namespace
}  // namespace pk::gdi

using namespace pk::gdi;

BOOL ExtTextOutW(HDC handle, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count,
                 const int* dx) {
  DC* dc = findDC(handle);
  if (!dc || (count > 0 && !text)) return FALSE;
  Font& font = fontOf(*dc);
  pk::text::Metrics m = pk::text::metrics(font.pixelSize, font.bold);
  Run run = shape(font, std::u16string_view(text ? text : u"", count));
  if (dx) {
    run.width = 0;
    for (UINT i = 0; i < count; ++i) run.width += run.advances[i] = dx[i];
  }
  Target t;
  if (!targetOf(*dc, t)) return TRUE;
  if ((options & ETO_OPAQUE) && rect)
    fillDeviceRect(t, int64_t(rect->left) + t.ox, int64_t(rect->top) + t.oy, int64_t(rect->right) + t.ox,
                   int64_t(rect->bottom) + t.oy, pixelFor(t, dc->bkColor));
  std::optional<RECT> clip;
  if ((options & ETO_CLIPPED) && rect) clip = *rect;
  drawRun(*dc, t, x, y, run, m, clip);
  return TRUE;
}

BOOL GetTextExtentExPointW(HDC handle, LPCWSTR text, int count, int maxExtent, LPINT fit, LPINT dx,
                           LPSIZE size) {
  DC* dc = findDC(handle);
  if (!dc || count < 0 || (count > 0 && !text) || !size) return FALSE;
  Font& font = fontOf(*dc);
  Run run = shape(font, std::u16string_view(text ? text : u"", size_t(count)));
  int total = 0, fits = 0;
  for (int i = 0; i < count; ++i) {
    total += run.advances[size_t(i)];
    if (dx) dx[i] = total;
    if (maxExtent < 0 || total <= maxExtent) fits = i + 1;
  }
  if (fit) *fit = fits;
  size->cx = total;
  size->cy = pk::text::metrics(font.pixelSize, font.bold).height;
  return TRUE;
}

int DrawTextW(HDC handle, LPCWSTR text, int count, LPRECT rect, UINT format) {
  DC* dc = findDC(handle);
  if (!dc || !rect || !text) return 0;
  if (count < 0) count = int(std::char_traits<char16_t>::length(text));
  if (count == 0) return 0;
  std::u16string_view all(text, size_t(count));
  Font& font = fontOf(*dc);
  pk::text::Metrics m = pk::text::metrics(font.pixelSize, font.bold);
  bool prefixes = !(format & DT_NOPREFIX);
  bool single = (format & DT_SINGLELINE) != 0;

  std::vector<std::u16string_view> pieces;
  if (single) {
    pieces.push_back(all);
  } else {
    for (std::u16string_view para : paragraphs(all)) {
      if (format & DT_WORDBREAK)
        wrap(font, para, rect->right - rect->left, prefixes, pieces);
      else
        pieces.push_back(para);
    }
  }
  std::vector<Line> lines;
  int widest = 0;
  for (std::u16string_view piece : pieces) {
    Line line = stripPrefix(piece, prefixes);
    line.run = shape(font, line.text);
    widest = std::max(widest, line.run.width);
    lines.push_back(std::move(line));
  }
  int total = int(lines.size()) * m.height;
  if (format & DT_CALCRECT) {
    rect->right = rect->left + widest;
    rect->bottom = rect->top + total;
    return total;
  }

  int y = rect->top;
  // Vertical placement applies to a single line only, as on the platform.
  if (single && (format & DT_VCENTER))
    y = rect->top + (rect->bottom - rect->top - m.height) / 2;
  else if (single && (format & DT_BOTTOM))
    y = rect->bottom - m.height;
  int top = y;

  Target t;
  if (targetOf(*dc, t)) {
    for (const Line& line : lines) {
      int x = rect->left;
      if (format & DT_CENTER)
        x = rect->left + (rect->right - rect->left - line.run.width) / 2;
      else if (format & DT_RIGHT)
        x = rect->right - line.run.width;
      drawRun(*dc, t, x, y, line.run, m, *rect, line.underline);
      y += m.height;
    }
  }
  if (single && (format & (DT_VCENTER | DT_BOTTOM))) return top + total - rect->top;
  return total;
}
