// Windows: the registry of classes and windows, creation and destruction, and
// what a window is (its text, styles, parent, owner). Where windows show, their
// order and painting live beside this file.
#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include <pocket/automation.h>
#include <pocket/basics.h>

#include "system/device.h"
#include "system/resource.h"
#include "wm/window_internal.h"
#include "wm/wm.h"

namespace pk::wm {

Registry& registry() {
  static Registry r;
  return r;
}

std::u16string_view textOf(LPCWSTR s) {
  if (!s) return {};
  size_t n = 0;
  while (s[n]) ++n;
  return {s, n};
}

Window* find(HWND hwnd) {
  auto& r = registry();
  auto it = r.windows.find(reinterpret_cast<uintptr_t>(hwnd));
  return it == r.windows.end() ? nullptr : it->second.get();
}

bool isChild(const Window& w) { return (w.style & WS_CHILD) && w.parent; }

HWND topLevelOf(HWND hwnd) {
  Window* w = find(hwnd);
  while (w && isChild(*w)) w = find(w->parent);
  return w ? w->handle : nullptr;
}

void enableWindow(HWND hwnd, bool enable) {
  Window* w = find(hwnd);
  if (w && w->enabled != enable) {
    w->enabled = enable;
    SendMessageW(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
  }
}

bool isEnabled(HWND hwnd) {
  Window* w = find(hwnd);
  return w && w->enabled;
}

bool isVisible(HWND hwnd) {
  Window* w = find(hwnd);
  return w && shownOnScreen(*w);
}

HWND parentOf(HWND hwnd) {
  Window* w = find(hwnd);
  return w && isChild(*w) ? w->parent : nullptr;
}

HWND ownerOf(HWND hwnd) {
  Window* w = find(hwnd);
  return w && !isChild(*w) ? w->owner : nullptr;
}

std::vector<HWND> children(HWND hwnd) {
  Window* w = find(hwnd);
  return w ? w->children : std::vector<HWND>{};
}

std::vector<HWND> topLevels() { return registry().zorder; }

std::u16string text(HWND hwnd) {
  Window* w = find(hwnd);
  return w ? w->text : std::u16string{};
}

int controlId(HWND hwnd) {
  Window* w = find(hwnd);
  return w ? w->controlId : 0;
}

uint32_t style(HWND hwnd) {
  Window* w = find(hwnd);
  return w ? w->style : 0;
}

HINSTANCE instanceOf(HWND hwnd) {
  Window* w = find(hwnd);
  return w ? w->instance : nullptr;
}

void moveWindow(HWND hwnd, int x, int y, int width, int height) {
  Window* w = find(hwnd);
  if (!w) return;
  RECT before = screenRectOf(*w);
  int oldW = w->rect.right - w->rect.left, oldH = w->rect.bottom - w->rect.top;
  w->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
  if (w->visible) {
    invalidateScreenArea(before);
    invalidateTree(*w, RECT{0, 0, width, height}, true);
  }
  if (oldW != width || oldH != height)
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(std::max(0, width), std::max(0, height)));
}

// Windows and menus draw from one series of handles.
uintptr_t newUserHandle() {
  uintptr_t h = registry().nextHandle;
  registry().nextHandle += 4;
  return h;
}

}  // namespace pk::wm

using namespace pk::wm;

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
  auto& r = registry();
  std::u16string key = pk::upperAscii(std::u16string(textOf(wc->lpszClassName)));
  if (key.empty() || r.classes.count(key)) return 0;
  auto cls = std::make_unique<WindowClass>();
  cls->name = std::u16string(textOf(wc->lpszClassName));
  cls->proc = wc->lpfnWndProc;
  cls->background = wc->hbrBackground;
  cls->instance = wc->hInstance;
  r.classes[key] = std::move(cls);
  return ATOM(r.classes.size());
}

// No extended style changes what a window does on this device.
HWND CreateWindowExW(DWORD, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  auto& r = registry();
  if (!className || IS_INTRESOURCE(className)) return nullptr;
  auto it = r.classes.find(pk::upperAscii(std::u16string(textOf(className))));
  if (it == r.classes.end()) return nullptr;
  bool child = (style & WS_CHILD) != 0;
  if (child && !find(parent)) return nullptr;

  auto w = std::make_unique<Window>();
  HWND handle = reinterpret_cast<HWND>(newUserHandle());
  w->handle = handle;
  w->cls = it->second.get();
  w->proc = w->cls->proc;
  w->text = std::u16string(textOf(windowName));
  w->style = style;
  w->instance = instance;
  const int screenW = pk::device().screen.width, screenH = pk::device().screen.height;
  if (x == CW_USEDEFAULT) x = child ? 0 : 0;
  if (y == CW_USEDEFAULT) y = child ? 0 : kNavBarHeight;
  if (width == CW_USEDEFAULT) width = child ? 0 : screenW - x;
  if (height == CW_USEDEFAULT) height = child ? 0 : screenH - kMenuBarHeight - y;
  w->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
  if (child) {
    w->parent = parent;
    w->controlId = int(reinterpret_cast<intptr_t>(menu));
    find(parent)->children.push_back(handle);
  } else {
    w->owner = topLevelOf(parent);
  }
  w->visible = false;
  w->enabled = (style & WS_DISABLED) == 0;
  Window* raw = w.get();
  r.windows[reinterpret_cast<uintptr_t>(handle)] = std::move(w);
  if (!child) r.zorder.insert(r.zorder.begin(), handle);

  if (SendMessageW(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(param)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  if (!find(handle)) return nullptr;
  SendMessageW(handle, WM_SIZE, SIZE_RESTORED,
               MAKELPARAM(raw->rect.right - raw->rect.left, raw->rect.bottom - raw->rect.top));
  if (!find(handle)) return nullptr;
  // The program's main window: its first top-level window of a class of its own module.
  if (!child && !r.mainWindow && pk::device().module && raw->cls->instance &&
      raw->cls->instance == pk::instanceOf(*pk::device().module))
  {
    r.mainWindow = handle;
    announceInstance(handle);
  }
  if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  return handle;
}

BOOL ShowWindow(HWND hwnd, int cmdShow) {
  Window* w = find(hwnd);
  if (!w) return FALSE;
  bool was = w->visible;
  if (cmdShow == SW_HIDE) {
    if (!was) return FALSE;
    RECT area = pk::wm::screenRect(hwnd);
    w->visible = false;
    invalidateScreenArea(area);
    if (!isChild(*w)) activateSuccessor(hwnd, w->owner);
    return TRUE;
  }
  w->visible = true;
  if (!was) invalidateTree(*w, RECT{0, 0, 1 << 16, 1 << 16}, true);
  if (!isChild(*w) && !w->noActivate) activate(hwnd);
  return was ? TRUE : FALSE;
}

BOOL DestroyWindow(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w || w->destroying) return FALSE;
  auto& r = registry();
  RECT area = pk::wm::screenRect(hwnd);
  bool wasVisible = isVisible(hwnd);
  HWND owner = w->owner;
  w->destroying = true;
  if (r.capture == hwnd) r.capture = nullptr;
  // Owned windows go with their owner.
  std::vector<HWND> owned;
  for (HWND h : r.zorder) {
    Window* o = find(h);
    if (o && o->owner == hwnd) owned.push_back(h);
  }
  for (HWND h : owned) DestroyWindow(h);
  SendMessageW(hwnd, WM_DESTROY, 0, 0);
  w = find(hwnd);
  if (!w) return TRUE;
  for (HWND c : std::vector<HWND>(w->children)) DestroyWindow(c);
  if (Window* p = find(w->parent)) {
    auto& sib = p->children;
    sib.erase(std::remove(sib.begin(), sib.end(), hwnd), sib.end());
  }
  r.zorder.erase(std::remove(r.zorder.begin(), r.zorder.end(), hwnd), r.zorder.end());
  bool topLevel = !isChild(*w);
  forgetWindow(hwnd);
  if (r.mainWindow == hwnd) {
    r.mainWindow = nullptr;
    withdrawInstance();
  }
  r.windows.erase(reinterpret_cast<uintptr_t>(hwnd));
  if (wasVisible) invalidateScreenArea(area);
  if (topLevel) activateSuccessor(hwnd, owner);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) {
  Window* w = find(hwnd);
  return w && !w->destroying ? TRUE : FALSE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  Window* w = find(hwnd);
  if (!w || !rect) return FALSE;
  *rect = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  Window* w = find(dialog);
  if (!w) return nullptr;
  for (HWND c : w->children) {
    Window* cw = find(c);
    if (cw && cw->controlId == id) return c;
  }
  return nullptr;
}

namespace pk::automation {

HWND mainWindow() { return registry().mainWindow; }
HWND activeWindow() { return registry().active; }

}  // namespace pk::automation

namespace pk::wm {

void resetWindowSystem() {
  auto& r = registry();
  withdrawInstance();
  r.windows.clear();
  r.zorder.clear();
  r.classes.clear();
  r.active = r.capture = r.mainWindow = nullptr;
  clearQueue();
  setShellHooks({});  // the next program's shell registers its own
}

}  // namespace pk::wm
