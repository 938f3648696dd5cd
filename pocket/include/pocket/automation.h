// Read-only views of the device and ways to find things on its screen, for the
// script host and for tests. The program itself never uses these.
#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <windows.h>
#include <pocket/host.h>

namespace pk::automation {

// The program's main window: its first top-level window; null before it exists.
HWND mainWindow();
HWND activeWindow();

// Points of the host's screen to tap (what a stylus touches), or nothing when the thing
// is not on screen.
std::optional<POINT> menuBarButton(std::u16string_view text);  // by label
std::optional<POINT> menuBarButtonById(int command);           // by command id
std::optional<POINT> popupMenuItem(std::u16string_view text);  // in the open pop-up menu
std::optional<POINT> navigationOk();                           // the "ok" of the navigation bar
std::optional<POINT> dialogControl(std::u16string_view text);  // active dialog or message box
std::optional<POINT> dialogControl(int id);
std::optional<POINT> dropListItem(int index);                  // in the open drop-down list
std::optional<bool> checkState(int id);                        // of a check box in the active dialog

// The active window and its state, in the script host's `dump` format.
std::string dump();

// Where a device file lies on the host (empty when the path leaves the device).
std::filesystem::path hostFile(std::u16string_view devicePath);

// Live GDI objects (bitmaps, brushes, fonts, pens made by the program) and device contexts.
size_t liveGdiObjects();
size_t liveDeviceContexts();

}  // namespace pk::automation
