// What the main window's paints put on screen, for the hosts' keyboard stylus.
#pragma once
#include <windows.h>

namespace pk::painted {

void paintBegins(HWND window, HDC dc);
void paintEnds(HDC dc);
// A square picture copied onto the screen through `dc`, at device screen point (x, y).
void squarePicture(HDC dc, int x, int y, int size);

}  // namespace pk::painted
