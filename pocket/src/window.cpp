// Windows: classes, creation and destruction, z-order, activation, visible
// regions, device contexts and painting.
#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include <pocket/automation.h>
#include <pocket/basics.h>

#include "device.h"
#include "gdi.h"
#include "painted.h"
#include "resource.h"
#include "window_internal.h"
#include "wm.h"

namespace pk::wm {
namespace {

struct Registry {
  std::map<std::u16string, std::unique_ptr<WindowClass>> classes;  // by upper-case name
  std::map<uintptr_t, std::unique_ptr<Window>> windows;
  std::vector<HWND> zorder;  // top-levels, top first
  uintptr_t nextHandle = 0x1000;
  HWND active = nullptr;
  HWND capture = nullptr;
  HWND mainWindow = nullptr;
};

Registry& registry() {
  static Registry r;
  return r;
}

std::u16string_view view(LPCWSTR s) {
  if (!s) return {};
  size_t n = 0;
  while (s[n]) ++n;
  return {s, n};
}

}  // namespace

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

POINT screenOrigin(const Window& w) {
  POINT p{w.rect.left, w.rect.top};
  const Window* cur = &w;
  while (isChild(*cur)) {
    cur = find(cur->parent);
    if (!cur) break;
    p.x += cur->rect.left;
    p.y += cur->rect.top;
  }
  return p;
}

RECT clientToScreen(const Window& w, RECT r) {
  POINT o = screenOrigin(w);
  return RECT{r.left + o.x, r.top + o.y, r.right + o.x, r.bottom + o.y};
}

bool isEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool intersect(RECT& out, const RECT& a, const RECT& b) {
  out = RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
             std::min(a.bottom, b.bottom)};
  if (isEmpty(out)) {
    out = RECT{};
    return false;
  }
  return true;
}

RECT unite(const RECT& a, const RECT& b) {
  if (isEmpty(a)) return b;
  if (isEmpty(b)) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

void subtract(std::vector<RECT>& region, const RECT& hole) {
  if (isEmpty(hole)) return;
  std::vector<RECT> out;
  for (const RECT& r : region) {
    RECT i;
    if (!intersect(i, r, hole)) {
      out.push_back(r);
      continue;
    }
    if (r.top < i.top) out.push_back(RECT{r.left, r.top, r.right, i.top});
    if (i.bottom < r.bottom) out.push_back(RECT{r.left, i.bottom, r.right, r.bottom});
    if (r.left < i.left) out.push_back(RECT{r.left, i.top, i.left, i.bottom});
    if (i.right < r.right) out.push_back(RECT{i.right, i.top, r.right, i.bottom});
  }
  region = std::move(out);
}

namespace {

RECT screenRectOf(const Window& w) {
  RECT local{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top};
  return clientToScreen(w, local);
}

bool shownOnScreen(const Window& w) {
  const Window* cur = &w;
  while (cur) {
    if (!cur->visible || cur->destroying) return false;
    if (!isChild(*cur)) return true;
    cur = find(cur->parent);
  }
  return false;
}

}  // namespace

std::vector<RECT> visibleRegion(const Window& w) {
  if (!shownOnScreen(w)) return {};
  RECT area = screenRectOf(w);
  // Children are clipped to each parent in turn.
  for (const Window* p = &w; isChild(*p);) {
    p = find(p->parent);
    if (!p) return {};
    RECT clipped;
    if (!intersect(clipped, area, screenRectOf(*p))) return {};
    area = clipped;
  }
  RECT screenBox{0, 0, device().screen.width, device().screen.height};
  if (!intersect(area, area, screenBox)) return {};
  std::vector<RECT> region{area};

  // Siblings above, at every level up to the top-level window.
  for (const Window* cur = &w; isChild(*cur);) {
    const Window* parent = find(cur->parent);
    if (!parent) break;
    auto& sib = parent->children;
    auto it = std::find(sib.begin(), sib.end(), cur->handle);
    for (++it; it != sib.end(); ++it) {
      Window* s = find(*it);
      if (s && s->visible && !s->destroying) subtract(region, screenRectOf(*s));
    }
    cur = parent;
  }
  // Top-level windows above ours.
  HWND top = topLevelOf(w.handle);
  for (HWND h : registry().zorder) {
    if (h == top) break;
    Window* o = find(h);
    if (o && o->visible && !o->destroying) subtract(region, o->rect);
  }
  // Own children draw themselves.
  for (HWND c : w.children) {
    Window* cw = find(c);
    if (cw && cw->visible && !cw->destroying) subtract(region, screenRectOf(*cw));
  }
  return region;
}

namespace {

void markForPaint(Window& w, const RECT& client, bool erase) {
  RECT full{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top};
  RECT r;
  if (!intersect(r, client, full)) return;
  w.update = w.needsPaint ? unite(w.update, r) : r;
  w.needsPaint = true;
  if (erase) w.needsErase = true;
}

// Invalidates a window and, for the part given, the children under it.
void invalidateTree(Window& w, const RECT& client, bool erase) {
  markForPaint(w, client, erase);
  for (HWND c : w.children) {
    Window* cw = find(c);
    if (!cw || !cw->visible) continue;
    RECT local{client.left - cw->rect.left, client.top - cw->rect.top, client.right - cw->rect.left,
               client.bottom - cw->rect.top};
    invalidateTree(*cw, local, erase);
  }
}

}  // namespace

void invalidateScreenArea(const RECT& screen) {
  for (HWND h : registry().zorder) {
    Window* w = find(h);
    if (!w || !w->visible) continue;
    RECT hit;
    if (!intersect(hit, screen, w->rect)) continue;
    RECT local{hit.left - w->rect.left, hit.top - w->rect.top, hit.right - w->rect.left,
               hit.bottom - w->rect.top};
    invalidateTree(*w, local, true);
  }
}

HWND nextWindowToPaint() {
  // Lower windows first, parents before children, so what lies above is drawn last.
  auto& z = registry().zorder;
  std::vector<HWND> order;
  for (auto it = z.rbegin(); it != z.rend(); ++it) {
    std::vector<HWND> stack{*it};
    while (!stack.empty()) {
      HWND h = stack.back();
      stack.pop_back();
      order.push_back(h);
      Window* w = find(h);
      if (!w) continue;
      for (auto c = w->children.rbegin(); c != w->children.rend(); ++c) stack.push_back(*c);
    }
  }
  for (HWND h : order) {
    Window* w = find(h);
    if (w && w->needsPaint && shownOnScreen(*w)) return h;
    if (w && w->needsPaint && !shownOnScreen(*w)) w->needsPaint = false;
  }
  return nullptr;
}

HWND activeHandle() { return registry().active; }

bool enableWindow(HWND hwnd, bool enable) {
  Window* w = find(hwnd);
  if (!w) return false;
  bool wasDisabled = !w->enabled;
  if (w->enabled != enable) {
    w->enabled = enable;
    SendMessageW(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
  }
  return wasDisabled;
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

HWND windowAt(POINT p) {
  for (HWND h : registry().zorder) {
    Window* w = find(h);
    if (!w || !w->visible || w->destroying) continue;
    RECT r = w->rect;
    if (p.x < r.left || p.x >= r.right || p.y < r.top || p.y >= r.bottom) continue;
    // Descend to the topmost child under the point.
    Window* cur = w;
    for (;;) {
      Window* hit = nullptr;
      for (auto it = cur->children.rbegin(); it != cur->children.rend(); ++it) {
        Window* c = find(*it);
        if (!c || !c->visible) continue;
        RECT cr = screenRectOf(*c);
        if (p.x >= cr.left && p.x < cr.right && p.y >= cr.top && p.y < cr.bottom) {
          hit = c;
          break;
        }
      }
      if (!hit) return cur->handle;
      cur = hit;
    }
  }
  return nullptr;
}

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

uint32_t exStyle(HWND hwnd) {
  Window* w = find(hwnd);
  return w ? w->exStyle : 0;
}

LONG_PTR userData(HWND hwnd) {
  Window* w = find(hwnd);
  return w ? w->userData : 0;
}

void setUserData(HWND hwnd, LONG_PTR data) {
  if (Window* w = find(hwnd)) w->userData = data;
}

HINSTANCE instanceOf(HWND hwnd) {
  Window* w = find(hwnd);
  return w ? w->instance : nullptr;
}

RECT screenRect(HWND hwnd) {
  Window* w = find(hwnd);
  return w ? screenRectOf(*w) : RECT{};
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

namespace {

// Owned windows always stay above their owner.
void raiseWithOwned(HWND hwnd) {
  auto& z = registry().zorder;
  std::vector<HWND> group{hwnd};
  for (size_t i = 0; i < group.size(); ++i)
    for (HWND h : z) {
      Window* o = find(h);
      if (o && o->owner == group[i] && std::find(group.begin(), group.end(), h) == group.end())
        group.push_back(h);
    }
  // Keep the group's own relative order, owner at the bottom.
  std::vector<HWND> ordered;
  for (HWND h : z)
    if (std::find(group.begin(), group.end(), h) != group.end()) ordered.push_back(h);
  std::stable_partition(ordered.begin(), ordered.end(), [&](HWND h) { return h != hwnd; });
  z.erase(std::remove_if(z.begin(), z.end(),
                         [&](HWND h) { return std::find(group.begin(), group.end(), h) != group.end(); }),
          z.end());
  z.insert(z.begin(), ordered.begin(), ordered.end());
}

}  // namespace

void bringToTop(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w || isChild(*w)) return;
  auto before = registry().zorder;
  raiseWithOwned(hwnd);
  if (before != registry().zorder && w->visible) invalidateTree(*w, RECT{0, 0, 1 << 16, 1 << 16}, true);
}

void setNoActivate(HWND hwnd) {
  if (Window* w = find(hwnd)) w->noActivate = true;
}

void activate(HWND hwnd, bool byClick) {
  auto& r = registry();
  HWND top = topLevelOf(hwnd);
  Window* w = find(top);
  if (w && (w->noActivate || !w->enabled)) return;
  if (top == r.active) {
    if (w) bringToTop(top);
    return;
  }
  HWND old = r.active;
  r.active = top;
  if (old && find(old)) SendMessageW(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(top));
  if (top) {
    bringToTop(top);
    SendMessageW(top, WM_ACTIVATE, byClick ? WA_CLICKACTIVE : WA_ACTIVE, reinterpret_cast<LPARAM>(old));
  }
  shellActiveChanged();
}

void setCapture(HWND hwnd) { registry().capture = hwnd; }
void releaseCapture() { registry().capture = nullptr; }
HWND capture() { return registry().capture; }

namespace {

// After the active window goes away: the owner if it can take it, else the topmost that can.
void activateSuccessor(HWND gone, HWND owner) {
  auto& r = registry();
  if (r.active != gone) return;
  r.active = nullptr;
  Window* o = find(owner);
  if (o && o->visible && o->enabled && !o->noActivate) {
    activate(owner);
    return;
  }
  for (HWND h : r.zorder) {
    Window* c = find(h);
    if (c && c->visible && c->enabled && !c->noActivate) {
      activate(h);
      return;
    }
  }
  shellActiveChanged();
}

}  // namespace

}  // namespace pk::wm

using namespace pk::wm;

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
  auto& r = registry();
  std::u16string key = pk::upperAscii(std::u16string(view(wc->lpszClassName)));
  if (key.empty() || r.classes.count(key)) return 0;
  auto cls = std::make_unique<WindowClass>();
  cls->name = std::u16string(view(wc->lpszClassName));
  cls->proc = wc->lpfnWndProc;
  cls->background = wc->hbrBackground;
  cls->instance = wc->hInstance;
  r.classes[key] = std::move(cls);
  return ATOM(r.classes.size());
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  auto& r = registry();
  if (!className || IS_INTRESOURCE(className)) return nullptr;
  auto it = r.classes.find(pk::upperAscii(std::u16string(view(className))));
  if (it == r.classes.end()) return nullptr;
  bool child = (style & WS_CHILD) != 0;
  if (child && !find(parent)) return nullptr;

  auto w = std::make_unique<Window>();
  HWND handle = reinterpret_cast<HWND>(r.nextHandle);
  r.nextHandle += 4;
  w->handle = handle;
  w->cls = it->second.get();
  w->proc = w->cls->proc;
  w->text = std::u16string(view(windowName));
  w->style = style;
  w->exStyle = exStyle;
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
  if (!child) {
    r.zorder.insert(r.zorder.begin(), handle);
    raiseWithOwned(handle);
  }

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

BOOL UpdateWindow(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w) return FALSE;
  if (w->needsPaint && isVisible(hwnd)) SendMessageW(hwnd, WM_PAINT, 0, 0);
  return TRUE;
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

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!hwnd) {
    for (HWND h : registry().zorder)
      if (Window* w = find(h)) invalidateTree(*w, RECT{0, 0, 1 << 16, 1 << 16}, erase);
    return TRUE;
  }
  Window* w = find(hwnd);
  if (!w) return FALSE;
  RECT r = rect ? *rect : RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
  invalidateTree(*w, r, erase != FALSE);
  return TRUE;
}

HWND GetActiveWindow(void) { return registry().active; }

HDC GetDC(HWND hwnd) {
  if (!hwnd) {
    RECT all{0, 0, pk::device().screen.width, pk::device().screen.height};
    return pk::gdi::createScreenDC(POINT{0, 0}, {all});
  }
  Window* w = find(hwnd);
  if (!w) return nullptr;
  return pk::gdi::createScreenDC(screenOrigin(*w), visibleRegion(*w));
}

int ReleaseDC(HWND, HDC dc) {
  if (!dc) return 0;
  pk::gdi::destroyScreenDC(dc);
  return 1;
}

HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
  Window* w = find(hwnd);
  if (!w || !ps) return nullptr;
  *ps = PAINTSTRUCT{};
  ++w->paintCount;
  RECT update = w->needsPaint ? w->update : RECT{};
  bool erase = w->needsErase;
  w->needsPaint = false;
  w->needsErase = false;
  w->update = RECT{};
  RECT screenUpdate = clientToScreen(*w, update);
  std::vector<RECT> clip;
  for (const RECT& v : visibleRegion(*w)) {
    RECT i;
    if (intersect(i, v, screenUpdate)) clip.push_back(i);
  }
  HDC dc = pk::gdi::createScreenDC(screenOrigin(*w), clip);
  ps->hdc = dc;
  ps->rcPaint = update;
  ps->fErase = TRUE;
  if (erase && SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0)) ps->fErase = FALSE;
  pk::painted::paintBegins(hwnd, dc);
  return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
  if (!ps || !ps->hdc) return TRUE;
  pk::painted::paintEnds(ps->hdc);
  pk::gdi::destroyScreenDC(ps->hdc);
  return TRUE;
}

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = find(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_ERASEBKGND: {
      if (!w->cls || !w->cls->background) return 0;
      RECT rc;
      GetClientRect(hwnd, &rc);
      FillRect(reinterpret_cast<HDC>(wParam), &rc, w->cls->background);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETTEXT: {
      w->text = std::u16string(view(reinterpret_cast<LPCWSTR>(lParam)));
      if (!isChild(*w)) shellActiveChanged();
      return TRUE;
    }
    case WM_GETTEXTLENGTH:
      return LRESULT(w->text.size());
    case WM_GETTEXT: {
      auto* out = reinterpret_cast<WCHAR*>(lParam);
      if (!out || wParam == 0) return 0;
      size_t n = std::min<size_t>(w->text.size(), wParam - 1);
      std::copy_n(w->text.data(), n, out);
      out[n] = 0;
      return LRESULT(n);
    }
    default:
      return 0;
  }
}

namespace pk::automation {

HWND mainWindow() { return registry().mainWindow; }
HWND activeWindow() { return registry().active; }

}  // namespace pk::automation


namespace pk::wm {

void clearQueue();

void resetWindowSystem() {
  auto& r = registry();
  withdrawInstance();
  r.windows.clear();
  r.zorder.clear();
  r.classes.clear();
  r.active = r.capture = r.mainWindow = nullptr;
  clearQueue();
}

}  // namespace pk::wm
