// The window manager's records, shared by its units.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

namespace pk::wm {

struct WindowClass {
  std::u16string name;
  WNDPROC proc = nullptr;
  HBRUSH background = nullptr;
  HINSTANCE instance = nullptr;
};

struct Window {
  HWND handle = nullptr;
  const WindowClass* cls = nullptr;
  WNDPROC proc = nullptr;
  std::u16string text;
  uint32_t style = 0;
  RECT rect{};  // screen coordinates for top-levels, parent client coordinates for children
  HWND parent = nullptr;
  HWND owner = nullptr;
  std::vector<HWND> children;  // creation order; later ones lie above earlier ones
  int controlId = 0;
  HINSTANCE instance = nullptr;
  bool visible = false;
  bool enabled = true;
  bool noActivate = false;
  bool destroying = false;
  // Update region, kept as its bounding box in client coordinates.
  bool needsPaint = false;
  bool needsErase = false;
  RECT update{};
  unsigned paintCount = 0;  // BeginPaint calls, to spot a WM_PAINT left unvalidated
};

// Every window and class of the device, and who holds the stylus and the activation.
struct Registry {
  std::map<std::u16string, std::unique_ptr<WindowClass>> classes;  // by upper-case name
  std::map<uintptr_t, std::unique_ptr<Window>> windows;
  std::vector<HWND> zorder;  // top-levels, top first
  uintptr_t nextHandle = 0x1000;
  HWND active = nullptr;
  HWND capture = nullptr;
  HWND mainWindow = nullptr;
};
Registry& registry();

Window* find(HWND hwnd);
bool isChild(const Window& w);
HWND topLevelOf(HWND hwnd);
RECT clientToScreen(const Window& w, RECT r);
POINT screenOrigin(const Window& w);
// What of the window shows on screen (screen rectangles): clipped by its parents,
// windows above it and its own children.
std::vector<RECT> visibleRegion(const Window& w);
RECT screenRectOf(const Window& w);
// Shown, with every parent up to its top-level window, and not being destroyed.
bool shownOnScreen(const Window& w);
// Marks every window that overlaps the screen rectangle as needing paint (with erase).
void invalidateScreenArea(const RECT& screen);
// Invalidates a window and, for the part given, the children under it.
void invalidateTree(Window& w, const RECT& client, bool erase);
// Moves a top-level window to the top with the windows it owns above it.
void raiseWithOwned(HWND hwnd);
// After the active window goes away: the owner if it can take it, else the topmost that can.
void activateSuccessor(HWND gone, HWND owner);
// The next window that wants WM_PAINT, or null.
HWND nextWindowToPaint();
HWND activeHandle();
void forgetWindow(HWND hwnd);
// Lets other processes on this device find the main window (FindWindowW), and stops that.
void announceInstance(HWND hwnd);
void withdrawInstance();  // message queue and timers drop what was meant for it
void clearQueue();        // every posted message and timer goes
std::u16string_view textOf(LPCWSTR s);  // empty for null
// Whether another program on this device has a main window of that class and title, and
// bringing the one found to the front.
bool findNeighbour(std::u16string_view cls, std::u16string_view title);
bool raiseNeighbour();

// Rectangle arithmetic on lists of rectangles.
bool intersect(RECT& out, const RECT& a, const RECT& b);
bool isEmpty(const RECT& r);
void subtract(std::vector<RECT>& region, const RECT& hole);
RECT unite(const RECT& a, const RECT& b);

}  // namespace pk::wm
