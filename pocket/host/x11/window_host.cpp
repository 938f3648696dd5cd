// The host's life with its window: the wake pipe and the signals that ask it to close,
// the clocks, and what it asks of the desktop.
#include "window_host.h"

#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include "launch.h"

namespace pk::x11 {
namespace {

volatile sig_atomic_t signalWake = -1;

void askToClose(int) {
  if (signalWake >= 0) {
    ssize_t ignored = write(signalWake, "c", 1);
    (void)ignored;
  }
}

}  // namespace

WindowHost::WindowHost(const OpenWindow& w, int screenW, int screenH, bool timing)
    : InteractiveHost(screenW, screenH, w.width, w.height), d_(w.display), window_(w.window), atoms_(w.atoms),
      timing_(timing), start_(Clock::now()) {
  gc_ = XCreateGC(d_, window_, 0, nullptr);
  XWindowAttributes a{};
  XGetWindowAttributes(d_, window_, &a);
  windowResized(a.width, a.height);
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

WindowHost::~WindowHost() {
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  signalWake = -1;
  XFreeGC(d_, gc_);
  for (int fd : wake_)
    if (fd >= 0) ::close(fd);
}

uint64_t WindowHost::milliseconds() {
  return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count());
}

int WindowHost::clockMinutes() {
  time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  return local.tm_hour * 60 + local.tm_min;
}

// Until just after the wall clock's next minute.
int WindowHost::msToNextMinute() {
  timespec t{};
  clock_gettime(CLOCK_REALTIME, &t);
  return int(60000 - (t.tv_sec % 60) * 1000 - t.tv_nsec / 1000000) + 5;
}

void WindowHost::raise() {
  if (wake_[1] >= 0) {
    ssize_t ignored = write(wake_[1], "r", 1);
    (void)ignored;
  }
}

bool WindowHost::openDocument(const std::filesystem::path& file) {
  return launchDetached({"xdg-open", file.string()});
}

}  // namespace pk::x11
