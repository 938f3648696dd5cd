// The shell chrome (navigation bar, menu bar, pop-up menus) and the dialog
// manager: their shared drawing helpers and what automation reads of them.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include <windows.h>
#include <pocket/host.h>

namespace pk::chrome {

// Creates the navigation bar; called once a device exists, before the program runs.
void startShell();

// ---- Look of the device ----
constexpr COLORREF kNavBlue = RGB(0, 40, 132);
constexpr COLORREF kTitleBlue = RGB(0, 0, 156);
constexpr COLORREF kBarGrey = RGB(214, 211, 206);
constexpr COLORREF kFaceGrey = RGB(206, 206, 206);
constexpr COLORREF kShadowGrey = RGB(128, 128, 128);
constexpr COLORREF kHighlight = RGB(0, 40, 132);
constexpr COLORREF kTipYellow = RGB(255, 255, 225);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A Tahoma font of `points` at the device's vertical dpi, selected into a DC for the
// lifetime of the object, then restored and deleted.
class ScopedFont {
 public:
  ScopedFont(HDC dc, int points, bool bold);
  ~ScopedFont();
  ScopedFont(const ScopedFont&) = delete;
  ScopedFont& operator=(const ScopedFont&) = delete;

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ old_;
};

void fillSolid(HDC dc, const RECT& r, COLORREF color);
// The ground of the menu bar and the input panel: grey under a shadow line.
void barGround(HDC dc, const RECT& r);
void frame(HDC dc, const RECT& r, COLORREF color, int thickness = 1);
void line(HDC dc, int x0, int y0, int x1, int y1, bool white = false);
// Text in `color` on a solid ground, with DrawTextW format flags.
void text(HDC dc, const std::u16string& s, RECT r, UINT format, COLORREF color, COLORREF ground);
SIZE textSize(HDC dc, const std::u16string& s);
// Menu texts show without their accelerator marks.
std::u16string displayText(const std::u16string& s);

// Registers a class of the layer; a class already known is left as it is.
void registerClass(LPCWSTR name, WNDPROC proc, int stockBrush = -1);
// Creates a shell window that never takes activation, shown at once.
HWND createShellWindow(LPCWSTR className, LPCWSTR title, RECT screen, HWND owner);
bool contains(const RECT& r, POINT p);
POINT pointOf(LPARAM lParam);
POINT centre(const RECT& r);
std::string quoted(const std::u16string& s);

// ---- What the navigation bar and automation need of the dialog manager ----
bool isDialog(HWND hwnd);
bool isMessageBox(HWND hwnd);
bool hasDoneButton(HWND hwnd);
// Dialog base units for the dialog font: average character width and height.
SIZE dialogBaseUnits();

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
// Ctrl+N and Ctrl+Z: the command of the "New..." menu item or of the standard Undo
// button, when enabled and no dialog holds the program.
void shortcut(InputEvent::Kind key);
// The open pop-up menu: its items with their screen rectangles (separators left out).
std::vector<std::pair<std::u16string, RECT>> openPopupItems();
// The open drop-down list of a combo box: item screen rectangles in index order.
std::vector<RECT> openDropListItems();

// ---- Controls, for automation and the dialog manager ----
enum class ControlKind { Other, Static, Picture, PushButton, DefaultButton, CheckBox, DropList };
ControlKind controlKind(HWND hwnd);
// What a control shows: its text, or a drop-down list's chosen item.
std::u16string controlText(HWND hwnd);
// "STATIC", "BUTTON" and "COMBOBOX", for dialogs and message boxes.
void registerControlClasses();

}  // namespace pk::chrome
