// Watches the display as another client would: prints "ready" once it listens, then the
// CLOCK_MONOTONIC time (ns) at which the first top-level window is mapped, and exits.
#include <X11/Xlib.h>
#include <time.h>

#include <cstdio>

int main() {
  Display* d = XOpenDisplay(nullptr);
  if (!d) {
    std::fprintf(stderr, "mapwatch: no display\n");
    return 1;
  }
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  XSync(d, False);
  std::printf("ready\n");
  std::fflush(stdout);
  for (;;) {
    XEvent e;
    XNextEvent(d, &e);
    if (e.type != MapNotify || e.xmap.override_redirect) continue;
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    std::printf("mapped %lld\n", (long long)t.tv_sec * 1000000000LL + t.tv_nsec);
    return 0;
  }
}
