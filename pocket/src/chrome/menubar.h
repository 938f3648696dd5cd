// The menu bar's records, shared by its units: the template reader, the bar
// window, its pictures and tool tip, and the pop-up menus.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include <commctrl.h>
#include <windows.h>

namespace pk::chrome {

// A drop-down button's menu; its HMENU lives in the window manager's handle table for
// as long as the menu does.
struct PopupMenu {
  struct Entry {
    std::u16string text;
    int id = 0;
    bool separator = false;
    bool grayed = false;
    bool submenu = false;  // nested pop-ups are shown but lead nowhere
  };
  std::vector<Entry> entries;
  HMENU handle = nullptr;

  PopupMenu();
  ~PopupMenu();
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;
};
PopupMenu* menuOf(HMENU handle);  // null for a handle of no live menu

struct Button {
  int image = I_IMAGENONE;
  int command = 0;
  BYTE state = 0;
  BYTE style = 0;
  std::u16string label;
  int popup = -1;
  RECT rect{};  // client coordinates of the bar
  bool separator() const { return (style & TBSTYLE_SEP) != 0; }
  bool enabled() const { return (state & TBSTATE_ENABLED) != 0; }
  bool dropDown() const { return (style & TBSTYLE_DROPDOWN) != 0 && popup >= 0; }
};

struct StripPictures;  // a strip's pixels and the fills of its images, made at first paint

// One bitmap of pictures added to the bar.
struct ImageStrip {
  HINSTANCE instance;
  std::u16string name;  // empty: `number`
  int number;
  int first;
  int count;
  int width;
  std::shared_ptr<StripPictures> pictures;
};

struct MenuBar {
  HWND hwnd = nullptr;
  HWND owner = nullptr;
  std::vector<Button> buttons;
  std::vector<std::unique_ptr<PopupMenu>> popups;
  std::vector<ImageStrip> strips;
  int imageCount = 0;
  std::vector<std::u16string> tips;  // one per non-separator button
  int pressed = -1;                  // picture button held by the stylus
  int openButton = -1;               // drop-down button whose pop-up is open
  HWND tip = nullptr;
};

MenuBar* barOf(HWND hwnd);
// Drops what belongs to windows that are gone (the window system was reset).
void forgetStaleMenus();

// The tool-bar template and its menu; nothing when either is missing or malformed.
std::unique_ptr<MenuBar> barFromResources(HINSTANCE inst, UINT toolBarId);

// Pictures: the strip's bitmap, and one of its images drawn with the magenta key colour
// left out; a greyed image is the embossed outline of its darker pixels.
HBITMAP loadStrip(const ImageStrip& s);
void drawImage(HDC dc, MenuBar& bar, int index, int x, int y, bool greyed);

// The tool tip of a held picture button.
void showTip(MenuBar& bar, int buttonIndex);
void hideTip(MenuBar& bar);

// The pop-up menu of a drop-down button; one is open at a time.
void openPopupFor(MenuBar& bar, int buttonIndex);
// The same with its first choosable entry marked, as a key opens it.
void openByKey(MenuBar& bar, int buttonIndex);
void closePopup();
HWND openPopupBar();  // the bar whose pop-up is open, or null
void forgetStalePopup();

// The drop-down button after (or before) `from`, wrapping; -1 when there is none.
int nextDropDown(const MenuBar& bar, int from, int step);
// A menu bar whose program is free to take a command (no modal dialog holds it).
MenuBar* barTakingKeys();
// The menu bar a window made for itself (SHCreateMenuBar), or null.
MenuBar* barOwnedBy(HWND owner);
// A command as the bar offers it: among its menu items or buttons, greyed or not.
enum class CommandState { Absent, Enabled, Greyed };
CommandState commandState(const MenuBar& bar, int command);

}  // namespace pk::chrome
