// The part of every interactive host that is not its platform's (pocket/interactive.h).
#include <pocket/interactive.h>

#include <algorithm>
#include <cmath>

namespace pk {

InteractiveHost::InteractiveHost(int screenWidth, int screenHeight, int windowWidth, int windowHeight, Screen keep)
    : width_(screenWidth), height_(screenHeight), windowW_(windowWidth), windowH_(windowHeight), keep_(keep) {}

void InteractiveHost::present(ScreenView s) {
  if (s.width != width_ || s.height != height_) return;
  if (keep_ == Screen::Copied) {
    copy_.assign(s.pixels, s.pixels + size_t(s.width) * size_t(s.height));
    s.pixels = copy_.data();
  }
  shown_ = s;
  redraw();
}

bool InteractiveHost::nextEvent(InputEvent& out, int timeoutMs) {
  const uint64_t deadline = timeoutMs < 0 ? 0 : milliseconds() + uint64_t(timeoutMs);
  if (!shownMinutes_) shownMinutes_ = clockMinutes();
  for (;;) {
    if (!queue_.empty()) {
      out = queue_.front();
      queue_.pop_front();
      return true;
    }
    // The navigation bar's clock: awake once a minute at most.
    if (int minutes = clockMinutes(); minutes != *shownMinutes_) {
      shownMinutes_ = minutes;
      out = InputEvent{InputEvent::Kind::ClockChanged};
      return true;
    }
    int wait = std::max(0, msToNextMinute());
    if (timeoutMs >= 0) {
      uint64_t now = milliseconds();
      wait = std::min<uint64_t>(wait, deadline > now ? deadline - now : 0);
    }
    bool got = waitForEvents(wait);
    if (timeoutMs >= 0 && !got && queue_.empty() && milliseconds() >= deadline) return false;
  }
}

void InteractiveHost::pause(uint32_t ms) {
  const uint64_t deadline = milliseconds() + ms;
  for (uint64_t now = milliseconds(); now < deadline; now = milliseconds())
    waitForEvents(int(std::min<uint64_t>(deadline - now, 1u << 30)));
}

void InteractiveHost::queueSelfTest(const SelfTest& test) {
  for (POINT c : test.clicks)
    if (auto p = toScreen(int(c.x), int(c.y), false)) {
      queue_.push_back({InputEvent::Kind::StylusDown, int(p->x), int(p->y)});
      queue_.push_back({InputEvent::Kind::StylusUp, int(p->x), int(p->y)});
    }
  if (test.close) closeRequested();
}

RECT InteractiveHost::screenRect() const { return fittedScreen(width_, height_, windowW_, windowH_); }

std::optional<POINT> InteractiveHost::toScreen(int x, int y, bool clamp) const {
  RECT r = screenRect();
  int rw = r.right - r.left, rh = r.bottom - r.top;
  if (rw <= 0 || rh <= 0) return std::nullopt;
  int sx = int(std::floor(double(x - r.left) * width_ / rw));
  int sy = int(std::floor(double(y - r.top) * height_ / rh));
  if (clamp) return POINT{std::clamp(sx, 0, width_ - 1), std::clamp(sy, 0, height_ - 1)};
  if (sx < 0 || sy < 0 || sx >= width_ || sy >= height_) return std::nullopt;
  return POINT{sx, sy};
}

void InteractiveHost::stylusDown(int x, int y) {
  if (stylusDown_) return;
  // The stylus takes over from the keyboard's cursor.
  if (stylus_.outline()) {
    stylus_.hide();
    redraw();
  }
  if (auto p = toScreen(x, y, false)) {
    stylusDown_ = true;
    last_ = *p;
    queue_.push_back({InputEvent::Kind::StylusDown, int(p->x), int(p->y)});
  }
}

void InteractiveHost::stylusMove(int x, int y) {
  if (!stylusDown_) return;
  if (auto p = toScreen(x, y, true); p && (p->x != last_.x || p->y != last_.y)) {
    last_ = *p;
    queue_.push_back({InputEvent::Kind::StylusMove, int(p->x), int(p->y)});
  }
}

void InteractiveHost::stylusUp(int x, int y) {
  if (!stylusDown_) return;
  stylusDown_ = false;
  POINT p = toScreen(x, y, true).value_or(last_);
  queue_.push_back({InputEvent::Kind::StylusUp, int(p.x), int(p.y)});
}

void InteractiveHost::keyPressed(Key key) {
  if (stylus_.press(key, queue_)) redraw();
}

void InteractiveHost::windowResized(int width, int height) {
  if (width == windowW_ && height == windowH_) return;
  windowW_ = width;
  windowH_ = height;
  redraw();
}

// Before the program's first frame the window keeps its own background.
void InteractiveHost::redraw() {
  if (!shown_.pixels) return;
  presentScaled(shown_, windowW_, windowH_, stylus_.outline(), band_,
                [this](uint32_t* pixels, int width, int top, int rows) { showBand(pixels, width, top, rows); });
  bandsShown();
}

RECT fittedScreen(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
  if (screenWidth <= 0 || screenHeight <= 0) return RECT{0, 0, 0, 0};
  double zoom = std::min(double(windowWidth) / screenWidth, double(windowHeight) / screenHeight);
  if (zoom >= 1) zoom = std::floor(zoom);
  if (zoom <= 0) return RECT{0, 0, 0, 0};
  int w = int(screenWidth * zoom), h = int(screenHeight * zoom);
  int x = (windowWidth - w) / 2, y = (windowHeight - h) / 2;
  return RECT{x, y, x + w, y + h};
}

void presentScaled(ScreenView s, int windowW, int windowH, std::optional<RECT> cursor, std::vector<uint32_t>& band,
                   const ShowBand& show) {
  if (windowW <= 0 || windowH <= 0 || s.width <= 0 || s.height <= 0) return;
  const RECT r = fittedScreen(s.width, s.height, windowW, windowH);
  const int rw = r.right - r.left, rh = r.bottom - r.top;
  std::vector<int> column(size_t(windowW), -1);
  for (int x = std::max<int>(0, r.left); x < std::min<int>(windowW, r.right); ++x)
    column[size_t(x)] = std::min(s.width - 1, (x - int(r.left)) * s.width / rw);
  RECT outline{};
  // A line of one screen pixel, less one window pixel so that neighbouring cells stay apart.
  const int thickness = std::max(1, rw / s.width - 1);
  if (cursor) {
    auto wx = [&](int sx) { return int(r.left + int64_t(sx) * rw / s.width); };
    auto wy = [&](int sy) { return int(r.top + int64_t(sy) * rh / s.height); };
    outline = RECT{wx(cursor->left), wy(cursor->top), wx(cursor->right), wy(cursor->bottom)};
  }
  band.resize(size_t(windowW) * kBandRows);
  for (int top = 0; top < windowH; top += kBandRows) {
    const int rows = std::min(kBandRows, windowH - top);
    for (int y = top; y < top + rows; ++y) {
      uint32_t* out = band.data() + size_t(y - top) * size_t(windowW);
      const int sy = y - r.top;
      if (sy < 0 || sy >= rh) {
        std::fill(out, out + windowW, 0);
        continue;
      }
      const uint32_t* in = s.pixels + size_t(std::min(s.height - 1, sy * s.height / rh)) * size_t(s.width);
      for (int x = 0; x < windowW; ++x) out[x] = column[size_t(x)] < 0 ? 0 : in[column[size_t(x)]];
    }
    if (cursor) drawStylusCursor(band.data(), windowW, rows, outline, thickness, top);
    show(band.data(), windowW, top, rows);
  }
}

}  // namespace pk
