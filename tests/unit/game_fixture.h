// One virtual device for the game tests: the game's usual main window, painted
// by the game, and ways to lay out boards and read the screen back.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <pocket/automation.h>
#include <pocket/module.h>

#include "core/board.h"
#include "core/records.h"
#include "core/tap.h"
#include "system/device.h"
#include "fake_host.h"
#include "gdi/gdi.h"
#include "system/resource.h"
#include "shell/shell.h"
#include "store/statefile.h"
#include "view/view.h"
#include "wm/wm.h"

namespace gametest {

using Rows = std::vector<std::string>;
constexpr int kTop = pk::wm::kNavBarHeight;
constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0, kBlue = 0x0000FF;

// With nothing left to do, answers any dialog with OK as a player would, so no
// test can hang on one.
class GameHost : public test::FakeHost {
 public:
  std::vector<pk::Surface> screens;  // the screen at every pause, when kept
  bool keepScreens = false;
  int dialogsClosed = 0;

  void pause(uint32_t ms) override {
    if (keepScreens) screens.push_back(pk::device().screen);
    FakeHost::pause(ms);
  }
  bool nextEvent(pk::InputEvent& out, int timeoutMs) override {
    HWND active = pk::automation::activeWindow();
    if (events.empty() && steps.empty() && active && active != mainWindow) {
      PostMessageW(active, WM_COMMAND, IDOK, 0);
      ++dialogsClosed;
      return false;
    }
    return FakeHost::nextEvent(out, timeoutMs);
  }
};

// Fails when the drawing done by the arguments leaves a GDI object or device context behind.
#define EXPECT_NO_GDI_LEAK(...)                                                 \
  do {                                                                          \
    size_t objects_ = pk::automation::liveGdiObjects();                         \
    size_t dcs_ = pk::automation::liveDeviceContexts();                         \
    __VA_ARGS__;                                                                \
    EXPECT_EQ(pk::automation::liveGdiObjects(), objects_);                      \
    EXPECT_EQ(pk::automation::liveDeviceContexts(), dcs_);                      \
  } while (0)

inline LRESULT CALLBACK gameWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return m == WM_PAINT ? onPaint(w, m, wp, lp) : DefWindowProcW(w, m, wp, lp);
}

class Game : public ::testing::Test {
 protected:
  GameHost host;
  std::filesystem::path root;
  HWND window = nullptr;

  void SetUp() override { start(16); }
  void TearDown() override {
    stop();
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }

  void start(int bits) {
    if (root.empty()) root = test::freshRoot();
    pk::wm::resetWindowSystem();
    pk::DeviceConfig config;
    config.root = root;
    config.bits = bits;
    pk::setUpDevice(host, config, &pkProgramModule);
    appInstance = pk::instanceOf(pkProgramModule);
    resetRecords();
    mainWindow = window = openWindow(u"GameTest", gameWindowProc);
    HDC dc = GetDC(window);
    bubbleBacking = CreateCompatibleDC(dc);
    bubbleBackingBitmap = CreateCompatibleBitmap(dc, 320, 320);
    SelectObject(bubbleBacking, bubbleBackingBitmap);
    ReleaseDC(window, dc);
    UpdateWindow(window);
    clearClient();
  }
  void stop() {
    DeleteDC(bubbleBacking);
    DeleteObject(bubbleBackingBitmap);
    bubbleBacking = nullptr;
    bubbleBackingBitmap = nullptr;
    mainWindow = nullptr;
    pk::wm::resetWindowSystem();
    pk::device().host = nullptr;
  }

  // A fresh process: zero records, start-up reset, defaults of a missing state file.
  static void resetRecords() {
    std::memset(&board, 0, sizeof board);
    std::memset(&gameState, 0, sizeof gameState);
    std::memset(&undoBoard, 0, sizeof undoBoard);
    selectionCount = selectionValue = selectionShown = canUndo = 0;
    scoreBeforeMove = savedIncomingIndex = endBonus = 0;
    initGameCore();
    loadStateFile();
    firstShow = 0;
    colorResolution = 16;
    valueBubbleRect = {};
  }

  // A visible window of the usual client size in a class of its own, white behind.
  static HWND openWindow(const char16_t* className, WNDPROC proc) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = appInstance;
    wc.hbrBackground = HBRUSH(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    return CreateWindowExW(0, className, className, WS_VISIBLE, 0, kTop, 240, 268, nullptr, nullptr, appInstance,
                           nullptr);
  }
  void resizeClient(int width, int height) { pk::wm::moveWindow(window, 0, kTop, width, height); }
  void clearClient(COLORREF color = RGB(255, 255, 255)) {
    HDC dc = GetDC(window);
    RECT all = {0, 0, 480, 480};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    ReleaseDC(window, dc);
  }

 public:
  // Draws through a DC of the window, leaving no GDI object or DC behind.
  void draw(const std::function<void(HDC)>& drawing) {
    HDC dc = GetDC(window);
    EXPECT_NO_GDI_LEAK(drawing(dc));
    ReleaseDC(window, dc);
  }
  void paint() {
    draw([&](HDC dc) { paintBoard(window, dc); });
  }
  // As the window manager asks for it, without erasing.
  void repaint() {
    InvalidateRect(window, nullptr, FALSE);
    UpdateWindow(window);
  }

  // Rows from the top, a character a cell: '0'..'4' a bubble, '.' none. Sets up a
  // counted game of `style` in progress with that board, laid out and painted.
  void setBoard(const Rows& rows, int style = STYLE_STANDARD) {
    clearBoard();
    selectionCount = selectionValue = selectionShown = 0;
    gameState.rows = int(rows.size());
    gameState.cols = rows.empty() ? 0 : int(rows[0].size());
    gameState.style = style;
    gameState.cellSize = kCellSize;
    gameState.colorCount = kColorCount;
    incomingShown = style == STYLE_CONTINUOUS || style == STYLE_MEGASHIFT;
    playStatus.gameInProgress = 1;
    gameState.countsForStats = 1;
    for (int row = 0; row < gameState.rows; ++row)
      for (int col = 0; col < gameState.cols; ++col) {
        char c = rows[row][col];
        cellAt(col, row).color = c == '.' ? kNoColor : c - '0';
        cellAt(col, row).occupied = c != '.';
      }
    layoutBoard();
    paint();
  }
  static Rows boardRows() {
    Rows out(gameState.rows);
    for (int row = 0; row < gameState.rows; ++row)
      for (int col = 0; col < gameState.cols; ++col)
        out[row] += cellAt(col, row).occupied ? char('0' + cellAt(col, row).color) : '.';
    return out;
  }
  static void selectCells(const std::vector<std::pair<int, int>>& cells) {
    for (auto [col, row] : cells) cellAt(col, row).selected = 1;
    selectionCount = int32_t(cells.size());
    selectionValue = selectionCount * (selectionCount - 1);
    selectionShown = 1;
  }

  void tap(int col, int row) {
    const Cell& cell = cellAt(col, row);
    tapAt(cell.x + kCellSize / 2, cell.y + kCellSize / 2);
  }
  void tapAt(int x, int y) { onTap(window, WM_LBUTTONDOWN, 0, MAKELPARAM(x, y)); }

  // Client pixel, 0x00RRGGBB, of the live screen or one kept at a pause.
  static uint32_t pixel(int x, int y, const pk::Surface& s = pk::device().screen) { return s.row(y + kTop)[x]; }
  // Whether the block at client (x, y) shows the named picture, whole or its top-left w x h.
  static ::testing::AssertionResult shows(int x, int y, const char16_t* name, const pk::Surface& s = pk::device().screen) {
    HBITMAP bitmap = LoadBitmapW(appInstance, name);
    const pk::Surface* found = pk::gdi::bitmapSurface(bitmap);
    const pk::Surface picture = found ? *found : pk::Surface{};
    DeleteObject(bitmap);
    if (!found) return ::testing::AssertionFailure() << "no picture";
    for (int dy = 0; dy < picture.height; ++dy)
      for (int dx = 0; dx < picture.width; ++dx)
        if (s.contains(x + dx, y + dy + kTop) && pixel(x + dx, y + dy, s) != picture.row(dy)[dx])
          return ::testing::AssertionFailure() << "differs at client " << x + dx << "," << y + dy;
    return ::testing::AssertionSuccess();
  }
  static ::testing::AssertionResult cellShows(int col, int row, const char16_t* name,
                                              const pk::Surface& s = pk::device().screen) {
    return shows(cellAt(col, row).x, cellAt(col, row).y, name, s) << " in cell " << col << "," << row;
  }
  // Every cell in play shows its colour's picture or the blank one.
  static ::testing::AssertionResult boardOnScreen() {
    static const char16_t* const names[] = {u"COLOR20A", u"COLOR20B", u"COLOR20C", u"COLOR20D", u"COLOR20E"};
    for (int col = 0; col < gameState.cols; ++col)
      for (int row = 0; row < gameState.rows; ++row) {
        int color = cellAt(col, row).color;
        if (auto r = cellShows(col, row, color >= 0 && color < 5 ? names[color] : u"BLANK20WHITE"); !r) return r;
      }
    return ::testing::AssertionSuccess();
  }
  static int countPixels(int left, int top, int right, int bottom, uint32_t value) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) n += pixel(x, y) == value;
    return n;
  }
  static std::vector<uint32_t> screen() { return pk::device().screen.pixels; }
  // What the game drew in place equals what a full repaint of the same state draws,
  // erasing first as any exposed window does.
  ::testing::AssertionResult sameAsFullRepaint() {
    const std::vector<uint32_t> inPlace = screen();
    clearClient(RGB(255, 0, 255));
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    const std::vector<uint32_t> full = screen();
    for (size_t i = 0; i < full.size(); ++i)
      if (full[i] != inPlace[i])
        return ::testing::AssertionFailure() << "differs at client " << i % 240 << "," << int(i / 240) - kTop
                                             << ": " << std::hex << inPlace[i] << " in place, " << full[i];
    return ::testing::AssertionSuccess();
  }

  int countNotes(const std::string& part) const {
    int n = 0;
    for (const auto& line : host.notes) n += line.find(part) != std::string::npos;
    return n;
  }
  // What was heard, without the lookups for device files that are not there.
  std::vector<std::string> soundsPlayed() const {
    std::vector<std::string> out;
    for (const auto& line : host.notes)
      if (line.starts_with("sound ") && line.ends_with(" played")) out.push_back(line);
    return out;
  }
  std::filesystem::path stateFile() const { return root / "Windows" / "Fizzorbs.dat"; }
  std::string stateFileBytes() const {
    std::ifstream in(stateFile(), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
};

}  // namespace gametest
