// The look every shell window and dialog shares: the device's colours, its
// Tahoma text, and the small drawing and window helpers built on the platform calls.
#include "chrome/look.h"

#include <algorithm>

#include "system/device.h"
#include "wm/wm.h"

namespace pk::chrome {

ScopedFont::ScopedFont(HDC dc, int points, bool bold) : dc_(dc) {
  LOGFONTW lf{};
  int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  if (dpi <= 0) dpi = 96;
  lf.lfHeight = -(points * dpi) / 72;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  const char16_t face[] = u"Tahoma";
  std::copy(std::begin(face), std::end(face), lf.lfFaceName);
  font_ = CreateFontIndirectW(&lf);
  old_ = font_ ? SelectObject(dc, font_) : nullptr;
}

ScopedFont::~ScopedFont() {
  if (!font_) return;
  SelectObject(dc_, old_);
  DeleteObject(font_);
}

void fillSolid(HDC dc, const RECT& r, COLORREF color) {
  HBRUSH b = CreateSolidBrush(color);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void barGround(HDC dc, const RECT& r) {
  fillSolid(dc, r, kBarGrey);
  fillSolid(dc, RECT{r.left, r.top, r.right, r.top + 1}, kShadowGrey);
}

void frame(HDC dc, const RECT& r, COLORREF color, int thickness) {
  HBRUSH b = CreateSolidBrush(color);
  for (int i = 0; i < thickness; ++i) {
    RECT top{r.left + i, r.top + i, r.right - i, r.top + i + 1};
    RECT bottom{r.left + i, r.bottom - i - 1, r.right - i, r.bottom - i};
    RECT left{r.left + i, r.top + i, r.left + i + 1, r.bottom - i};
    RECT right{r.right - i - 1, r.top + i, r.right - i, r.bottom - i};
    FillRect(dc, &top, b);
    FillRect(dc, &bottom, b);
    FillRect(dc, &left, b);
    FillRect(dc, &right, b);
  }
  DeleteObject(b);
}

void line(HDC dc, int x0, int y0, int x1, int y1, bool white) {
  HGDIOBJ old = SelectObject(dc, GetStockObject(white ? WHITE_PEN : BLACK_PEN));
  POINT pts[2] = {{x0, y0}, {x1, y1}};
  Polyline(dc, pts, 2);
  SelectObject(dc, old);
}

void text(HDC dc, const std::u16string& s, RECT r, UINT format, COLORREF color, COLORREF ground) {
  COLORREF oldText = SetTextColor(dc, color);
  COLORREF oldBk = SetBkColor(dc, ground);
  DrawTextW(dc, s.c_str(), int(s.size()), &r, format | DT_NOPREFIX);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBk);
}

SIZE textSize(HDC dc, const std::u16string& s) {
  SIZE sz{0, 0};
  GetTextExtentExPointW(dc, s.c_str(), int(s.size()), 0, nullptr, nullptr, &sz);
  return sz;
}

std::u16string displayText(const std::u16string& s) {
  std::u16string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'&' && i + 1 < s.size()) {
      out += s[++i];  // "&&" is a literal ampersand
      continue;
    }
    if (s[i] == u'\t') break;  // accelerator text is not shown on the device
    out += s[i];
  }
  return out;
}

void registerClass(LPCWSTR name, WNDPROC proc, int stockBrush) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  wc.hbrBackground = stockBrush >= 0 ? HBRUSH(GetStockObject(stockBrush)) : nullptr;
  RegisterClassW(&wc);  // fails harmlessly when the class exists
}

HWND createShellWindow(LPCWSTR className, LPCWSTR title, RECT r, HWND owner) {
  HWND h = CreateWindowExW(0, className, title, WS_POPUP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           owner, nullptr, nullptr, nullptr);
  if (!h) return nullptr;
  wm::setNoActivate(h);
  ShowWindow(h, SW_SHOW);
  return h;
}

bool contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

POINT pointOf(LPARAM lParam) { return POINT{int16_t(LOWORD(lParam)), int16_t(HIWORD(lParam))}; }

POINT centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

std::string quoted(const std::u16string& s) {
  std::string out = "\"";
  for (char c : utf8(s)) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    if (c == '\r') continue;
    out += c;
  }
  return out + "\"";
}

}  // namespace pk::chrome
