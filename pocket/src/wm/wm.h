// The window manager's own operations: what the shell chrome and the dialog
// manager need beyond the platform calls the game makes.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>
#include <pocket/host.h>

namespace pk::wm {

// Screen layout of the device: the navigation bar on top, the menu bar at the bottom.
constexpr int kNavBarHeight = 26;
constexpr int kMenuBarHeight = 26;

void enableWindow(HWND hwnd, bool enable);  // a disabled window gets no stylus input
bool isEnabled(HWND hwnd);
bool isVisible(HWND hwnd);
HWND parentOf(HWND hwnd);  // child windows only
HWND ownerOf(HWND hwnd);   // top-level windows only
std::vector<HWND> children(HWND hwnd);  // in creation order
std::vector<HWND> topLevels();          // top of the z-order first, visible or not
HWND windowAt(POINT screen);            // deepest visible window under a screen point

std::u16string text(HWND hwnd);  // the window text (WM_SETTEXT and creation set it)
int controlId(HWND hwnd);        // the child id given at creation (the HMENU argument)
uint32_t style(HWND hwnd);
HINSTANCE instanceOf(HWND hwnd);

RECT screenRect(HWND hwnd);  // the whole window in screen coordinates (client = whole here)
// Moves and sizes a window (screen coordinates for top-levels, parent client for children);
// sends WM_SIZE when the size changed and repaints what it uncovers.
void moveWindow(HWND hwnd, int x, int y, int width, int height);
void bringToTop(HWND hwnd);
// A new handle from the windows' table for a user object that is not a window (a menu):
// never a window's, never given twice.
uintptr_t newUserHandle();

// Shell windows (navigation bar, menu bar, pop-ups, tool tips, drop lists) are never
// activated: tapping them leaves the active window as it is.
void setNoActivate(HWND hwnd);

// Activation: WM_ACTIVATE to the window losing and the one gaining it (WA_ACTIVE, or
// WA_CLICKACTIVE when a tap did it).
void activate(HWND hwnd, bool byClick = false);

// While set, every stylus event goes to this window (client coordinates may be negative).
void setCapture(HWND hwnd);
void releaseCapture();
HWND capture();

// A WM_TIMER with this id after `ms` of the host's clock, repeated until killed.
void setTimer(HWND hwnd, UINT_PTR id, uint32_t ms);
void killTimer(HWND hwnd, UINT_PTR id);

// Shows a modal window (dialog, message box) and runs the loop until `done`, its owner
// taking no stylus input meanwhile; then destroys it and gives the owner back its input
// and, when it can take it, the activation. Nothing is shown when `done` is already true.
void runModal(HWND hwnd, HWND owner, const bool& done);

// Note: WM_CREATE's lParam is the creation parameter (CreateWindowExW's last argument) itself.

// Ends every window, class, timer and queued message of the device, as the end of a
// process would; a new program can then start in the same process (tests, fuzzing).
void resetWindowSystem();

// ---- The shell above ----
// The shell (navigation bar, menu bar and its pop-ups) sits above the window manager and
// tells it, when it starts, what it wants to hear. Without a shell each does nothing.
struct ShellHooks {
  // The active window or its title changed, or the clock's minute turned.
  void (*activeChanged)() = nullptr;
  // A key for the menus (KeyMenu, the arrows, Enter, Escape); true when the menus took it.
  bool (*menuKey)(InputEvent::Kind key) = nullptr;
  // A pop-up menu is open and takes the keys.
  bool (*menuOpen)() = nullptr;
};
void setShellHooks(const ShellHooks& hooks);
void shellActiveChanged();
bool shellMenuKey(InputEvent::Kind key);
bool shellMenuOpen();

// Whether a key was down when the message being handled was taken from the queue, as the
// program's thread saw the keyboard (the modifiers of an accelerator).
bool keyWasDown(int virtualKey);

}  // namespace pk::wm
