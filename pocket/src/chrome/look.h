// The look of the device, shared by the shell and the dialog manager: its
// colours, its Tahoma text, and small drawing and window helpers.
#pragma once
#include <string>
#include <vector>

#include <windows.h>

namespace pk::chrome {

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

}  // namespace pk::chrome
