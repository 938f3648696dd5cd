// The shell around a program: the navigation bar, the menu bar with its pop-up
// menus, and the input panel; what the hosts' automation reads of them.
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>
#include <pocket/host.h>

namespace pk::chrome {

// Creates the navigation bar; called once a device exists, before the program runs.
void startShell();

// ---- Input panel ----
// Raises or lowers the panel above the menu bar; a change is sent to the program's
// windows as WM_SETTINGCHANGE (SPI_SETSIPINFO).
void setInputPanel(bool up);
bool inputPanelUp();
RECT inputPanelRect();  // screen rectangle, whether up or not

// ---- Navigation bar ----
HWND navigationBar();
std::optional<RECT> navigationOkRect();  // screen rectangle of "ok" when shown
// Where the bar of `width` puts a title and a clock of the given text widths, and the
// ok of a dialog; a part left out has no rectangle.
struct NavLayout {
  RECT title;
  std::optional<RECT> clock;
  std::optional<RECT> ok;
};
NavLayout navigationLayout(int width, int titleWidth, int clockWidth, bool ok);

// ---- Menu bar, for automation ----
struct MenuItemState {
  int id;
  std::u16string text;
  bool grayed;
};
struct MenuButtonState {
  int command;
  std::u16string label;
  bool enabled;
  bool separator;
  RECT screen;
};
// The menu bar of the main window (or the topmost one shown); null when none.
HWND currentMenuBar();
std::vector<MenuButtonState> menuBarButtons(HWND bar);
std::vector<MenuItemState> menuBarItems(HWND bar);
// Keys for the menus: KeyMenu opens the first menu; arrows, Enter and Escape work in an
// open one. False when the key is not the menus' (no menu open).
bool menuKey(InputEvent::Kind key);
// A pop-up menu of a menu bar is open.
bool menuOpen();
// The open pop-up menu: its items with their screen rectangles (separators left out).
std::vector<std::pair<std::u16string, RECT>> openPopupItems();

}  // namespace pk::chrome
