// The shell around the program: the navigation bar on top, and the drawing
// helpers every shell window shares.
#include "chrome.h"

#include <algorithm>

#include <aygshell.h>
#include <commctrl.h>

#include "device.h"
#include "gdi.h"
#include "resource.h"
#include "wm.h"

namespace pk::chrome {

// ---- Drawing helpers ----

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

SIZE dialogBaseUnits() {
  static const std::u16string letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  HDC dc = GetDC(nullptr);
  SIZE base{4, 8};
  if (!dc) return base;
  {
    ScopedFont font(dc, 8, false);
    SIZE sz = textSize(dc, letters);
    if (sz.cx > 0) base.cx = (sz.cx + 26) / 52;
    if (sz.cy > 0) base.cy = sz.cy;
  }
  ReleaseDC(nullptr, dc);
  return base;
}

// ---- Navigation bar ----

namespace {

struct NavBar {
  HWND hwnd = nullptr;
  bool okPressed = false;
};

NavBar& nav() {
  static NavBar n;
  return n;
}

// The ok keeps its place at the right edge, whatever the width of the screen.
RECT okRect(int barWidth) { return RECT{barWidth - 26, 2, barWidth - 2, 24}; }

RECT okRect(HWND bar) {
  RECT rc;
  GetClientRect(bar, &rc);
  return okRect(int(rc.right));
}

HWND dialogWithOk() {
  HWND a = GetActiveWindow();
  return a && isDialog(a) && hasDoneButton(a) ? a : nullptr;
}

std::u16string activeTitle() {
  HWND a = GetActiveWindow();
  // A message box keeps its caption in its own strip; the bar goes on naming the program.
  while (a && isMessageBox(a)) a = wm::ownerOf(a);
  return a ? wm::text(a) : std::u16string{};
}

// "h:mm" of the host's clock, as the device's own clock shows it.
std::u16string clockText() {
  int minutes = device().host ? device().host->clockMinutes() : 12 * 60;
  minutes = ((minutes % 1440) + 1440) % 1440;
  int hour = minutes / 60 % 12;
  std::string s = std::to_string(hour == 0 ? 12 : hour) + ":" + char('0' + minutes % 60 / 10) + char('0' + minutes % 10);
  return utf16(s);
}

// The device's start mark, a picture of the layer's own.
void drawStartMark(HDC dc, int x, int y) {
  HBITMAP mark = LoadBitmapW(instanceOf(pkLayerModule), u"STARTMARK");
  if (!mark) return;
  const Surface* pixels = gdi::bitmapSurface(mark);
  HDC src = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(src, mark);
  BitBlt(dc, x, y, pixels->width, pixels->height, src, 0, 0, SRCCOPY);
  SelectObject(src, old);
  DeleteDC(src);
  DeleteObject(mark);
}

}  // namespace

NavLayout navigationLayout(int width, int titleWidth, int clockWidth, bool ok) {
  constexpr int kGap = 6, kTitleLeft = 26;
  NavLayout l;
  int right = width - kGap;
  if (ok) {
    l.ok = okRect(width);
    right = l.ok->left - kGap;
  }
  // When the title and the clock do not both fit, the clock goes; then the title is cut.
  if (kTitleLeft + titleWidth + kGap + clockWidth <= right) {
    l.clock = RECT{right - clockWidth, 0, right, wm::kNavBarHeight};
    right = l.clock->left - kGap;
  }
  l.title = RECT{kTitleLeft, 0, std::max(kTitleLeft, right), wm::kNavBarHeight};
  return l;
}

namespace {

void paintNav(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  fillSolid(dc, rc, kNavBlue);
  drawStartMark(dc, 3, 4);
  const std::u16string title = activeTitle(), clock = clockText();
  int titleWidth, clockWidth;
  {
    ScopedFont font(dc, 9, true);
    titleWidth = textSize(dc, title).cx;
  }
  {
    ScopedFont font(dc, 8, false);
    clockWidth = textSize(dc, clock).cx;
  }
  NavLayout l = navigationLayout(int(rc.right), titleWidth, clockWidth, dialogWithOk() != nullptr);
  if (l.clock) {
    ScopedFont font(dc, 8, false);
    text(dc, clock, *l.clock, DT_RIGHT | DT_VCENTER | DT_SINGLELINE, kWhite, kNavBlue);
  }
  {
    ScopedFont font(dc, 9, true);
    text(dc, title, l.title, DT_LEFT | DT_VCENTER | DT_SINGLELINE, kWhite, kNavBlue);
  }
  if (l.ok) {
    const RECT& ok = *l.ok;
    bool pressed = nav().okPressed;
    COLORREF face = pressed ? kWhite : kNavBlue;
    HBRUSH brush = CreateSolidBrush(face);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(WHITE_PEN));
    Ellipse(dc, ok.left, ok.top, ok.right, ok.bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
    ScopedFont font(dc, 8, true);
    RECT inner{ok.left + 3, ok.top + 3, ok.right - 3, ok.bottom - 3};
    text(dc, u"ok", inner, DT_CENTER | DT_VCENTER | DT_SINGLELINE, pressed ? kNavBlue : kWhite, face);
  }
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK navProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  NavBar& n = nav();
  switch (msg) {
    case WM_PAINT:
      paintNav(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
      if (dialogWithOk() && contains(okRect(hwnd), pointOf(lParam))) {
        n.okPressed = true;
        wm::setCapture(hwnd);
        RECT ok = okRect(hwnd);
        InvalidateRect(hwnd, &ok, FALSE);
      }
      return 0;
    case WM_LBUTTONUP:
      if (n.okPressed) {
        n.okPressed = false;
        wm::releaseCapture();
        RECT ok = okRect(hwnd);
        InvalidateRect(hwnd, &ok, FALSE);
        HWND dlg = dialogWithOk();
        if (dlg && contains(ok, pointOf(lParam)))
          PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      }
      return 0;
    case WM_DESTROY:
      if (n.hwnd == hwnd) n = NavBar{};
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

void startShell() {
  registerClass(u"pk_navbar", navProc);
  if (IsWindow(nav().hwnd)) return;
  nav() = NavBar{};
  int width = device().screen.width;
  nav().hwnd = createShellWindow(u"pk_navbar", u"", RECT{0, 0, width, wm::kNavBarHeight}, nullptr);
}

HWND navigationBar() { return IsWindow(nav().hwnd) ? nav().hwnd : nullptr; }

std::optional<RECT> navigationOkRect() {
  HWND bar = navigationBar();
  if (!bar || !wm::isVisible(bar) || !dialogWithOk()) return std::nullopt;
  RECT s = wm::screenRect(bar), ok = okRect(bar);
  return RECT{s.left + ok.left, s.top + ok.top, s.left + ok.right, s.top + ok.bottom};
}

}  // namespace pk::chrome

namespace pk::wm {

void shellActiveChanged() {
  if (HWND bar = chrome::navigationBar()) InvalidateRect(bar, nullptr, FALSE);
}

}  // namespace pk::wm

// ---- Common controls: nothing to load ----

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc) { return icc ? TRUE : FALSE; }
