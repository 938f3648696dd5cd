// The grid of cells a program painted, read from its square pictures: a host that
// moves a cursor over the board learns the board's layout from what was drawn, not
// from a second copy of the program's arithmetic.
#include "gdi/painted.h"

#include <algorithm>
#include <array>
#include <map>
#include <utility>
#include <vector>

#include <pocket/automation.h>
#include <pocket/host.h>

#include "system/device.h"
#include "wm/wm.h"

namespace pk::painted {
namespace {

struct Tracker {
  HWND window = nullptr;  // the main window whose paint is under way
  HDC dc = nullptr;
  std::vector<std::array<int, 3>> pictures;  // size, x, y: cheap to note while painting
  HWND gridWindow = nullptr;
  std::optional<CellGrid> grid;
};

Tracker& tracker() {
  static Tracker t;
  return t;
}

// The most common size wins (a board outnumbers other square pictures); its corners
// must fill a whole lattice, or there is no board.
std::optional<CellGrid> latticeOf(std::vector<std::array<int, 3>>& pictures) {
  std::sort(pictures.begin(), pictures.end());
  pictures.erase(std::unique(pictures.begin(), pictures.end()), pictures.end());
  std::map<int, std::vector<std::pair<int, int>>> bySize;  // cell size -> top-left corners
  for (const auto& [s, x, y] : pictures) bySize[s].push_back({x, y});
  int size = 0;
  size_t most = 0;
  for (const auto& [s, corners] : bySize)
    if (corners.size() > most) {
      most = corners.size();
      size = s;
    }
  if (most < 2) return std::nullopt;
  const auto& corners = bySize.at(size);
  int left = INT32_MAX, top = INT32_MAX, right = INT32_MIN, bottom = INT32_MIN;
  for (auto [x, y] : corners) {
    left = std::min(left, x);
    top = std::min(top, y);
    right = std::max(right, x);
    bottom = std::max(bottom, y);
  }
  for (auto [x, y] : corners)
    if ((x - left) % size || (y - top) % size) return std::nullopt;
  int cols = (right - left) / size + 1, rows = (bottom - top) / size + 1;
  if (size_t(cols) * size_t(rows) != corners.size()) return std::nullopt;
  return CellGrid{left, top, size, cols, rows};
}

}  // namespace

void paintBegins(HWND window, HDC dc) {
  Tracker& t = tracker();
  if (!window || window != automation::mainWindow()) return;
  t.window = window;
  t.dc = dc;
  t.pictures.clear();
}

void paintEnds(HDC dc) {
  Tracker& t = tracker();
  if (!dc || dc != t.dc) return;
  t.gridWindow = t.window;
  t.grid = latticeOf(t.pictures);
  t.window = nullptr;
  t.dc = nullptr;
  t.pictures.clear();
}

void squarePicture(HDC dc, int x, int y, int size) {
  Tracker& t = tracker();
  if (dc && dc == t.dc && size > 1) t.pictures.push_back({size, x, y});
}

}  // namespace pk::painted

namespace pk {

std::optional<CellGrid> paintedCells() {
  const painted::Tracker& t = painted::tracker();
  HWND main = automation::mainWindow();
  if (!t.grid || !main || t.gridWindow != main || automation::activeWindow() != main || wm::shellMenuOpen())
    return std::nullopt;
  // Cells whose centre lies off the window cannot be tapped.
  CellGrid g = *t.grid;
  RECT w = wm::screenRect(main);
  // In the host's pixels, which may show each device pixel as a square of them.
  const int s = std::max(1, device().scale);
  g.left *= s;
  g.top *= s;
  g.size *= s;
  w = RECT{w.left * s, w.top * s, w.right * s, w.bottom * s};
  int half = g.size / 2;
  g.cols = std::min(g.cols, std::max(0, (int(w.right) - g.left - half + g.size - 1) / g.size));
  g.rows = std::min(g.rows, std::max(0, (int(w.bottom) - g.top - half + g.size - 1) / g.size));
  if (g.left + half < w.left || g.top + half < w.top || g.cols <= 0 || g.rows <= 0) return std::nullopt;
  return g;
}

bool KeyboardStylus::arrow(int dx, int dy) {
  std::optional<CellGrid> g = paintedCells();
  if (!g) return false;
  col_ = std::clamp(col_, 0, g->cols - 1);
  row_ = std::clamp(row_, 0, g->rows - 1);
  if (shown_) {
    col_ = std::clamp(col_ + dx, 0, g->cols - 1);
    row_ = std::clamp(row_ + dy, 0, g->rows - 1);
  }
  shown_ = true;
  return true;
}

bool KeyboardStylus::press(Key key, std::deque<InputEvent>& out) {
  using K = InputEvent::Kind;
  auto give = [&](K kind, int x = 0, int y = 0) {
    out.push_back({kind, x, y});
    return false;
  };
  // Off the board (a dialog, a menu, no game drawn) the arrows are the program's.
  auto move = [&](int dx, int dy, K kind) { return arrow(dx, dy) || give(kind); };
  switch (key) {
    case Key::Escape: return give(K::KeyEscape);
    case Key::Enter: return give(K::KeyEnter);
    case Key::F1: return give(K::KeyF1);
    case Key::Up: return move(0, -1, K::KeyUp);
    case Key::Down: return move(0, 1, K::KeyDown);
    case Key::Left: return move(-1, 0, K::KeyLeft);
    case Key::Right: return move(1, 0, K::KeyRight);
    case Key::Space:
      if (std::optional<POINT> p = tapPoint()) {
        out.push_back({K::StylusDown, int(p->x), int(p->y)});
        out.push_back({K::StylusUp, int(p->x), int(p->y)});
        return false;
      }
      return arrow(0, 0);
    case Key::Menu: return give(K::KeyMenu);
    case Key::CtrlN: return give(K::KeyStroke, 'N', InputEvent::kCtrl);
    case Key::CtrlZ: return give(K::KeyStroke, 'Z', InputEvent::kCtrl);
    case Key::CtrlQ: return give(K::CloseWindow);
  }
  return false;
}

std::optional<RECT> KeyboardStylus::outline() const {
  std::optional<CellGrid> g = paintedCells();
  if (!shown_ || !g) return std::nullopt;
  int x = g->left + std::clamp(col_, 0, g->cols - 1) * g->size;
  int y = g->top + std::clamp(row_, 0, g->rows - 1) * g->size;
  return RECT{x, y, x + g->size, y + g->size};
}

std::optional<POINT> KeyboardStylus::tapPoint() const {
  std::optional<RECT> r = outline();
  if (!r) return std::nullopt;
  return POINT{(r->left + r->right) / 2, (r->top + r->bottom) / 2};
}

void drawStylusCursor(uint32_t* pixels, int width, int rows, RECT r, int thickness, int firstRow) {
  // Orange shows on white cells, on every bubble colour and on grey.
  constexpr uint32_t kColour = 0xFF7F00;
  for (int y = std::max<int>(r.top, firstRow); y < std::min<int>(r.bottom, firstRow + rows); ++y) {
    bool edgeRow = y < r.top + thickness || y >= r.bottom - thickness;
    uint32_t* row = pixels + size_t(y - firstRow) * size_t(width);
    for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, width); ++x)
      if (edgeRow || x < r.left + thickness || x >= r.right - thickness) row[x] = kColour;
  }
}

}  // namespace pk
