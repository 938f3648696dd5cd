// Opening the X window: the display's checks, its place and size on the desktop, and
// what the window manager is told (title, class, size hints, icon, close protocol).
#pragma once
#include <X11/Xlib.h>

#include <optional>
#include <string>

#include <pocket/host.h>

namespace pk::x11 {

struct Atoms {
  Atom protocols, deleteWindow, netWmName, utf8, netWmIcon, netWmState, fullscreen, wmCheck, netActive, workArea;
};
Atoms internAtoms(Display* d);

// A window manager that follows the desktop's conventions is running.
bool haveWindowManager(Display* d, const Atoms& atoms);

struct OpenWindow {
  Display* display = nullptr;
  Window window = 0;
  Atoms atoms{};
  int width = 0;
  int height = 0;
};

// Opens the display and maps a window showing a `screenW` x `screenH` screen at the
// largest whole zoom that fits the desktop, centred (or exactly `size`). Nothing, after
// saying why on standard error, when there is no display fit to show the game.
std::optional<OpenWindow> openWindow(const std::string& name, const ModuleImage& module, int screenW, int screenH,
                                     std::optional<POINT> size);
void closeWindow(OpenWindow& w);

}  // namespace pk::x11
