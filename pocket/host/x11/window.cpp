#include "window.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <pocket/icon.h>

namespace pk::x11 {
namespace {

// The server may refuse a request (a window manager that went away, a property too
// large); the game goes on.
int ignoreError(Display*, XErrorEvent*) { return 0; }

int lostDisplay(Display*) {
  std::fprintf(stderr, "the connection to the display was lost\n");
  std::_Exit(1);
}

// The window's title: the program's name as a person writes it.
std::string windowTitle(const ModuleImage& module) {
  std::string title = module.name;
  if (!title.empty() && title[0] >= 'a' && title[0] <= 'z') title[0] = char(title[0] - 32);
  return title;
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

// Title, class, size hints, input, close protocol, icon and process: what the window
// manager reads before the window maps.
void describeWindow(Display* display, Window window, const Atoms& atoms, const std::string& name,
                    const ModuleImage& module, int minW, int minH, int x, int y) {
  std::string titleText = windowTitle(module);
  const char* title = titleText.c_str();
  XStoreName(display, window, title);
  XChangeProperty(display, window, atoms.netWmName, atoms.utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title), int(std::strlen(title)));
  std::string className = name;
  XClassHint cls{className.data(), className.data()};
  XSetClassHint(display, window, &cls);
  XSizeHints* size = XAllocSizeHints();
  if (size) {
    size->flags = PMinSize | PPosition;
    size->min_width = minW;
    size->min_height = minH;
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
}

}  // namespace

Atoms internAtoms(Display* d) {
  const char* names[] = {"WM_PROTOCOLS",   "WM_DELETE_WINDOW",         "_NET_WM_NAME",
                         "UTF8_STRING",    "_NET_WM_ICON",             "_NET_WM_STATE",
                         "_NET_WM_STATE_FULLSCREEN", "_NET_SUPPORTING_WM_CHECK", "_NET_ACTIVE_WINDOW",
                         "_NET_WORKAREA"};
  Atom a[10];
  XInternAtoms(d, const_cast<char**>(names), 10, False, a);
  return Atoms{a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9]};
}

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

std::optional<OpenWindow> openWindow(const std::string& name, const ModuleImage& module, int screenW, int screenH,
                                     std::optional<POINT> wanted) {
  std::string headless = std::string(module.name) + "-headless";
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    const char* where = std::getenv("DISPLAY");
    std::fprintf(stderr, "%s: cannot open a window: %s; try %s\n", name.c_str(),
                 where && *where ? ("no display at " + std::string(where)).c_str() : "no display found", headless.c_str());
    return std::nullopt;
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
    return std::nullopt;
  }
  Atoms atoms = internAtoms(display);
  XRectangle usable = usableArea(display, atoms);
  int zoom = fittingZoom(usable, screenW, screenH);
  int ww = wanted ? int(wanted->x) : screenW * zoom;
  int wh = wanted ? int(wanted->y) : screenH * zoom;
  if (ww < 1 || wh < 1) ww = screenW, wh = screenH;
  XSetWindowAttributes attributes{};
  attributes.background_pixel = BlackPixel(display, screen);
  attributes.event_mask = ExposureMask | StructureNotifyMask | ButtonPressMask | ButtonReleaseMask |
                          Button1MotionMask | KeyPressMask | KeyReleaseMask | FocusChangeMask;
  int x = usable.x + std::max(0, (int(usable.width) - ww) / 2);
  int y = usable.y + std::max(0, (int(usable.height) - wh) / 2);
  Window window = XCreateWindow(display, RootWindow(display, screen), x, y, unsigned(ww), unsigned(wh), 0, depth,
                                InputOutput, visual, CWBackPixel | CWEventMask, &attributes);
  describeWindow(display, window, atoms, name, module, screenW, screenH, x, y);
  // Held keys repeat as presses alone, so a repeat is told from a new press.
  XkbSetDetectableAutoRepeat(display, True, nullptr);

  XMapWindow(display, window);
  XEvent e;
  do XWindowEvent(display, window, StructureNotifyMask, &e);
  while (e.type != MapNotify);
  return OpenWindow{display, window, atoms, ww, wh};
}

void closeWindow(OpenWindow& w) {
  XDestroyWindow(w.display, w.window);
  XCloseDisplay(w.display);
}

}  // namespace pk::x11
