// A virtual device for the benchmarks: no pauses, no sound, a window with room
// for a 22 x 22 board, and a folder for the state file.
#pragma once
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include <windows.h>
#include <pocket/module.h>

#include "core/records.h"
#include "system/device.h"
#include "system/resource.h"
#include "shell/shell.h"

namespace bench {

class VirtualClockHost : public pk::Host {
 public:
  uint64_t clock = 0;
  void present(pk::ScreenView) override {}
  bool nextEvent(pk::InputEvent&, int) override { return false; }
  void pause(uint32_t ms) override { clock += ms; }
  uint64_t milliseconds() override { return clock; }
  uint32_t random() override { return 4; }
  void playSound(std::vector<int16_t>, int) override {}
  void stopSound() override {}
  bool openDocument(const std::filesystem::path&) override { return false; }
};

inline LRESULT CALLBACK benchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

// A device with room for a 22 x 22 board and a folder for the state file.
struct BenchDevice {
  VirtualClockHost host;
  std::filesystem::path root;

  BenchDevice() {
    std::string pattern = (std::filesystem::temp_directory_path() / "fzbench-XXXXXX").string();
    root = mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : std::filesystem::temp_directory_path();
    pk::DeviceConfig config;
    config.width = 480;
    config.height = 520;
    config.root = root;
    pk::setUpDevice(host, config, &pkProgramModule);
    appInstance = pk::instanceOf(pkProgramModule);
    WNDCLASSW wc;
    std::memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = benchWindowProc;
    wc.hInstance = appInstance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = u"BenchBoard";
    RegisterClassW(&wc);
    mainWindow = CreateWindowExW(0, u"BenchBoard", u"BenchBoard", WS_VISIBLE, 0, 26, 480, 468, nullptr, nullptr,
                                 appInstance, nullptr);
    gameState.cols = kMaxCols;
    gameState.rows = kMaxRows;
    gameState.cellSize = kCellSize;
    gameState.colorCount = kColorCount;
  }
  ~BenchDevice() {
    DestroyWindow(mainWindow);
    mainWindow = nullptr;
    pk::device().host = nullptr;
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }
};

}  // namespace bench
