// What the window manager and the shell need of the drawing library beyond
// the platform's own calls.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include <windows.h>
#include "gdi/surface.h"

namespace pk::gdi {

// A device context drawing on the device screen: (0, 0) is `origin` on the screen and all
// drawing is clipped to the union of `visible` (screen rectangles). Starts with the
// platform's default state: black 1-pixel pen, white brush, black text, white opaque
// background, the system font.
HDC createScreenDC(POINT origin, std::vector<RECT> visible);
// Releases a DC made by createScreenDC (ReleaseDC and EndPaint come here).
void destroyScreenDC(HDC dc);

// A bitmap from a device-independent bitmap: BITMAPINFOHEADER, palette, bits (1, 4, 8, 24).
// Null when the data is not such a bitmap.
HBITMAP createBitmapFromDib(const unsigned char* dib, size_t size);
// The same from a whole .bmp file (with its 14-byte file header).
HBITMAP createBitmapFromBmpFile(const unsigned char* file, size_t size);
const Surface* bitmapSurface(HBITMAP bitmap);

size_t liveObjects();  // bitmaps, brushes, fonts and pens made and not yet deleted
size_t liveDCs();      // memory and screen DCs not yet deleted or released

// The program has ended: everything it still held goes, as the platform frees a
// finished process's objects. Old handles stay invalid; stock objects stay.
void releaseAll();

}  // namespace pk::gdi
