// A virtual device with a main window of the game's usual size, fresh records
// and helpers to lay out boards and read the screen, for the game-core tests.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
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
#include "store/statefile.h"
#include "wm.h"

namespace coretest {

// Closes every dialog that waits for input with OK, as a player would, and counts them.
class CoreHost : public test::FakeHost {
 public:
  int dialogsClosed = 0;
  bool nextEvent(pk::InputEvent& out, int timeoutMs) override {
    HWND active = pk::automation::activeWindow();
    if (events.empty() && active && active != mainWindow) {
      PostMessageW(active, WM_COMMAND, IDOK, 0);
      ++dialogsClosed;
      return false;
    }
    return FakeHost::nextEvent(out, timeoutMs);
  }
};

constexpr int kWindowTop = pk::wm::kNavBarHeight;

inline std::filesystem::path freshRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "fzcore-XXXXXX").string();
  char* made = mkdtemp(pattern.data());
  return made ? std::filesystem::path(made) : std::filesystem::path();
}

inline LRESULT CALLBACK plainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

class Device : public ::testing::Test {
 protected:
  CoreHost host;
  std::filesystem::path root = freshRoot();
  HWND window = nullptr;

  // Screen and client size; a bigger screen leaves room for a 22 x 22 board.
  virtual int screenWidth() const { return 240; }
  virtual int screenHeight() const { return 320; }
  virtual int clientHeight() const { return 268; }

  void SetUp() override {
    pk::wm::resetWindowSystem();
    pk::DeviceConfig config;
    config.root = root;
    config.width = screenWidth();
    config.height = screenHeight();
    pk::setUpDevice(host, config, &pkProgramModule);
    resetRecords();
    appInstance = pk::instanceOf(pkProgramModule);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = plainWindowProc;
    wc.hInstance = appInstance;
    wc.hbrBackground = HBRUSH(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = u"CoreTest";
    RegisterClassW(&wc);
    window = CreateWindowExW(0, u"CoreTest", u"CoreTest", WS_VISIBLE, 0, kWindowTop, screenWidth(), clientHeight(),
                             nullptr, nullptr, appInstance, nullptr);
    mainWindow = window;
    HDC screen = GetDC(window);
    bubbleBacking = CreateCompatibleDC(screen);
    bubbleBackingBitmap = CreateCompatibleBitmap(screen, 320, 320);
    SelectObject(bubbleBacking, bubbleBackingBitmap);
    ReleaseDC(window, screen);
  }

  void TearDown() override {
    DeleteDC(bubbleBacking);
    DeleteObject(bubbleBackingBitmap);
    bubbleBacking = nullptr;
    bubbleBackingBitmap = nullptr;
    mainWindow = nullptr;
    pk::wm::resetWindowSystem();
    pk::device().host = nullptr;
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }

  // A fresh process: zero records, start-up reset, defaults of a missing state file.
  static void resetRecords() {
    std::memset(&board, 0, sizeof board);
    std::memset(&gameState, 0, sizeof gameState);
    std::memset(&undoBoard, 0, sizeof undoBoard);
    selectionCount = selectionValue = selectionShown = canUndo = 0;
    scoreBeforeMove = savedIncomingIndex = endBonus = incomingShown = demoRunning = splashShown = 0;
    initGameCore();
    loadStateFile();
  }

  void resizeClient(int width, int height) { pk::wm::moveWindow(window, 0, kWindowTop, width, height); }

  // Rows of the board from the top, one character a cell: '0'..'4' a bubble, '.' none.
  // Sets the game up as a game of `style` in progress with that board, laid out.
  void setBoard(const std::vector<std::string>& rows, int style = STYLE_STANDARD) {
    clearBoard();
    gameState.rows = int(rows.size());
    gameState.cols = rows.empty() ? 0 : int(rows[0].size());
    gameState.style = style;
    gameState.cellSize = kCellSize;
    gameState.colorCount = kColorCount;
    incomingShown = (style == STYLE_CONTINUOUS || style == STYLE_MEGASHIFT) ? 1 : 0;
    playStatus.gameInProgress = 1;
    gameState.countsForStats = 1;
    for (int row = 0; row < gameState.rows; ++row) {
      for (int col = 0; col < gameState.cols; ++col) {
        char c = rows[row][col];
        Cell& cell = cellAt(col, row);
        cell.color = c == '.' ? kNoColor : c - '0';
        cell.occupied = c == '.' ? 0 : 1;
      }
    }
    layoutBoard();
    paintScreen();
  }

  // Every cell in play with its picture, as a paint would leave the screen.
  void paintScreen() {
    static const LPCWSTR names[6] = {u"COLOR20A", u"COLOR20B", u"COLOR20C", u"COLOR20D", u"COLOR20E", u"BLANK20WHITE"};
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    for (int col = 0; col < gameState.cols; ++col) {
      for (int row = 0; row < gameState.rows; ++row) {
        const Cell& cell = cellAt(col, row);
        HBITMAP picture = LoadBitmapW(appInstance, names[cell.occupied ? cell.color : 5]);
        HGDIOBJ previous = SelectObject(memory, picture);
        BitBlt(dc, cell.x, cell.y, kCellSize, kCellSize, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteObject(picture);
      }
    }
    DeleteDC(memory);
    ReleaseDC(window, dc);
  }

  static std::vector<std::string> boardRows() {
    std::vector<std::string> out;
    for (int row = 0; row < gameState.rows; ++row) {
      std::string line;
      for (int col = 0; col < gameState.cols; ++col) {
        const Cell& cell = cellAt(col, row);
        line += cell.occupied ? char('0' + cell.color) : '.';
      }
      out.push_back(line);
    }
    return out;
  }

  static void selectCells(const std::vector<std::pair<int, int>>& cells) {
    for (auto [col, row] : cells) cellAt(col, row).selected = 1;
    selectionCount = int32_t(cells.size());
    selectionShown = 1;
  }

  // Pixel of the main window's client area, 0x00RRGGBB.
  uint32_t clientPixel(int x, int y) const {
    const pk::Surface& screen = pk::device().screen;
    return screen.row(y + kWindowTop)[x];
  }

  static LPARAM at(int x, int y) { return MAKELPARAM(x, y); }
  // Client point in the middle of a cell.
  static LPARAM onCell(int col, int row) {
    const Cell& cell = cellAt(col, row);
    return at(cell.x + kCellSize / 2, cell.y + kCellSize / 2);
  }

  int countNotes(const std::string& part) const {
    int n = 0;
    for (const auto& line : host.notes)
      if (line.find(part) != std::string::npos) ++n;
    return n;
  }
  int countPauses(uint32_t ms) const {
    int n = 0;
    for (uint32_t p : host.pauses)
      if (p == ms) ++n;
    return n;
  }

  std::string stateFileBytes() const {
    std::ifstream in(root / "Windows" / "Fizzorbs.dat", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  bool stateFileExists() const { return std::filesystem::exists(root / "Windows" / "Fizzorbs.dat"); }
};

class BigDevice : public Device {
 protected:
  int screenWidth() const override { return 480; }
  int screenHeight() const override { return 520; }
  int clientHeight() const override { return 468; }
};

// The picture a cell shows on screen matches the board: its colour's or the blank one.
inline ::testing::AssertionResult screenMatchesBoard(int windowTop) {
  static const LPCWSTR names[6] = {u"COLOR20A", u"COLOR20B", u"COLOR20C", u"COLOR20D", u"COLOR20E", u"BLANK20WHITE"};
  HBITMAP pictures[6];
  for (int i = 0; i < 6; ++i) pictures[i] = LoadBitmapW(appInstance, names[i]);
  const pk::Surface& screen = pk::device().screen;
  ::testing::AssertionResult result = ::testing::AssertionSuccess();
  for (int col = 0; col < gameState.cols && result; ++col) {
    for (int row = 0; row < gameState.rows && result; ++row) {
      const Cell& cell = cellAt(col, row);
      const pk::Surface* picture = pk::gdi::bitmapSurface(pictures[cell.occupied ? cell.color : 5]);
      for (int y = 0; y < kCellSize && result; ++y) {
        for (int x = 0; x < kCellSize; ++x) {
          int sx = cell.x + x;
          int sy = cell.y + y + windowTop;
          if (!screen.contains(sx, sy)) continue;
          if (screen.row(sy)[sx] != picture->row(y)[x]) {
            result = ::testing::AssertionFailure() << "cell " << col << "," << row << " differs at pixel " << x << ","
                                                   << y;
            break;
          }
        }
      }
    }
  }
  for (HBITMAP p : pictures) DeleteObject(p);
  return result;
}

}  // namespace coretest
