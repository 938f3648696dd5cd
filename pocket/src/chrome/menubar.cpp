// The menu bar at the bottom of the screen: the window of drop-down menu buttons
// and picture buttons a program's tool-bar template describes, and the keys that
// reach it. Its records, template, pictures, tool tip and pop-ups live beside it.
#include <algorithm>

#include <aygshell.h>
#include <commctrl.h>

#include <pocket/automation.h>

#include "chrome/look.h"
#include "chrome/menubar.h"
#include "chrome/shell.h"
#include "system/device.h"
#include "system/resource.h"
#include "wm/window_table.h"
#include "wm/wm.h"

namespace pk::chrome {
namespace {

wm::WindowTable<MenuBar>& bars() {
  static wm::WindowTable<MenuBar> b;
  return b;
}

constexpr UINT_PTR kTipTimer = 1;
constexpr uint32_t kTipDelayMs = 500;
constexpr int kSipWidth = 28;

void layoutButtons(MenuBar& bar) {
  HDC dc = GetDC(nullptr);
  ScopedFont font(dc, 8, false);
  int x = 0;
  for (Button& b : bar.buttons) {
    int w;
    if (b.separator())
      w = 6;
    else if (!b.label.empty())
      w = std::max<int>(textSize(dc, b.label).cx + 14, 30);
    else
      w = 24;
    b.rect = RECT{x, 1, x + w, wm::kMenuBarHeight};
    x += w;
  }
  ReleaseDC(nullptr, dc);
}

void drawKeyboard(HDC dc, int x, int y) {
  frame(dc, RECT{x, y, x + 20, y + 13}, kBlack);
  for (int row = 0; row < 2; ++row)
    for (int k = 0; k < 5; ++k) fillSolid(dc, RECT{x + 2 + k * 3 + row, y + 3 + row * 3, x + 4 + k * 3 + row, y + 5 + row * 3}, kBlack);
  fillSolid(dc, RECT{x + 5, y + 9, x + 15, y + 11}, kBlack);
}

void paintBar(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  barGround(dc, rc);
  MenuBar* bar = barOf(hwnd);
  if (bar) {
    ScopedFont font(dc, 8, false);
    for (size_t i = 0; i < bar->buttons.size(); ++i) {
      const Button& b = bar->buttons[i];
      if (b.separator()) continue;
      bool open = bar->openButton == int(i);
      bool held = bar->pressed == int(i) && b.enabled();
      COLORREF ground = open ? kHighlight : kBarGrey;
      if (open) fillSolid(dc, b.rect, ground);
      if (held) {
        fillSolid(dc, b.rect, kFaceGrey);
        frame(dc, b.rect, kShadowGrey);
      }
      if (!b.label.empty()) {
        COLORREF ink = open ? kWhite : (b.enabled() ? kBlack : kShadowGrey);
        text(dc, b.label, b.rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE, ink, open ? ground : (held ? kFaceGrey : kBarGrey));
      } else if (b.image >= 0) {
        int ix = (b.rect.left + b.rect.right - 16) / 2 + (held ? 1 : 0);
        int iy = (b.rect.top + b.rect.bottom - 16) / 2 + (held ? 1 : 0);
        drawImage(dc, *bar, b.image, ix, iy, !b.enabled());
      }
    }
  }
  drawKeyboard(dc, rc.right - kSipWidth + 4, (rc.bottom - 13) / 2 + 1);
  EndPaint(hwnd, &ps);
}

int buttonAt(const MenuBar& bar, POINT p) {
  for (size_t i = 0; i < bar.buttons.size(); ++i)
    if (!bar.buttons[i].separator() && contains(bar.buttons[i].rect, p)) return int(i);
  return -1;
}

Button* buttonByCommand(MenuBar& bar, int command) {
  for (Button& b : bar.buttons)
    if (!b.separator() && b.command == command) return &b;
  return nullptr;
}

LRESULT CALLBACK barProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  MenuBar* bar = barOf(hwnd);
  switch (msg) {
    case WM_PAINT:
      paintBar(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN: {
      RECT rc;
      GetClientRect(hwnd, &rc);
      if (pointOf(lParam).x >= rc.right - kSipWidth) {
        setInputPanel(!inputPanelUp());
        return 0;
      }
      // While a modal dialog holds the program, its menu bar takes no taps.
      if (!bar || (bar->owner && !wm::isEnabled(bar->owner))) return 0;
      int i = buttonAt(*bar, pointOf(lParam));
      if (i < 0) return 0;
      Button& b = bar->buttons[size_t(i)];
      if (b.dropDown()) {
        if (b.enabled()) openPopupFor(*bar, i);
        return 0;
      }
      bar->pressed = i;
      wm::setCapture(hwnd);
      wm::setTimer(hwnd, kTipTimer, kTipDelayMs);
      InvalidateRect(hwnd, &b.rect, FALSE);
      return 0;
    }
    case WM_TIMER:
      if (bar && wParam == kTipTimer) {
        wm::killTimer(hwnd, kTipTimer);
        if (bar->pressed >= 0) showTip(*bar, bar->pressed);
      }
      return 0;
    case WM_LBUTTONUP: {
      if (!bar || bar->pressed < 0) return 0;
      int i = bar->pressed;
      bar->pressed = -1;
      wm::killTimer(hwnd, kTipTimer);
      hideTip(*bar);
      if (wm::capture() == hwnd) wm::releaseCapture();
      Button& b = bar->buttons[size_t(i)];
      InvalidateRect(hwnd, &b.rect, FALSE);
      if (b.enabled() && contains(b.rect, pointOf(lParam)) && bar->owner)
        SendMessageW(bar->owner, WM_COMMAND, MAKEWPARAM(b.command, 0), 0);
      return 0;
    }
    case TB_ADDBUTTONS: {
      if (!bar || !lParam) return FALSE;
      auto* tb = reinterpret_cast<const TBBUTTON*>(lParam);
      for (WPARAM k = 0; k < wParam; ++k) {
        Button b;
        b.image = tb[k].iBitmap;
        b.command = tb[k].idCommand;
        b.state = tb[k].fsState;
        b.style = tb[k].fsStyle;
        bar->buttons.push_back(b);
      }
      layoutButtons(*bar);
      InvalidateRect(hwnd, nullptr, FALSE);
      return TRUE;
    }
    case TB_SETTOOLTIPS: {
      if (!bar) return FALSE;
      bar->tips.clear();
      auto* list = reinterpret_cast<const LPCWSTR*>(lParam);
      for (WPARAM k = 0; list && k < wParam; ++k) bar->tips.emplace_back(list[k] ? list[k] : u"");
      return TRUE;
    }
    case TB_ENABLEBUTTON: {
      Button* b = bar ? buttonByCommand(*bar, int(wParam)) : nullptr;
      if (!b) return FALSE;
      BYTE before = b->state;
      if (LOWORD(lParam))
        b->state |= TBSTATE_ENABLED;
      else
        b->state &= BYTE(~TBSTATE_ENABLED);
      if (b->state != before) InvalidateRect(hwnd, &b->rect, FALSE);
      return TRUE;
    }
    case TB_ISBUTTONENABLED: {
      Button* b = bar ? buttonByCommand(*bar, int(wParam)) : nullptr;
      return b && b->enabled();
    }
    case SHCMBM_GETSUBMENU: {
      Button* b = bar ? buttonByCommand(*bar, int(lParam)) : nullptr;
      if (!b || b->popup < 0) return 0;
      return reinterpret_cast<LRESULT>(bar->popups[size_t(b->popup)]->handle);
    }
    case WM_DESTROY:
      if (openPopupBar() == hwnd) closePopup();
      if (bar) {
        hideTip(*bar);
        bars().erase(hwnd);
      }
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

MenuBar* barOf(HWND hwnd) { return bars().find(hwnd); }

void forgetStaleMenus() {
  bars().sweep();
  forgetStalePopup();
}

// A menu bar whose program is free to take a command (no modal dialog holds it).
MenuBar* barTakingKeys() {
  MenuBar* bar = barOf(currentMenuBar());
  if (!bar || !bar->owner || !IsWindow(bar->owner) || !wm::isEnabled(bar->owner)) return nullptr;
  return bar;
}

// The drop-down button after (or before) `from`, wrapping; -1 when there is none.
int nextDropDown(const MenuBar& bar, int from, int step) {
  int n = int(bar.buttons.size());
  for (int k = 1; k <= n; ++k) {
    int i = ((from + step * k) % n + n) % n;
    if (bar.buttons[size_t(i)].dropDown() && bar.buttons[size_t(i)].enabled()) return i;
  }
  return -1;
}

MenuBar* barOwnedBy(HWND owner) {
  forgetStaleMenus();
  for (HWND h : wm::topLevels())
    if (MenuBar* bar = barOf(h); bar && owner && bar->owner == owner) return bar;
  return nullptr;
}

CommandState commandState(const MenuBar& bar, int command) {
  for (const auto& p : bar.popups)
    for (const auto& e : p->entries)
      if (!e.separator && !e.submenu && e.id == command) return e.grayed ? CommandState::Greyed : CommandState::Enabled;
  for (const Button& b : bar.buttons)
    if (!b.separator() && b.popup < 0 && b.command == command)
      return b.enabled() ? CommandState::Enabled : CommandState::Greyed;
  return CommandState::Absent;
}

HWND currentMenuBar() {
  HWND main = automation::mainWindow();
  HWND best = nullptr;
  for (HWND h : wm::topLevels()) {
    MenuBar* bar = barOf(h);
    if (!bar || !wm::isVisible(h)) continue;
    if (main && bar->owner == main) return h;
    if (!best) best = h;
  }
  return best;
}

std::vector<MenuButtonState> menuBarButtons(HWND hwnd) {
  std::vector<MenuButtonState> out;
  MenuBar* bar = barOf(hwnd);
  if (!bar) return out;
  RECT s = wm::screenRect(hwnd);
  for (const Button& b : bar->buttons)
    out.push_back(MenuButtonState{b.command, b.label, b.enabled(), b.separator(),
                                  RECT{s.left + b.rect.left, s.top + b.rect.top, s.left + b.rect.right,
                                       s.top + b.rect.bottom}});
  return out;
}

std::vector<MenuItemState> menuBarItems(HWND hwnd) {
  std::vector<MenuItemState> out;
  MenuBar* bar = barOf(hwnd);
  if (!bar) return out;
  for (const auto& p : bar->popups)
    for (const auto& e : p->entries)
      if (!e.separator && !e.submenu) out.push_back(MenuItemState{e.id, displayText(e.text), e.grayed});
  return out;
}

}  // namespace pk::chrome

using namespace pk::chrome;

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
  if (!info) return FALSE;
  info->hwndMB = nullptr;
  forgetStaleMenus();
  auto bar = barFromResources(info->hInstRes, info->nToolBarId);
  if (!bar) return FALSE;
  registerClass(u"pk_menubar", barProc);
  const int w = pk::device().screen.width, h = pk::device().screen.height;
  HWND hwnd = CreateWindowExW(0, u"pk_menubar", u"", WS_POPUP, 0, h - pk::wm::kMenuBarHeight, w,
                              pk::wm::kMenuBarHeight, info->hwndParent, nullptr, nullptr, nullptr);
  if (!hwnd) return FALSE;
  pk::wm::setNoActivate(hwnd);
  bar->hwnd = hwnd;
  bar->owner = info->hwndParent;
  layoutButtons(*bar);
  bars().add(hwnd, std::move(bar));
  ShowWindow(hwnd, SW_SHOW);
  info->hwndMB = hwnd;
  return TRUE;
}

int CommandBar_AddBitmap(HWND hwnd, HINSTANCE instance, int bitmapId, int imageCount, int imageWidth, int) {
  MenuBar* bar = barOf(hwnd);
  if (!bar || imageCount <= 0) return -1;
  ImageStrip strip{instance, {}, bitmapId, bar->imageCount, imageCount, imageWidth > 0 ? imageWidth : 16, nullptr};
  if (instance == HINST_COMMCTRL) {
    if (bitmapId != IDB_STD_SMALL_COLOR) return -1;
    strip.instance = pk::instanceOf(pkLayerModule);
    strip.name = u"TOOLBAR_STD";
  }
  HBITMAP probe = loadStrip(strip);
  if (!probe) return -1;
  DeleteObject(probe);
  bar->strips.push_back(strip);
  bar->imageCount += imageCount;
  InvalidateRect(hwnd, nullptr, FALSE);
  return strip.first;
}

int CommandBar_Height(HWND bar) {
  if (!bar || !IsWindow(bar)) return 0;
  RECT r;
  GetClientRect(bar, &r);
  return r.bottom - r.top;
}
