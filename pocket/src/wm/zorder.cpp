// The order of top-level windows (owned ones always above their owner), the
// active window and the stylus capture.
#include <algorithm>

#include "wm/window_internal.h"
#include "wm/wm.h"

namespace pk::wm {

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

HWND activeHandle() { return registry().active; }

void setCapture(HWND hwnd) { registry().capture = hwnd; }
void releaseCapture() { registry().capture = nullptr; }
HWND capture() { return registry().capture; }

}  // namespace pk::wm

HWND GetActiveWindow(void) { return pk::wm::registry().active; }
