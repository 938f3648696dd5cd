// The desktop host: the device screen scaled up in a window, the left mouse button as
// the stylus, the keyboard as a stylus cursor and the desktop's shortcuts.
//
// The window is drawn with Xlib alone: it maps in a few milliseconds with a handful of
// libraries, and SDL (with the sound servers' libraries it brings) is loaded only to
// play the first sound.
//
// Hidden options, for the end-to-end tests only (a display server without any input
// tool): `--self-test-window W H` opens the window at exactly W x H pixels, and each
// `--self-test-click X Y` queues a left click at window point (X, Y) before the program
// starts; `--self-test-close` queues a press of the window's close button after them.
// `--self-test-timing` (for the benchmarks) prints to standard error, in CLOCK_MONOTONIC
// nanoseconds, when the window was mapped and when the first frame of the program was shown.
#include "sdl.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <bitset>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <optional>
#include <random>
#include <string>

#include <pocket/icon.h>

#include "audio.h"
#include "launch.h"

#ifndef PK_PROGRAM_VERSION
#define PK_PROGRAM_VERSION "unknown"
#endif

namespace pk {
namespace {

struct Options {
  std::optional<POINT> windowSize;
  std::vector<POINT> clicks;
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

bool parseInt(const char* s, LONG& out) {
  char* end = nullptr;
  long v = std::strtol(s, &end, 10);
  if (!*s || *end || v < -100000 || v > 100000) return false;
  out = LONG(v);
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

// The server may refuse a request (a window manager that went away, a property too
// large); the game goes on.
int ignoreError(Display*, XErrorEvent*) { return 0; }

int lostDisplay(Display*) {
  std::fprintf(stderr, "the connection to the display was lost\n");
  std::_Exit(1);
}

struct Atoms {
  Atom protocols, deleteWindow, netWmName, utf8, netWmIcon, netWmState, fullscreen, wmCheck, netActive, workArea;
};

Atoms internAtoms(Display* d) {
  const char* names[] = {"WM_PROTOCOLS",   "WM_DELETE_WINDOW",         "_NET_WM_NAME",
                         "UTF8_STRING",    "_NET_WM_ICON",             "_NET_WM_STATE",
                         "_NET_WM_STATE_FULLSCREEN", "_NET_SUPPORTING_WM_CHECK", "_NET_ACTIVE_WINDOW",
                         "_NET_WORKAREA"};
  Atom a[10];
  XInternAtoms(d, const_cast<char**>(names), 10, False, a);
  return Atoms{a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]};
}

// A window manager that follows the desktop's conventions is running.
bool haveWindowManager(Display* d, const Atoms& atoms) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  bool found = XGetWindowProperty(d, DefaultRootWindow(d), atoms.wmCheck, 0, 1, False, XA_WINDOW, &type, &format,
                                  &count, &after, &data) == Success &&
               data && count == 1;
  if (data) XFree(data);
  return found;
}

// The part of the screen windows may use: the work area when the desktop gives one.
XRectangle usableArea(Display* d, const Atoms& atoms) {
  int screen = DefaultScreen(d);
  XRectangle all{0, 0, uint16_t(DisplayWidth(d, screen)), uint16_t(DisplayHeight(d, screen))};
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, DefaultRootWindow(d), atoms.workArea, 0, 4, False, XA_CARDINAL, &type, &format, &count,
                         &after, &data) == Success &&
      data && format == 32 && count >= 4) {
    auto* v = reinterpret_cast<long*>(data);
    if (v[2] > 0 && v[3] > 0) all = XRectangle{int16_t(v[0]), int16_t(v[1]), uint16_t(v[2]), uint16_t(v[3])};
  }
  if (data) XFree(data);
  return all;
}

// The largest whole zoom of the device screen that fits the desktop.
int fittingZoom(const XRectangle& usable, int width, int height) {
  // Room for the window frame and title bar.
  int zoom = std::min((int(usable.width) - 16) / width, (int(usable.height) - 48) / height);
  return std::max(1, zoom);
}

void setIcon(Display* d, Window w, const Atoms& atoms, const ModuleImage& module) {
  std::optional<IconImage> icon = programIcon(module);
  if (!icon) return;
  using Card = unsigned long;  // 32-bit properties travel as longs in Xlib
  std::vector<Card> data{Card(icon->width), Card(icon->height)};
  for (size_t i = 0; i + 3 < icon->pixels.size(); i += 4) {
    const uint8_t* p = &icon->pixels[i];
    data.push_back(Card(p[3]) << 24 | Card(p[0]) << 16 | Card(p[1]) << 8 | p[2]);
  }
  XChangeProperty(d, w, atoms.netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(data.data()), int(data.size()));
}

volatile sig_atomic_t signalWake = -1;

void askToClose(int) {
  if (signalWake >= 0) {
    ssize_t ignored = write(signalWake, "c", 1);
    (void)ignored;
  }
}

// Until just after the wall clock's next minute.
int msToNextMinute() {
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  return int(60000 - (t.tv_sec % 60) * 1000 - t.tv_nsec / 1000000) + 5;
}

class WindowHost final : public Host {
 public:
  WindowHost(Display* display, Window window, const Atoms& atoms, int width, int height, bool timing)
      : d_(display), window_(window), atoms_(atoms), width_(width), height_(height), timing_(timing),
        start_(Clock::now()) {
    gc_ = XCreateGC(d_, window_, 0, nullptr);
    XWindowAttributes a{};
    XGetWindowAttributes(d_, window_, &a);
    windowW_ = a.width;
    windowH_ = a.height;
    visual_ = a.visual;
    depth_ = a.depth;
    if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) wake_[0] = wake_[1] = -1;
    // Asked to end from outside (a logout, Ctrl+C in the terminal): as the close button.
    signalWake = wake_[1];
    struct sigaction sa{};
    sa.sa_handler = askToClose;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
  }
  ~WindowHost() override {
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    signalWake = -1;
    XFreeGC(d_, gc_);
    for (int fd : wake_)
      if (fd >= 0) ::close(fd);
  }

  // Window point -> a click queued before the program starts.
  void queueClick(int x, int y) {
    if (auto p = toDevice(x, y, false)) {
      buffered_.push_back({InputEvent::Kind::StylusDown, int(p->x), int(p->y)});
      buffered_.push_back({InputEvent::Kind::StylusUp, int(p->x), int(p->y)});
    }
  }
  void queue(InputEvent e) { buffered_.push_back(e); }

  void present(ScreenView s) override {
    if (s.width != width_ || s.height != height_) return;
    screen_.assign(s.pixels, s.pixels + size_t(s.width) * size_t(s.height));
    redraw();
    if (timing_) {
      printTiming("presented");
      timing_ = false;
    }
  }

  bool nextEvent(InputEvent& out, int timeoutMs) override {
    uint64_t deadline = timeoutMs < 0 ? 0 : milliseconds() + uint64_t(timeoutMs);
    for (;;) {
      while (XPending(d_)) {
        XEvent e;
        XNextEvent(d_, &e);
        translate(e);
      }
      if (!buffered_.empty()) {
        out = buffered_.front();
        buffered_.pop_front();
        return true;
      }
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
      bool got = waitForInput(wait);
      if (forAudio || !got) audio_.tick();
      if (timeoutMs >= 0 && milliseconds() >= deadline && !got) return false;
    }
  }

  void pause(uint32_t ms) override {
    uint64_t deadline = milliseconds() + ms;
    for (uint64_t now = milliseconds(); now < deadline; now = milliseconds()) {
      while (XPending(d_)) {
        XEvent e;
        XNextEvent(d_, &e);
        translate(e);
      }
      waitForInput(int(std::min<uint64_t>(deadline - now, 1u << 30)));
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

  // Called from another thread: only the pipe is touched there.
  void raise() override {
    if (wake_[1] >= 0) {
      ssize_t ignored = write(wake_[1], "r", 1);
      (void)ignored;
    }
  }

  bool openDocument(const std::filesystem::path& file) override {
    return launchDetached({"xdg-open", file.string()});
  }

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr int kStripRows = 32;

  // Waits for the display or the wake pipe; false when the time ran out.
  bool waitForInput(int timeoutMs) {
    XFlush(d_);
    pollfd fds[2] = {{ConnectionNumber(d_), POLLIN, 0}, {wake_[0], POLLIN, 0}};
    int n = poll(fds, wake_[0] >= 0 ? 2 : 1, timeoutMs);
    if (n <= 0) return false;
    if (fds[1].revents & POLLIN) {
      char buf[16];
      ssize_t got;
      while ((got = read(wake_[0], buf, sizeof buf)) > 0)
        for (ssize_t i = 0; i < got; ++i) {
          if (buf[i] == 'r') bringToFront();
          if (buf[i] == 'c') buffered_.push_back({InputEvent::Kind::CloseWindow, 0, 0});
        }
    }
    return true;
  }

  void bringToFront() {
    XMapRaised(d_, window_);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window_;
    e.xclient.message_type = atoms_.netActive;
    e.xclient.format = 32;
    e.xclient.data.l[0] = 1;  // from an application
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d_, DefaultRootWindow(d_), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    XFlush(d_);
  }

  // Where the screen lies in the window: the largest whole zoom that fits, centred.
  XRectangle screenRect() const {
    double zoom = std::min(double(windowW_) / width_, double(windowH_) / height_);
    if (zoom >= 1) zoom = std::floor(zoom);
    if (zoom <= 0) zoom = 1;
    int sw = int(width_ * zoom), sh = int(height_ * zoom);
    return XRectangle{int16_t((windowW_ - sw) / 2), int16_t((windowH_ - sh) / 2), uint16_t(sw), uint16_t(sh)};
  }

  // Window point -> device point. Outside the screen only when `clamp` is off.
  std::optional<POINT> toDevice(int x, int y, bool clamp) const {
    XRectangle r = screenRect();
    if (r.width == 0 || r.height == 0) return std::nullopt;
    int dx = int(std::floor(double(x - r.x) * width_ / r.width));
    int dy = int(std::floor(double(y - r.y) * height_ / r.height));
    if (clamp) return POINT{std::clamp(dx, 0, width_ - 1), std::clamp(dy, 0, height_ - 1)};
    if (dx < 0 || dy < 0 || dx >= width_ || dy >= height_) return std::nullopt;
    return POINT{dx, dy};
  }

  // The screen, scaled, with the stylus cursor over it, sent a band of rows at a time so
  // that no copy of the whole window is ever held.
  void redraw() {
    if (windowW_ <= 0 || windowH_ <= 0) return;
    XRectangle r = screenRect();
    std::vector<int> column(size_t(windowW_), -1);
    for (int x = r.x; x < r.x + r.width; ++x)
      if (x >= 0 && x < windowW_) column[size_t(x)] = std::min(width_ - 1, (x - r.x) * width_ / r.width);
    std::optional<RECT> cursor = stylus_.outline();
    RECT outline{};
    int thickness = std::max(1, int(r.width / width_) - 1);
    if (cursor) {
      auto wx = [&](int dx) { return int(r.x + int64_t(dx) * r.width / width_); };
      auto wy = [&](int dy) { return int(r.y + int64_t(dy) * r.height / height_); };
      outline = RECT{wx(cursor->left), wy(cursor->top), wx(cursor->right), wy(cursor->bottom)};
    }
    band_.resize(size_t(windowW_) * kStripRows);
    for (int top = 0; top < windowH_; top += kStripRows) {
      int rows = std::min(kStripRows, windowH_ - top);
      for (int y = top; y < top + rows; ++y) {
        uint32_t* out = band_.data() + size_t(y - top) * size_t(windowW_);
        int sy = y - r.y;
        if (screen_.empty() || sy < 0 || sy >= r.height) {
          std::fill(out, out + windowW_, 0);
          continue;
        }
        const uint32_t* in = screen_.data() + size_t(std::min(height_ - 1, sy * height_ / r.height)) * size_t(width_);
        for (int x = 0; x < windowW_; ++x) out[x] = column[size_t(x)] < 0 ? 0 : in[column[size_t(x)]];
      }
      if (cursor) drawStylusCursor(band_.data(), windowW_, rows, outline, thickness, top);
      XImage* image = XCreateImage(d_, visual_, unsigned(depth_), ZPixmap, 0, reinterpret_cast<char*>(band_.data()),
                                   unsigned(windowW_), unsigned(rows), 32, windowW_ * 4);
      if (!image) return;
      XPutImage(d_, window_, gc_, image, 0, 0, 0, top, unsigned(windowW_), unsigned(rows));
      image->data = nullptr;  // the band is ours
      XDestroyImage(image);
    }
    XFlush(d_);
  }

  void toggleFullScreen() {
    if (haveWindowManager(d_, atoms_)) {
      XEvent e{};
      e.xclient.type = ClientMessage;
      e.xclient.window = window_;
      e.xclient.message_type = atoms_.netWmState;
      e.xclient.format = 32;
      e.xclient.data.l[0] = 2;  // toggle
      e.xclient.data.l[1] = long(atoms_.fullscreen);
      e.xclient.data.l[3] = 1;
      XSendEvent(d_, DefaultRootWindow(d_), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
      return;
    }
    // No window manager to ask: the window covers the screen itself, and gives it back.
    if (restore_) {
      XMoveResizeWindow(d_, window_, restore_->x, restore_->y, restore_->width, restore_->height);
      restore_.reset();
      return;
    }
    XWindowAttributes a{};
    XGetWindowAttributes(d_, window_, &a);
    restore_ = XRectangle{int16_t(a.x), int16_t(a.y), uint16_t(a.width), uint16_t(a.height)};
    int screen = DefaultScreen(d_);
    XMoveResizeWindow(d_, window_, 0, 0, unsigned(DisplayWidth(d_, screen)), unsigned(DisplayHeight(d_, screen)));
  }

  void press(Key k) {
    if (stylus_.press(k, buffered_)) redraw();
  }

  void key(XKeyEvent& e, bool down) {
    KeySym sym = XLookupKeysym(&e, 0);
    bool repeat = down && down_[e.keycode & 0xFF];
    down_[e.keycode & 0xFF] = down;
    bool alt = sym == XK_Alt_L || sym == XK_Alt_R || sym == XK_Meta_L;
    // Alt pressed and let go alone opens the menus, as F10 does.
    if (!down) {
      if (alt && altAlone_) press(Key::Menu);
      altAlone_ = false;
      return;
    }
    altAlone_ = alt && !repeat;
    bool ctrl = (e.state & ControlMask) != 0;
    switch (sym) {
      case XK_Up: case XK_KP_Up: press(Key::Up); return;
      case XK_Down: case XK_KP_Down: press(Key::Down); return;
      case XK_Left: case XK_KP_Left: press(Key::Left); return;
      case XK_Right: case XK_KP_Right: press(Key::Right); return;
      default: break;
    }
    if (repeat) return;
    switch (sym) {
      case XK_Escape: press(Key::Escape); return;
      case XK_Return: case XK_KP_Enter: press(Key::Enter); return;
      case XK_F1: press(Key::F1); return;
      case XK_F10: press(Key::Menu); return;
      case XK_F11: toggleFullScreen(); return;
      case XK_space: case XK_KP_5: case XK_KP_Begin: press(Key::Space); return;
      case XK_n: if (ctrl) press(Key::CtrlN); return;
      case XK_z: if (ctrl) press(Key::CtrlZ); return;
      case XK_q: if (ctrl) press(Key::CtrlQ); return;
      default: return;
    }
  }

  // Handles window business and queues what the program should see, if anything.
  void translate(XEvent& e) {
    using K = InputEvent::Kind;
    switch (e.type) {
      case ClientMessage:
        if (e.xclient.message_type == atoms_.protocols && Atom(e.xclient.data.l[0]) == atoms_.deleteWindow)
          buffered_.push_back({K::CloseWindow, 0, 0});
        return;
      case Expose:
        if (e.xexpose.count == 0) redraw();
        return;
      case ConfigureNotify:
        if (e.xconfigure.width != windowW_ || e.xconfigure.height != windowH_) {
          windowW_ = e.xconfigure.width;
          windowH_ = e.xconfigure.height;
          redraw();
        }
        return;
      case ButtonPress:
        if (e.xbutton.button != Button1 || stylusDown_) return;
        if (stylus_.outline()) {
          stylus_.hide();
          redraw();
        }
        // Clicks on the bars around the screen touch nothing.
        if (auto p = toDevice(e.xbutton.x, e.xbutton.y, false)) {
          stylusDown_ = true;
          last_ = *p;
          buffered_.push_back({K::StylusDown, int(p->x), int(p->y)});
        }
        return;
      case MotionNotify:
        if (!stylusDown_) return;
        if (auto p = toDevice(e.xmotion.x, e.xmotion.y, true); p && (p->x != last_.x || p->y != last_.y)) {
          last_ = *p;
          buffered_.push_back({K::StylusMove, int(p->x), int(p->y)});
        }
        return;
      case ButtonRelease: {
        if (e.xbutton.button != Button1 || !stylusDown_) return;
        stylusDown_ = false;
        auto p = toDevice(e.xbutton.x, e.xbutton.y, true);
        buffered_.push_back({K::StylusUp, int(p ? p->x : last_.x), int(p ? p->y : last_.y)});
        return;
      }
      case KeyPress:
      case KeyRelease:
        key(e.xkey, e.type == KeyPress);
        return;
      case FocusOut:
        down_.reset();
        altAlone_ = false;
        return;
      default:
        return;
    }
  }

  Display* d_;
  Window window_;
  Atoms atoms_;
  GC gc_;
  Visual* visual_ = nullptr;
  int depth_ = 24;
  int width_;
  int height_;
  int windowW_ = 0;
  int windowH_ = 0;
  std::vector<uint32_t> screen_;  // the device screen last shown
  std::vector<uint32_t> band_;    // rows on their way to the window
  std::optional<XRectangle> restore_;  // the window before it covered the screen
  bool timing_;
  int wake_[2] = {-1, -1};
  bool stylusDown_ = false;
  POINT last_{0, 0};
  KeyboardStylus stylus_;
  std::bitset<256> down_;
  bool altAlone_ = false;
  std::deque<InputEvent> buffered_;
  Audio audio_;
  std::random_device entropy_;
  Clock::time_point start_;
  int shownMinutes_ = clockMinutes();
};


void usage(const std::string& name, const ModuleImage& module, FILE* to) {
  std::fprintf(to,
               "usage: %s [--help] [--version]\n"
               "Plays the game in a window. The mouse is the stylus; the arrow keys move a\n"
               "cursor over the board and Space taps there. Ctrl+N new game, Ctrl+Z undo,\n"
               "F10 or Alt opens the menus, F11 full screen, Ctrl+Q quits.\n"
               "The game and its settings are kept in %s.\n",
               name.c_str(), deviceRoot(module).c_str());
}

}  // namespace

int sdlMain(int argc, char** argv, ProgramEntry entry, const ModuleImage& module) {
  std::string name = programName(argc > 0 ? argv[0] : nullptr, module);
  std::string headless = std::string(module.name) + "-headless";
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    POINT p{};
    if (a == "--help" || a == "-h") {
      usage(name, module, stdout);
      return 0;
    }
    if (a == "--version") {
      std::printf("%s %s\n", name.c_str(), PK_PROGRAM_VERSION);
      return 0;
    }
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
    std::fprintf(stderr, "%s: unknown option %s\nTry '%s --help' for more information.\n", name.c_str(), a.c_str(),
                 name.c_str());
    return 2;
  }

  DeviceConfig config;
  config.root = deviceRoot(module);  // made by the device, which says so when it cannot
  if (std::string fault = deviceFault(); !fault.empty()) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), fault.c_str());
    return 1;
  }

  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    const char* where = std::getenv("DISPLAY");
    std::fprintf(stderr, "%s: cannot open a window: %s; try %s\n", name.c_str(),
                 where && *where ? ("no display at " + std::string(where)).c_str() : "no display found", headless.c_str());
    return 1;
  }
  XSetErrorHandler(ignoreError);
  XSetIOErrorHandler(lostDisplay);
  int screen = DefaultScreen(display);
  Visual* visual = DefaultVisual(display, screen);
  int depth = DefaultDepth(display, screen);
  if (visual->c_class != TrueColor || depth < 24 || visual->red_mask != 0xFF0000 || visual->green_mask != 0xFF00 ||
      visual->blue_mask != 0xFF) {
    std::fprintf(stderr, "%s: cannot open a window: the display does not show 24-bit colour; try %s\n",
                 name.c_str(), headless.c_str());
    XCloseDisplay(display);
    return 1;
  }
  Atoms atoms = internAtoms(display);
  XRectangle usable = usableArea(display, atoms);
  int zoom = fittingZoom(usable, config.width, config.height);
  int ww = options.windowSize ? int(options.windowSize->x) : config.width * zoom;
  int wh = options.windowSize ? int(options.windowSize->y) : config.height * zoom;
  if (ww < 1 || wh < 1) ww = config.width, wh = config.height;
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(display, screen);
  attributes.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask |
                          Button1MotionMask | KeyPressMask | KeyReleaseMask | FocusChangeMask;
  int x = usable.x + std::max(0, (int(usable.width) - ww) / 2);
  int y = usable.y + std::max(0, (int(usable.height) - wh) / 2);
  Window window = XCreateWindow(display, RootWindow(display, screen), x, y, unsigned(ww), unsigned(wh), 0, depth,
                                InputOutput, visual, CWBackPixel | CWEventMask, &attributes);

  std::string titleText = windowTitle(module);
  const char* title = titleText.c_str();
  XStoreName(display, window, title);
  XChangeProperty(display, window, atoms.netWmName, atoms.utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title), int(std::strlen(title)));
  XClassHint cls{name.data(), name.data()};
  XSetClassHint(display, window, &cls);
  XSizeHints* size = XAllocSizeHints();
  if (size) {
    size->flags = PMinSize | PPosition;
    size->min_width = config.width;
    size->min_height = config.height;
    size->x = x;
    size->y = y;
    XSetWMNormalHints(display, window, size);
    XFree(size);
  }
  XWMHints hints{};
  hints.flags = InputHint | StateHint;
  hints.input = True;
  hints.initial_state = NormalState;
  XSetWMHints(display, window, &hints);
  Atom protocols[] = {atoms.deleteWindow};
  XSetWMProtocols(display, window, protocols, 1);
  setIcon(display, window, atoms, module);
  long pid = long(getpid());
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&pid), 1);
  // Held keys repeat as presses alone, so a repeat is told from a new press.
  XkbSetDetectableAutoRepeat(display, True, nullptr);

  XMapWindow(display, window);
  XEvent e;
  do XWindowEvent(display, window, StructureNotifyMask, &e);
  while (e.type != MapNotify);
  if (options.timing) printTiming("mapped");

  int code = 0;
  {
    WindowHost host(display, window, atoms, config.width, config.height, options.timing);
    for (const auto& c : options.clicks) host.queueClick(int(c.x), int(c.y));
    if (options.close) host.queue({InputEvent::Kind::CloseWindow, 0, 0});
    code = runProgram(host, config, entry, module);
  }
  XDestroyWindow(display, window);
  XCloseDisplay(display);
  return code;
}

}  // namespace pk
