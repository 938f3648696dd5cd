// The navigation bar on top of the screen: the start mark, the active window's
// title, the clock, and the ok of a dialog that has one.
#include <algorithm>

#include <aygshell.h>
#include <commctrl.h>

#include "chrome/look.h"
#include "chrome/shell.h"
#include "controls/controls.h"
#include "gdi/gdi.h"
#include "system/device.h"
#include "system/resource.h"
#include "wm/wm.h"

namespace pk::chrome {

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
  wm::ShellHooks hooks;
  // The navigation bar shows the active window's title and the clock.
  hooks.activeChanged = [] {
    if (HWND bar = navigationBar()) InvalidateRect(bar, nullptr, FALSE);
  };
  hooks.menuKey = menuKey;
  hooks.menuOpen = menuOpen;
  wm::setShellHooks(hooks);
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

// ---- Common controls: nothing to load ----

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* icc) { return icc ? TRUE : FALSE; }
