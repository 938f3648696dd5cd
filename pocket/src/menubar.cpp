// The menu bar at the bottom of the screen: drop-down menu buttons from the
// program's tool-bar template, picture buttons with their tool tips, and the
// pop-up menus the drop-down buttons open.
#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include <aygshell.h>
#include <commctrl.h>

#include <pocket/automation.h>

#include "chrome.h"
#include "device.h"
#include "gdi.h"
#include "painted.h"
#include "resource.h"
#include "wm.h"


namespace pk::chrome {
namespace {

struct PopupMenu {
  struct Entry {
    std::u16string text;
    int id = 0;
    bool separator = false;
    bool grayed = false;
    bool submenu = false;  // nested pop-ups are shown but lead nowhere
  };
  std::vector<Entry> entries;
};

struct Button {
  int image = I_IMAGENONE;
  int command = 0;
  BYTE state = 0;
  BYTE style = 0;
  std::u16string label;
  int popup = -1;
  RECT rect{};  // client coordinates of the bar
  bool separator() const { return (style & TBSTYLE_SEP) != 0; }
  bool enabled() const { return (state & TBSTATE_ENABLED) != 0; }
  bool dropDown() const { return (style & TBSTYLE_DROPDOWN) != 0 && popup >= 0; }
};

struct ImageStrip {
  HINSTANCE instance;
  std::u16string name;  // empty: `number`
  int number;
  int first;
  int count;
  int width;
};

struct MenuBar {
  HWND hwnd = nullptr;
  HWND owner = nullptr;
  std::vector<Button> buttons;
  std::vector<std::unique_ptr<PopupMenu>> popups;
  std::vector<ImageStrip> strips;
  int imageCount = 0;
  std::vector<std::u16string> tips;  // one per non-separator button
  int pressed = -1;                  // picture button held by the stylus
  int openButton = -1;               // drop-down button whose pop-up is open
  HWND tip = nullptr;
};

struct OpenPopup {
  HWND hwnd = nullptr;
  HWND bar = nullptr;
  PopupMenu* menu = nullptr;
  int hot = -1;
  std::vector<RECT> rects;  // per entry, client coordinates
};

std::map<HWND, std::unique_ptr<MenuBar>>& bars() {
  static std::map<HWND, std::unique_ptr<MenuBar>> b;
  return b;
}

std::set<const PopupMenu*>& liveMenus() {
  static std::set<const PopupMenu*> m;
  return m;
}

OpenPopup& openPopup() {
  static OpenPopup p;
  return p;
}

constexpr UINT_PTR kTipTimer = 1;
constexpr uint32_t kTipDelayMs = 500;
constexpr int kItemHeight = 19;
constexpr int kSeparatorHeight = 7;
constexpr int kSipWidth = 28;

MenuBar* barOf(HWND hwnd) {
  auto it = bars().find(hwnd);
  return it == bars().end() ? nullptr : it->second.get();
}

// Windows can vanish without WM_DESTROY when the window system is reset.
void forgetStaleBars() {
  for (auto it = bars().begin(); it != bars().end();) {
    if (IsWindow(it->first)) {
      ++it;
      continue;
    }
    for (auto& p : it->second->popups) liveMenus().erase(p.get());
    it = bars().erase(it);
  }
  if (openPopup().hwnd && !IsWindow(openPopup().hwnd)) openPopup() = OpenPopup{};
}

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

std::u16string tipFor(const MenuBar& bar, int buttonIndex) {
  int ordinal = 0;
  for (int i = 0; i < buttonIndex; ++i)
    if (!bar.buttons[size_t(i)].separator()) ++ordinal;
  return size_t(ordinal) < bar.tips.size() ? bar.tips[size_t(ordinal)] : std::u16string{};
}

// ---- Pictures ----

HBITMAP loadStrip(const ImageStrip& s) {
  LPCWSTR name = s.name.empty() ? MAKEINTRESOURCEW(s.number) : s.name.c_str();
  return LoadBitmapW(s.instance, name);
}

// Draws one image of a strip with its magenta key colour left out; a greyed image is
// the embossed outline of its darker pixels.
void drawImage(HDC dc, const MenuBar& bar, int index, int x, int y, bool greyed) {
  for (const ImageStrip& s : bar.strips) {
    if (index < s.first || index >= s.first + s.count) continue;
    HBITMAP bmp = loadStrip(s);
    const Surface* surf = bmp ? gdi::bitmapSurface(bmp) : nullptr;
    if (surf) {
      int sx = (index - s.first) * s.width;
      int h = std::min(surf->height, 16);
      auto isInk = [&](int px, int py) {
        if (sx + px >= surf->width) return false;
        uint32_t p = surf->row(py)[sx + px];
        if (p == 0xFF00FF) return false;
        if (!greyed) return true;
        int luma = lumaMilli(p) / 1000;
        return luma < 160;
      };
      for (int pass = greyed ? 0 : 1; pass < 2; ++pass) {
        int off = (greyed && pass == 0) ? 1 : 0;
        for (int py = 0; py < h; ++py) {
          for (int px = 0; px < s.width;) {
            if (!isInk(px, py)) {
              ++px;
              continue;
            }
            int start = px;
            uint32_t colour = surf->row(py)[sx + px];
            while (px < s.width && isInk(px, py) && (greyed || surf->row(py)[sx + px] == colour)) ++px;
            COLORREF c = greyed ? (pass == 0 ? kWhite : kShadowGrey) : COLORREF(toColorref(colour));
            fillSolid(dc, RECT{x + start + off, y + py + off, x + px + off, y + py + 1 + off}, c);
          }
        }
      }
    }
    if (bmp) DeleteObject(bmp);
    return;
  }
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

// ---- Tool tip ----

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

// ---- Pop-up menus ----

void closePopup() {
  OpenPopup& p = openPopup();
  if (!p.hwnd) return;
  HWND popup = p.hwnd;
  HWND barHwnd = p.bar;
  p = OpenPopup{};
  if (wm::capture() == popup) wm::releaseCapture();
  DestroyWindow(popup);
  if (MenuBar* bar = barOf(barHwnd)) {
    bar->openButton = -1;
    InvalidateRect(barHwnd, nullptr, FALSE);
  }
}

int entryAt(POINT p) {
  const OpenPopup& o = openPopup();
  for (size_t i = 0; i < o.rects.size(); ++i)
    if (contains(o.rects[i], p)) return int(i);
  return -1;
}

bool choosable(int index) {
  const OpenPopup& o = openPopup();
  if (index < 0 || !o.menu || size_t(index) >= o.menu->entries.size()) return false;
  const auto& e = o.menu->entries[size_t(index)];
  return !e.separator && !e.grayed && !e.submenu;
}

// Closes the menu and sends its owner the entry's command.
void choose(int index) {
  const OpenPopup& o = openPopup();
  int id = o.menu->entries[size_t(index)].id;
  HWND owner = nullptr;
  if (MenuBar* bar = barOf(o.bar)) owner = bar->owner;
  closePopup();
  if (owner) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void paintPopup(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  fillSolid(dc, rc, kWhite);
  frame(dc, rc, kBlack);
  const OpenPopup& o = openPopup();
  if (o.hwnd == hwnd && o.menu) {
    ScopedFont font(dc, 8, false);
    for (size_t i = 0; i < o.menu->entries.size(); ++i) {
      const auto& e = o.menu->entries[i];
      RECT r = o.rects[i];
      if (e.separator) {
        int y = (r.top + r.bottom) / 2;
        fillSolid(dc, RECT{r.left + 2, y, r.right - 2, y + 1}, kShadowGrey);
        continue;
      }
      bool hot = o.hot == int(i) && choosable(int(i));
      COLORREF ground = hot ? kHighlight : kWhite;
      if (hot) fillSolid(dc, r, ground);
      COLORREF ink = e.grayed ? kShadowGrey : (hot ? kWhite : kBlack);
      RECT tr{r.left + 12, r.top, r.right - 6, r.bottom};
      text(dc, displayText(e.text), tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE, ink, ground);
    }
  }
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK popupProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  OpenPopup& o = openPopup();
  switch (msg) {
    case WM_PAINT:
      paintPopup(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN: {
      if (o.hwnd != hwnd) return 0;
      POINT p = pointOf(lParam);
      RECT rc;
      GetClientRect(hwnd, &rc);
      if (!contains(rc, p)) {
        closePopup();  // the tap only closes the menu
        return 0;
      }
      o.hot = entryAt(p);
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    }
    case WM_DESTROY:
      if (o.hwnd == hwnd) {
        HWND barHwnd = o.bar;
        o = OpenPopup{};
        if (MenuBar* bar = barOf(barHwnd)) bar->openButton = -1;
      }
      return 0;
    case WM_MOUSEMOVE: {
      if (o.hwnd != hwnd) return 0;
      int hot = entryAt(pointOf(lParam));
      if (hot != o.hot) {
        o.hot = hot;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      if (o.hwnd != hwnd) return 0;
      int index = entryAt(pointOf(lParam));
      if (!choosable(index)) {
        o.hot = -1;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
      }
      choose(index);
      return 0;
    }
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

void openPopupFor(MenuBar& bar, int buttonIndex) {
  closePopup();
  const Button& b = bar.buttons[size_t(buttonIndex)];
  PopupMenu* menu = bar.popups[size_t(b.popup)].get();
  HDC dc = GetDC(nullptr);
  int width = 80;
  {
    ScopedFont font(dc, 8, false);
    for (const auto& e : menu->entries)
      if (!e.separator) width = std::max<int>(width, textSize(dc, displayText(e.text)).cx + 30);
  }
  ReleaseDC(nullptr, dc);
  std::vector<RECT> rects;
  int y = 2;
  for (const auto& e : menu->entries) {
    int h = e.separator ? kSeparatorHeight : kItemHeight;
    rects.push_back(RECT{2, y, width - 2, y + h});
    y += h;
  }
  int height = y + 2;
  RECT barScreen = wm::screenRect(bar.hwnd);
  int screenW = device().screen.width;
  width = std::min(width, screenW);
  int x = std::clamp<int>(barScreen.left + b.rect.left, 0, screenW - width);
  int top = std::max<int>(0, barScreen.top - height);
  registerClass(u"pk_popupmenu", popupProc);
  OpenPopup& o = openPopup();
  o.bar = bar.hwnd;
  o.menu = menu;
  o.rects = std::move(rects);
  o.hot = -1;
  bar.openButton = buttonIndex;
  o.hwnd = createShellWindow(u"pk_popupmenu", u"", RECT{x, top, x + width, top + height}, bar.hwnd);
  if (!o.hwnd) {
    o = OpenPopup{};
    bar.openButton = -1;
    return;
  }
  wm::setCapture(o.hwnd);
  InvalidateRect(bar.hwnd, nullptr, FALSE);
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
      return reinterpret_cast<LRESULT>(bar->popups[size_t(b->popup)].get());
    }
    case WM_DESTROY:
      if (openPopup().bar == hwnd) closePopup();
      if (bar) {
        hideTip(*bar);
        for (auto& p : bar->popups) liveMenus().erase(p.get());
        bars().erase(hwnd);
      }
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

uint16_t wordAt(const ResourceData& r, size_t index) {
  return uint16_t(r.data[index * 2] | (r.data[index * 2 + 1] << 8));
}

std::unique_ptr<PopupMenu> popupFrom(const MenuItem& item) {
  auto menu = std::make_unique<PopupMenu>();
  for (const MenuItem& m : item.popup) {
    PopupMenu::Entry e;
    e.text = m.text;
    e.id = m.isPopup ? 0 : m.id;
    e.separator = m.separator;
    e.grayed = m.grayed;
    e.submenu = m.isPopup;
    menu->entries.push_back(std::move(e));
  }
  return menu;
}

// Reads the tool-bar template and its menu; nothing when either is missing or malformed.
std::unique_ptr<MenuBar> barFromResources(HINSTANCE inst, UINT toolBarId) {
  auto data = findResourceData(inst, MAKEINTRESOURCEW(toolBarId), RT_RCDATA);
  if (!data || data->size < 4) return nullptr;
  size_t words = data->size / 2;
  int menuId = wordAt(*data, 0);
  int count = wordAt(*data, 1);
  if (words < size_t(2 + count * 7)) return nullptr;
  auto bar = std::make_unique<MenuBar>();
  if (menuId != 0) {
    auto menu = loadMenu(inst, UINT(menuId));
    if (!menu) return nullptr;
    for (const MenuItem& top : *menu) bar->popups.push_back(popupFrom(top));
  }
  for (int i = 0; i < count; ++i) {
    size_t w = size_t(2 + i * 7);
    Button b;
    b.image = int16_t(wordAt(*data, w));
    b.command = wordAt(*data, w + 1);
    b.state = BYTE(wordAt(*data, w + 2));
    b.style = BYTE(wordAt(*data, w + 3));
    int stringId = wordAt(*data, w + 4);
    int popup = wordAt(*data, w + 6);
    if (stringId != 0) {
      auto label = loadString(inst, UINT(stringId));
      if (!label) return nullptr;
      b.label = *label;
    }
    if (b.style & TBSTYLE_DROPDOWN) {
      if (size_t(popup) >= bar->popups.size()) return nullptr;
      b.popup = popup;
    }
    bar->buttons.push_back(std::move(b));
  }
  return bar;
}

// ---- Keys ----

// A menu bar whose program is free to take a command (no modal dialog holds it).
MenuBar* barTakingKeys() {
  forgetStaleBars();
  MenuBar* bar = barOf(currentMenuBar());
  if (!bar || !bar->owner || !IsWindow(bar->owner) || !wm::isEnabled(bar->owner)) return nullptr;
  return bar;
}

// The next choosable entry from `from` in direction `step` (wrapping), or -1.
int nextChoosable(int from, int step) {
  const OpenPopup& o = openPopup();
  int n = o.menu ? int(o.menu->entries.size()) : 0;
  for (int k = 1; k <= n; ++k) {
    int i = ((from + step * k) % n + n) % n;
    if (choosable(i)) return i;
  }
  return -1;
}

// Opens the pop-up of a drop-down button with its first choosable entry marked.
void openByKey(MenuBar& bar, int buttonIndex) {
  openPopupFor(bar, buttonIndex);
  OpenPopup& o = openPopup();
  if (!o.hwnd) return;
  o.hot = nextChoosable(-1, 1);
  InvalidateRect(o.hwnd, nullptr, FALSE);
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

}  // namespace

bool menuKey(InputEvent::Kind key) {
  using K = InputEvent::Kind;
  forgetStaleBars();
  OpenPopup& o = openPopup();
  if (!o.hwnd) {
    if (key != K::KeyMenu) return false;
    MenuBar* bar = barTakingKeys();
    int first = bar ? nextDropDown(*bar, -1, 1) : -1;
    if (first >= 0) openByKey(*bar, first);
    return true;
  }
  MenuBar* bar = barOf(o.bar);
  switch (key) {
    case K::KeyMenu:
    case K::KeyEscape:
      closePopup();
      return true;
    case K::KeyUp:
    case K::KeyDown: {
      int hot = nextChoosable(o.hot < 0 && key == K::KeyUp ? 0 : o.hot, key == K::KeyUp ? -1 : 1);
      if (hot >= 0 && hot != o.hot) {
        o.hot = hot;
        InvalidateRect(o.hwnd, nullptr, FALSE);
      }
      return true;
    }
    case K::KeyLeft:
    case K::KeyRight: {
      int next = bar ? nextDropDown(*bar, bar->openButton, key == K::KeyLeft ? -1 : 1) : -1;
      if (next >= 0 && next != bar->openButton) openByKey(*bar, next);
      return true;
    }
    case K::KeyEnter:
      if (choosable(o.hot)) choose(o.hot);
      return true;
    default:
      return false;
  }
}

void shortcut(InputEvent::Kind key) {
  MenuBar* bar = barTakingKeys();
  if (!bar) return;
  int command = -1;
  if (key == InputEvent::Kind::ShortcutNew) {
    // The first menu item that starts something new.
    for (const auto& p : bar->popups)
      for (const auto& e : p->entries)
        if (command < 0 && !e.separator && !e.submenu && !e.grayed && displayText(e.text).rfind(u"New", 0) == 0)
          command = e.id;
  } else if (key == InputEvent::Kind::ShortcutUndo) {
    // The button showing the standard Undo picture.
    for (const ImageStrip& s : bar->strips)
      for (const Button& b : bar->buttons)
        if (command < 0 && s.name == u"TOOLBAR_STD" && !b.separator() && b.enabled() && b.image == s.first + STD_UNDO)
          command = b.command;
  }
  if (command < 0) return;
  closePopup();
  PostMessageW(bar->owner, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

HWND currentMenuBar() {
  forgetStaleBars();
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

std::vector<std::pair<std::u16string, RECT>> openPopupItems() {
  std::vector<std::pair<std::u16string, RECT>> out;
  const OpenPopup& o = openPopup();
  if (!o.hwnd || !IsWindow(o.hwnd) || !o.menu) return out;
  RECT s = wm::screenRect(o.hwnd);
  for (size_t i = 0; i < o.menu->entries.size(); ++i) {
    const auto& e = o.menu->entries[i];
    if (e.separator) continue;
    RECT r = o.rects[i];
    out.emplace_back(displayText(e.text), RECT{s.left + r.left, s.top + r.top, s.left + r.right, s.top + r.bottom});
  }
  return out;
}

}  // namespace pk::chrome

namespace pk::painted {
bool menuOpen() {
  const auto& o = pk::chrome::openPopup();
  return o.hwnd && IsWindow(o.hwnd);
}
}  // namespace pk::painted

using namespace pk::chrome;

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
  if (!info) return FALSE;
  info->hwndMB = nullptr;
  forgetStaleBars();
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
  for (auto& p : bar->popups) liveMenus().insert(p.get());
  layoutButtons(*bar);
  bars()[hwnd] = std::move(bar);
  ShowWindow(hwnd, SW_SHOW);
  info->hwndMB = hwnd;
  return TRUE;
}

int CommandBar_AddBitmap(HWND hwnd, HINSTANCE instance, int bitmapId, int imageCount, int imageWidth, int) {
  MenuBar* bar = barOf(hwnd);
  if (!bar || imageCount <= 0) return -1;
  ImageStrip strip{instance, {}, bitmapId, bar->imageCount, imageCount, imageWidth > 0 ? imageWidth : 16};
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

BOOL EnableMenuItem(HMENU handle, UINT idItem, UINT enable) {
  auto* menu = reinterpret_cast<const PopupMenu*>(handle);
  if (!menu || !liveMenus().count(menu)) return -1;
  auto* m = const_cast<PopupMenu*>(menu);
  for (auto& e : m->entries) {
    if (e.separator || e.submenu || e.id != int(LOWORD(idItem))) continue;
    BOOL before = e.grayed ? MF_GRAYED : MF_ENABLED;
    e.grayed = (enable & (MF_GRAYED | MF_DISABLED)) != 0;
    if (openPopup().menu == m && openPopup().hwnd) InvalidateRect(openPopup().hwnd, nullptr, FALSE);
    return before;
  }
  return -1;
}
