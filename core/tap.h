// The stylus-down handler of the main window: select, burst or drop a group.
#pragma once
#include <windows.h>

LRESULT onTap(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The cell under client point (x, y), false when the point is off the board.
bool cellAtPoint(HWND window, int x, int y, int* col, int* row);
