// The tool tip of a menu bar's picture button: its name in a yellow box above
// the button, while the stylus holds it.
#include <algorithm>

#include "chrome/look.h"
#include "chrome/menubar.h"
#include "system/device.h"
#include "wm/wm.h"

namespace pk::chrome {
namespace {

LRESULT CALLBACK tipProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    fillSolid(dc, rc, kTipYellow);
    frame(dc, rc, kBlack);
    ScopedFont font(dc, 8, false);
    text(dc, wm::text(hwnd), rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE, kBlack, kTipYellow);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (msg == WM_ERASEBKGND) return 1;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The tips are numbered by the buttons that are not separators.
std::u16string tipFor(const MenuBar& bar, int buttonIndex) {
  int ordinal = 0;
  for (int i = 0; i < buttonIndex; ++i)
    if (!bar.buttons[size_t(i)].separator()) ++ordinal;
  return size_t(ordinal) < bar.tips.size() ? bar.tips[size_t(ordinal)] : std::u16string{};
}

}  // namespace

void hideTip(MenuBar& bar) {
  if (bar.tip) DestroyWindow(bar.tip);
  bar.tip = nullptr;
}

void showTip(MenuBar& bar, int index) {
  std::u16string tip = tipFor(bar, index);
  if (tip.empty()) return;
  HDC dc = GetDC(nullptr);
  SIZE sz;
  {
    ScopedFont font(dc, 8, false);
    sz = textSize(dc, tip);
  }
  ReleaseDC(nullptr, dc);
  RECT barScreen = wm::screenRect(bar.hwnd);
  RECT b = bar.buttons[size_t(index)].rect;
  int w = sz.cx + 8, h = sz.cy + 4;
  int x = std::clamp<int>(barScreen.left + b.left, 0, std::max(0, device().screen.width - w));
  int y = barScreen.top - h - 2;
  registerClass(u"pk_tooltip", tipProc);
  hideTip(bar);
  bar.tip = createShellWindow(u"pk_tooltip", tip.c_str(), RECT{x, y, x + w, y + h}, bar.hwnd);
}

}  // namespace pk::chrome
