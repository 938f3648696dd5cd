// Where windows lie on the screen: rectangle arithmetic, what of a window shows
// (clipped by its parents, the windows above it and its own children), and which
// window is under a point.
#include <algorithm>

#include "system/device.h"
#include "wm/window_internal.h"

namespace pk::wm {

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

RECT screenRect(HWND hwnd) {
  Window* w = find(hwnd);
  return w ? screenRectOf(*w) : RECT{};
}

}  // namespace pk::wm
