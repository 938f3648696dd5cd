// The drawing library's own records: objects behind handles, device contexts,
// and where a DC's drawing lands.
#pragma once
#include <cstdint>
#include <vector>

#include <windows.h>
#include "gdi/surface.h"

namespace pk::gdi {

inline constexpr COLORREF kInvalidColor = 0xFFFFFFFF;

struct Bitmap {
  Surface surface;
  bool mono = false;
  HDC selectedIn = nullptr;  // a bitmap lives in at most one DC
};

struct Brush {
  COLORREF color = 0;
  bool hollow = false;
};

struct Pen {
  COLORREF color = 0;
  bool hollow = false;
};

struct Font {
  LOGFONTW logical{};
  int pixelSize = 11;  // em size in pixels
  bool bold = false;
};

struct DC {
  bool screen = false;
  POINT origin{0, 0};
  std::vector<RECT> visible;  // screen DCs: screen rectangles
  HBITMAP bitmap = nullptr;   // memory DCs
  HBRUSH brush = nullptr;
  HPEN pen = nullptr;
  HFONT font = nullptr;
  COLORREF textColor = 0;
  COLORREF bkColor = 0xFFFFFF;
};

// Lookups by handle: null when the handle is not a live object of that kind.
Bitmap* findBitmap(const void* handle);
Brush* findBrush(const void* handle);
Pen* findPen(const void* handle);
Font* findFont(const void* handle);
DC* findDC(const void* handle);

HBITMAP addBitmap(Bitmap bitmap);
HFONT stockSystemFont();

// Where a DC's drawing lands: device coordinates are DC coordinates plus the origin,
// and every pixel written lies in one of the clip rectangles (inside the surface).
struct Target {
  Surface* surface = nullptr;
  int ox = 0;
  int oy = 0;
  std::vector<RECT> clips;
  RECT bounds{0, 0, 0, 0};  // box around all clips
  bool mono = false;
};
// Sets up the target of a DC and notes a screen change; false when nothing can be drawn.
bool targetOf(DC& dc, Target& out);

uint32_t pixelFor(const Target& t, COLORREF color);
uint32_t monoPixel(uint32_t pixel);
// Device-coordinate rectangle, right and bottom excluded.
void fillDeviceRect(Target& t, int64_t left, int64_t top, int64_t right, int64_t bottom, uint32_t pixel);
void plot(Target& t, int64_t x, int64_t y, uint32_t pixel);

}  // namespace pk::gdi
