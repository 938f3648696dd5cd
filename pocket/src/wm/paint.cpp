// Painting: update regions kept per window, the order windows are painted in,
// and the device contexts GetDC and BeginPaint hand out.
#include <vector>

#include "gdi/gdi.h"
#include "gdi/painted.h"
#include "system/device.h"
#include "wm/window_internal.h"
#include "wm/wm.h"

namespace pk::wm {

namespace {

void markForPaint(Window& w, const RECT& client, bool erase) {
  RECT full{0, 0, w.rect.right - w.rect.left, w.rect.bottom - w.rect.top};
  RECT r;
  if (!intersect(r, client, full)) return;
  w.update = w.needsPaint ? unite(w.update, r) : r;
  w.needsPaint = true;
  if (erase) w.needsErase = true;
}

}  // namespace

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
  }
  return nullptr;
}

}  // namespace pk::wm

using namespace pk::wm;

BOOL UpdateWindow(HWND hwnd) {
  Window* w = find(hwnd);
  if (!w) return FALSE;
  if (w->needsPaint && isVisible(hwnd)) SendMessageW(hwnd, WM_PAINT, 0, 0);
  return TRUE;
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
  // Left to the program only when an erase was asked for and WM_ERASEBKGND did not do it.
  ps->fErase = erase && !SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  pk::painted::paintBegins(hwnd, dc);
  return dc;
}

BOOL EndPaint(HWND, const PAINTSTRUCT* ps) {
  if (!ps || !ps->hdc) return TRUE;
  pk::painted::paintEnds(ps->hdc);
  pk::gdi::destroyScreenDC(ps->hdc);
  return TRUE;
}
