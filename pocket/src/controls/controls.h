// The dialog manager and its controls: what the shell and automation need of
// dialogs, message boxes and the controls in them.
#pragma once
#include <string>
#include <vector>

#include <windows.h>

namespace pk::chrome {

bool isDialog(HWND hwnd);
bool isMessageBox(HWND hwnd);
bool hasDoneButton(HWND hwnd);
// Dialog base units for the dialog font: average character width and height.
SIZE dialogBaseUnits();

enum class ControlKind { Other, Static, Picture, PushButton, DefaultButton, CheckBox, DropList };
ControlKind controlKind(HWND hwnd);
// What a control shows: its text, or a drop-down list's chosen item.
std::u16string controlText(HWND hwnd);
// "STATIC", "BUTTON" and "COMBOBOX", for dialogs and message boxes.
void registerControlClasses();
// The open drop-down list of a combo box: item screen rectangles in index order.
std::vector<RECT> openDropListItems();

}  // namespace pk::chrome
