// The pop-up menus a menu bar's drop-down buttons open: one at a time, above the
// bar, taken by the stylus or the keys; their HMENU handles and EnableMenuItem.
#include <algorithm>
#include <unordered_map>

#include <aygshell.h>

#include "chrome/look.h"
#include "chrome/menubar.h"
#include "chrome/shell.h"
#include "system/device.h"
#include "wm/wm.h"

namespace pk::chrome {
namespace {

struct OpenPopup {
  HWND hwnd = nullptr;
  HWND bar = nullptr;
  PopupMenu* menu = nullptr;
  int hot = -1;
  std::vector<RECT> rects;  // per entry, client coordinates
};

// Never destroyed: menus still alive at exit look here as they go.
OpenPopup& openPopup() {
  static auto& p = *new OpenPopup;
  return p;
}

std::unordered_map<uintptr_t, PopupMenu*>& menuHandles() {
  static auto& m = *new std::unordered_map<uintptr_t, PopupMenu*>;
  return m;
}

constexpr int kItemHeight = 19;
constexpr int kSeparatorHeight = 7;

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

// The bar whose pop-up has gone shows its button unlit again.
void unlightBar(HWND barHwnd) {
  if (MenuBar* bar = barOf(barHwnd)) {
    bar->openButton = -1;
    InvalidateRect(barHwnd, nullptr, FALSE);
  }
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
      if (o.hwnd == hwnd) {  // destroyed by another than closePopup
        HWND barHwnd = o.bar;
        o = OpenPopup{};
        unlightBar(barHwnd);
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

}  // namespace

PopupMenu::PopupMenu() : handle(reinterpret_cast<HMENU>(wm::newUserHandle())) {
  menuHandles()[reinterpret_cast<uintptr_t>(handle)] = this;
}

PopupMenu::~PopupMenu() {
  menuHandles().erase(reinterpret_cast<uintptr_t>(handle));
  if (openPopup().menu == this) openPopup().menu = nullptr;
}

PopupMenu* menuOf(HMENU handle) {
  auto it = menuHandles().find(reinterpret_cast<uintptr_t>(handle));
  return it == menuHandles().end() ? nullptr : it->second;
}

HWND openPopupBar() { return openPopup().bar; }

void forgetStalePopup() {
  if (openPopup().hwnd && !IsWindow(openPopup().hwnd)) openPopup() = OpenPopup{};
}

void closePopup() {
  OpenPopup& p = openPopup();
  if (!p.hwnd) return;
  HWND popup = p.hwnd;
  HWND barHwnd = p.bar;
  p = OpenPopup{};
  if (wm::capture() == popup) wm::releaseCapture();
  DestroyWindow(popup);
  unlightBar(barHwnd);
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

void openByKey(MenuBar& bar, int buttonIndex) {
  openPopupFor(bar, buttonIndex);
  OpenPopup& o = openPopup();
  if (!o.hwnd) return;
  o.hot = nextChoosable(-1, 1);
  InvalidateRect(o.hwnd, nullptr, FALSE);
}

bool menuKey(InputEvent::Kind key) {
  using K = InputEvent::Kind;
  forgetStaleMenus();
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

bool menuOpen() {
  const auto& o = openPopup();
  return o.hwnd && IsWindow(o.hwnd);
}

}  // namespace pk::chrome

BOOL EnableMenuItem(HMENU handle, UINT idItem, UINT enable) {
  pk::chrome::PopupMenu* m = pk::chrome::menuOf(handle);
  if (!m) return -1;
  for (auto& e : m->entries) {
    if (e.separator || e.submenu || e.id != int(LOWORD(idItem))) continue;
    BOOL before = e.grayed ? MF_GRAYED : MF_ENABLED;
    e.grayed = (enable & (MF_GRAYED | MF_DISABLED)) != 0;
    const auto& o = pk::chrome::openPopup();
    if (o.menu == m && o.hwnd) InvalidateRect(o.hwnd, nullptr, FALSE);
    return before;
  }
  return -1;
}
