// A device with one main window for the board view's tests, and ways to read
// back what was drawn on its screen.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <windows.h>
#include <pocket/automation.h>
#include <pocket/module.h>

#include "core/board.h"
#include "core/records.h"
#include "device.h"
#include "fake_host.h"
#include "gdi.h"
#include "resource.h"
#include "shell/shell.h"
#include "surface.h"
#include "view/view.h"
#include "wm.h"

namespace viewtest {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;

inline LRESULT CALLBACK boardWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) return onPaint(window, message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

// A picture of the program's resources, as pixels.
struct Picture {
  pk::Surface surface;
  bool loaded = false;
};

inline Picture loadPicture(const char16_t* name) {
  Picture out;
  HBITMAP bitmap = LoadBitmapW(pk::instanceOf(pkProgramModule), name);
  if (!bitmap) return out;
  if (const pk::Surface* s = pk::gdi::bitmapSurface(bitmap)) {
    out.surface = *s;
    out.loaded = true;
  }
  DeleteObject(bitmap);
  return out;
}

// Keeps what the screen showed at every pause, so animations can be checked step by step.
class RecordingHost : public test::FakeHost {
 public:
  std::vector<pk::Surface> screens;
  void pause(uint32_t ms) override {
    screens.push_back(pk::device().screen);
    FakeHost::pause(ms);
  }
};

class ViewTest : public ::testing::Test {
 protected:
  RecordingHost host;
  HWND window = nullptr;
  int clientWidth = 240;
  int clientHeight = 268;
  int deviceBits = 16;

  void SetUp() override { start(); }

  // Separate from SetUp so a test can ask for another window or display first.
  void start() {
    pk::wm::resetWindowSystem();
    pk::DeviceConfig config;
    config.width = clientWidth > 240 ? clientWidth : 240;
    config.height = clientHeight + 52 > 320 ? clientHeight + 52 : 320;
    config.bits = deviceBits;
    pk::setUpDevice(host, config, &pkProgramModule);
    appInstance = pk::instanceOf(pkProgramModule);

    resetRecords();
    WNDCLASSW wc;
    std::memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = boardWindowProc;
    wc.hInstance = appInstance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = u"ViewTest";
    ASSERT_NE(RegisterClassW(&wc), 0);
    window = CreateWindowExW(0, u"ViewTest", u"ViewTest", WS_VISIBLE, 0, 26, clientWidth, clientHeight,
                             nullptr, nullptr, appInstance, nullptr);
    ASSERT_NE(window, nullptr);
    mainWindow = window;
    HDC dc = GetDC(window);
    bubbleBacking = CreateCompatibleDC(dc);
    bubbleBackingBitmap = CreateCompatibleBitmap(dc, 320, 320);
    SelectObject(bubbleBacking, bubbleBackingBitmap);
    ReleaseDC(window, dc);
    drainPaints();
    clearClient();
    host.pauses.clear();
    host.sounds.clear();
    host.notes.clear();
    host.screens.clear();
  }

  void TearDown() override {
    if (bubbleBacking) DeleteDC(bubbleBacking);
    if (bubbleBackingBitmap) DeleteObject(bubbleBackingBitmap);
    bubbleBacking = nullptr;
    bubbleBackingBitmap = nullptr;
    mainWindow = nullptr;
    pk::wm::resetWindowSystem();
  }

  static void resetRecords() {
    std::memset(&board, 0, sizeof board);
    std::memset(&gameState, 0, sizeof gameState);
    std::memset(&playStatus, 0, sizeof playStatus);
    std::memset(&options, 0, sizeof options);
    clearBoard();
    options.playSounds = 1;
    options.bubbleSet = BUBBLES_COLORFUL;
    gameState.cellSize = kCellSize;
    gameState.colorCount = kColorCount;
    selectionCount = selectionValue = selectionShown = 0;
    incomingShown = demoRunning = splashShown = firstShow = 0;
    colorResolution = 16;
  }

  // Handles a pending paint at once, as start-up does.
  void drainPaints() { UpdateWindow(window); }

  // Fills the whole client area with one colour so that anything drawn shows.
  void clearClient(COLORREF color = RGB(255, 255, 255)) {
    HDC dc = GetDC(window);
    RECT all = {0, 0, clientWidth, clientHeight};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    ReleaseDC(window, dc);
  }

  // A board of cols x rows laid out in the window, every cell a bubble of colour (i + j) % 5.
  void dealPattern(int cols, int rows) {
    gameState.cols = cols;
    gameState.rows = rows;
    for (int i = 0; i < cols; ++i)
      for (int j = 0; j < rows; ++j) {
        cellAt(i, j).color = (i + j) % 5;
        cellAt(i, j).occupied = 1;
      }
    layoutBoard();
  }

  // Pixel of the client area, 0x00RRGGBB.
  uint32_t pixel(int x, int y) const {
    RECT r = pk::wm::screenRect(window);
    return pk::device().screen.row(r.top + y)[r.left + x];
  }

  // Whether the w x h block at client (x, y) shows the picture's top-left w x h pixels.
  ::testing::AssertionResult showsPicture(int x, int y, const Picture& picture, int w = 0, int h = 0) const {
    if (!picture.loaded) return ::testing::AssertionFailure() << "picture not loaded";
    if (w == 0) w = picture.surface.width;
    if (h == 0) h = picture.surface.height;
    for (int dy = 0; dy < h; ++dy)
      for (int dx = 0; dx < w; ++dx)
        if (pixel(x + dx, y + dy) != picture.surface.row(dy)[dx])
          return ::testing::AssertionFailure()
                 << "differs at client (" << x + dx << ", " << y + dy << "): 0x" << std::hex << pixel(x + dx, y + dy)
                 << " instead of 0x" << picture.surface.row(dy)[dx];
    return ::testing::AssertionSuccess();
  }

  ::testing::AssertionResult cellShows(int col, int row, const Picture& picture) const {
    return showsPicture(cellAt(col, row).x, cellAt(col, row).y, picture);
  }

  // Pixels of a client rectangle, for before/after comparisons.
  std::vector<uint32_t> grab(int left, int top, int right, int bottom) const {
    std::vector<uint32_t> out;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) out.push_back(pixel(x, y));
    return out;
  }

  int countPixels(int left, int top, int right, int bottom, uint32_t value) const {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) n += pixel(x, y) == value;
    return n;
  }
};

inline const char16_t* colorPictureName(int color) {
  static const char16_t* const names[] = {u"COLOR20A", u"COLOR20B", u"COLOR20C", u"COLOR20D", u"COLOR20E"};
  return names[color];
}

}  // namespace viewtest
