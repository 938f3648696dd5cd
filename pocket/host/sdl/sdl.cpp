// The SDL host: the device screen scaled up in a desktop window, the left mouse button
// as the stylus, and a few keys.
//
// Hidden options, for the end-to-end tests only (a display server without any input
// tool): `--self-test-window W H` opens the window at exactly W x H pixels, and each
// `--self-test-click X Y` queues a left click at window point (X, Y) before the program
// starts; `--self-test-close` queues a press of the window's close button after them.
// `--self-test-timing` (for the benchmarks) prints to standard error, in CLOCK_MONOTONIC
// nanoseconds, when the window was mapped and when the first frame of the program was shown.
#include "sdl.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <optional>
#include <random>
#include <string>

#include <time.h>

#include <pocket/icon.h>

#include "audio.h"
#include "quiet.h"
#include "launch.h"

namespace pk {
namespace {

struct Options {
  std::optional<SDL_Point> windowSize;
  std::vector<SDL_Point> clicks;
  bool close = false;
  bool timing = false;
};

// The clock the benchmark script reads too, so the two can be subtracted.
void printTiming(const char* what) {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  std::fprintf(stderr, "timing %s %lld\n", what, (long long)t.tv_sec * 1000000000LL + t.tv_nsec);
  std::fflush(stderr);
}

std::string programName(const char* argv0, const ModuleImage& module) {
  std::string s = argv0 && *argv0 ? argv0 : module.name;
  size_t slash = s.find_last_of('/');
  return slash == std::string::npos ? s : s.substr(slash + 1);
}

bool parseInt(const char* s, int& out) {
  char* end = nullptr;
  long v = std::strtol(s, &end, 10);
  if (!*s || *end || v < -100000 || v > 100000) return false;
  out = int(v);
  return true;
}

// The program's data folder, named after its module.
std::filesystem::path deviceRoot(const ModuleImage& module) {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data == '/') return std::filesystem::path(data) / module.name;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : "/tmp") / ".local/share" / module.name;
}

// The window's title: the program's name as a person writes it.
std::string windowTitle(const ModuleImage& module) {
  std::string title = module.name;
  if (!title.empty() && title[0] >= 'a' && title[0] <= 'z') title[0] = char(title[0] - 32);
  return title;
}

class SdlHost final : public Host {
 public:
  SdlHost(SDL_Window* window, SDL_Renderer* renderer, int width, int height, bool timing)
      : window_(window), renderer_(renderer), width_(width), height_(height), timing_(timing),
        start_(Clock::now()) {
    raiseEvent_ = SDL_RegisterEvents(1);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
    redraw();
  }
  ~SdlHost() override {
    if (texture_) SDL_DestroyTexture(texture_);
  }

  void present(ScreenView s) override {
    if (!texture_ || s.width != width_ || s.height != height_) return;
    SDL_UpdateTexture(texture_, nullptr, s.pixels, s.width * int(sizeof(uint32_t)));
    shown_ = true;
    redraw();
    if (timing_) {
      printTiming("presented");
      timing_ = false;
    }
  }

  bool nextEvent(InputEvent& out, int timeoutMs) override {
    if (!buffered_.empty()) {
      out = buffered_.front();
      buffered_.pop_front();
      return true;
    }
    uint64_t deadline = timeoutMs < 0 ? 0 : milliseconds() + uint64_t(timeoutMs);
    for (;;) {
      if (int minutes = clockMinutes(); minutes != shownMinutes_) {
        shownMinutes_ = minutes;
        out = InputEvent{InputEvent::Kind::ClockChanged};
        return true;
      }
      int wait = msToNextMinute();
      if (timeoutMs >= 0) wait = std::min(wait, int(deadline > milliseconds() ? deadline - milliseconds() : 0));
      int audioWait = audio_.msUntilTick();
      bool forAudio = audioWait >= 0 && (wait < 0 || audioWait < wait);
      if (forAudio) wait = audioWait;
      SDL_Event e;
      int got = wait < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, wait);
      if (got) {
        if (auto ev = translate(e)) {
          out = *ev;
          return true;
        }
      } else if (wait < 0) {
        SDL_Delay(10);  // the event queue failed: do not spin
      }
      if (forAudio || !got) audio_.tick();
      if (timeoutMs >= 0 && milliseconds() >= deadline) return false;
    }
  }

  void pause(uint32_t ms) override {
    uint64_t deadline = milliseconds() + ms;
    for (uint64_t now = milliseconds(); now < deadline; now = milliseconds()) {
      SDL_Event e;
      if (SDL_WaitEventTimeout(&e, int(std::min<uint64_t>(deadline - now, 1u << 30)))) {
        if (auto ev = translate(e)) buffered_.push_back(*ev);
      }
    }
  }

  uint64_t milliseconds() override {
    return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count());
  }

  uint32_t random() override { return entropy_(); }

  // Local time, for the navigation bar's clock.
  int clockMinutes() override {
    time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    return local.tm_hour * 60 + local.tm_min;
  }
  void playSound(std::vector<int16_t> samples, int rate) override { audio_.play(samples, rate); }
  void stopSound() override { audio_.stop(); }

  void raise() override {
    SDL_Event e{};
    e.type = raiseEvent_;
    SDL_PushEvent(&e);
  }

  bool openDocument(const std::filesystem::path& file) override {
    return launchDetached({"xdg-open", file.string()});
  }

 private:
  // Until just after the wall clock's next minute.
  static int msToNextMinute() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return int(60000 - (t.tv_sec % 60) * 1000 - t.tv_nsec / 1000000) + 5;
  }

  using Clock = std::chrono::steady_clock;

  // Where the screen lies in the window: the largest whole zoom that fits, centred.
  SDL_Rect screenRect() const {
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    double zoom = std::min(double(w) / width_, double(h) / height_);
    if (zoom >= 1) zoom = std::floor(zoom);
    if (zoom <= 0) zoom = 1;
    int sw = int(width_ * zoom), sh = int(height_ * zoom);
    return SDL_Rect{(w - sw) / 2, (h - sh) / 2, sw, sh};
  }

  // Window point -> device point. Outside the screen only when `clamp` is off.
  std::optional<SDL_Point> toDevice(int x, int y, bool clamp) const {
    int ww = 0, wh = 0, ow = 0, oh = 0;
    SDL_GetWindowSize(window_, &ww, &wh);
    SDL_GetRendererOutputSize(renderer_, &ow, &oh);
    if (ww > 0 && wh > 0 && (ww != ow || wh != oh)) {
      x = int(int64_t(x) * ow / ww);
      y = int(int64_t(y) * oh / wh);
    }
    SDL_Rect r = screenRect();
    if (r.w <= 0 || r.h <= 0) return std::nullopt;
    int dx = int(std::floor(double(x - r.x) * width_ / r.w));
    int dy = int(std::floor(double(y - r.y) * height_ / r.h));
    if (clamp) return SDL_Point{std::clamp(dx, 0, width_ - 1), std::clamp(dy, 0, height_ - 1)};
    if (dx < 0 || dy < 0 || dx >= width_ || dy >= height_) return std::nullopt;
    return SDL_Point{dx, dy};
  }

  void redraw() {
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (texture_ && shown_) {
      SDL_Rect r = screenRect();
      SDL_RenderCopy(renderer_, texture_, nullptr, &r);
    }
    SDL_RenderPresent(renderer_);
  }

  // Handles window business and returns what the program should see, if anything.
  std::optional<InputEvent> translate(const SDL_Event& e) {
    using K = InputEvent::Kind;
    switch (e.type) {
      case SDL_QUIT:
        return InputEvent{K::CloseWindow, 0, 0};
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
          redraw();
        return std::nullopt;
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button != SDL_BUTTON_LEFT || stylusDown_) return std::nullopt;
        // Clicks on the bars around the screen touch nothing.
        if (auto p = toDevice(e.button.x, e.button.y, false)) {
          stylusDown_ = true;
          last_ = *p;
          return InputEvent{K::StylusDown, p->x, p->y};
        }
        return std::nullopt;
      case SDL_MOUSEMOTION:
        if (!stylusDown_) return std::nullopt;
        if (auto p = toDevice(e.motion.x, e.motion.y, true); p && (p->x != last_.x || p->y != last_.y)) {
          last_ = *p;
          return InputEvent{K::StylusMove, p->x, p->y};
        }
        return std::nullopt;
      case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT || !stylusDown_) return std::nullopt;
        stylusDown_ = false;
        if (auto p = toDevice(e.button.x, e.button.y, true)) return InputEvent{K::StylusUp, p->x, p->y};
        return InputEvent{K::StylusUp, last_.x, last_.y};
      case SDL_KEYDOWN:
        if (e.key.repeat) return std::nullopt;
        switch (e.key.keysym.sym) {
          case SDLK_ESCAPE: return InputEvent{K::KeyEscape, 0, 0};
          case SDLK_RETURN:
          case SDLK_KP_ENTER: return InputEvent{K::KeyEnter, 0, 0};
          case SDLK_F1: return InputEvent{K::KeyF1, 0, 0};
          default: return std::nullopt;
        }
      default:
        if (raiseEvent_ != uint32_t(-1) && e.type == raiseEvent_) {
          SDL_RestoreWindow(window_);
          SDL_RaiseWindow(window_);
        }
        return std::nullopt;
    }
  }

  SDL_Window* window_;
  SDL_Renderer* renderer_;
  SDL_Texture* texture_ = nullptr;
  int width_;
  int height_;
  bool shown_ = false;  // nothing to show before the first present
  bool timing_;
  uint32_t raiseEvent_ = uint32_t(-1);
  bool stylusDown_ = false;
  SDL_Point last_{0, 0};
  std::deque<InputEvent> buffered_;
  Audio audio_;
  std::random_device entropy_;
  Clock::time_point start_;
  int shownMinutes_ = clockMinutes();
};

// The largest whole zoom of the device screen that fits the desktop, 2x where it fits.
int fittingZoom(int width, int height) {
  SDL_Rect usable{0, 0, 0, 0};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0 || usable.w <= 0) return 2;
  // Room for the window frame and title bar.
  int zoom = std::min((usable.w - 16) / width, (usable.h - 48) / height);
  return std::max(1, zoom);
}

void pushClick(int x, int y) {
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.button = SDL_BUTTON_LEFT;
  e.button.state = SDL_PRESSED;
  e.button.clicks = 1;
  e.button.x = x;
  e.button.y = y;
  SDL_PushEvent(&e);
  e.type = SDL_MOUSEBUTTONUP;
  e.button.state = SDL_RELEASED;
  SDL_PushEvent(&e);
}

void setIcon(SDL_Window* window, const ModuleImage& module) {
  std::optional<IconImage> icon = programIcon(module);
  if (!icon) return;
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(icon->pixels.data(), icon->width, icon->height, 32,
                                                      icon->width * 4, SDL_PIXELFORMAT_RGBA32);
  if (!s) return;
  SDL_SetWindowIcon(window, s);
  SDL_FreeSurface(s);
}

}  // namespace

int sdlMain(int argc, char** argv, ProgramEntry entry, const ModuleImage& module) {
  std::string name = programName(argc > 0 ? argv[0] : nullptr, module);
  std::string headless = std::string(module.name) + "-headless";
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    SDL_Point p{};
    if ((a == "--self-test-window" || a == "--self-test-click") && i + 2 < argc && parseInt(argv[i + 1], p.x) &&
        parseInt(argv[i + 2], p.y)) {
      i += 2;
      if (a == "--self-test-window")
        options.windowSize = p;
      else
        options.clicks.push_back(p);
      continue;
    }
    if (a == "--self-test-close") {
      options.close = true;
      continue;
    }
    if (a == "--self-test-timing") {
      options.timing = true;
      continue;
    }
    std::fprintf(stderr, "usage: %s\n(%s takes no options; it keeps its files in %s)\n", name.c_str(),
                 name.c_str(), deviceRoot(module).c_str());
    return 2;
  }

  DeviceConfig config;
  config.root = deviceRoot(module);  // made by the device, which says so when it cannot
  if (std::string fault = deviceFault(); !fault.empty()) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), fault.c_str());
    return 1;
  }

  // A plain software window: nothing here needs a GL stack.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  bool videoUp = false;
  {
    // Display back ends that are not there complain on their own while SDL looks for one.
    QuietStderr quiet;
    videoUp = SDL_Init(SDL_INIT_VIDEO) == 0;
  }
  if (!videoUp) {
    std::fprintf(stderr, "%s: cannot open a window: %s; try %s\n", name.c_str(), SDL_GetError(), headless.c_str());
    return 1;
  }
  // With no display SDL falls back to drawing nowhere; nobody would see the game.
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  if (driver && (!asked || !*asked) &&
      (std::string(driver) == "offscreen" || std::string(driver) == "dummy")) {
    std::fprintf(stderr, "%s: cannot open a window: no display found; try %s\n", name.c_str(), headless.c_str());
    SDL_Quit();
    return 1;
  }
  int zoom = fittingZoom(config.width, config.height);
  int ww = options.windowSize ? options.windowSize->x : config.width * zoom;
  int wh = options.windowSize ? options.windowSize->y : config.height * zoom;
  SDL_Window* window = SDL_CreateWindow(windowTitle(module).c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, ww, wh,
                                        SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
  SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
  if (!renderer) {
    std::fprintf(stderr, "%s: cannot open a window: %s; try %s\n", name.c_str(), SDL_GetError(), headless.c_str());
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
    return 1;
  }
  SDL_SetWindowMinimumSize(window, config.width, config.height);
  setIcon(window, module);
  SDL_ShowWindow(window);  // on X11 this returns once the window is mapped
  if (options.timing) printTiming("mapped");

  int code = 0;
  {
    SdlHost host(window, renderer, config.width, config.height, options.timing);
    for (const auto& c : options.clicks) pushClick(c.x, c.y);
    if (options.close) {
      SDL_Event e{};
      e.type = SDL_QUIT;
      SDL_PushEvent(&e);
    }
    code = runProgram(host, config, entry, module);
  }
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return code;
}

}  // namespace pk
