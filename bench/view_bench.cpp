// Painting a full 22 x 22 board into the main window.
#include <benchmark/benchmark.h>

#include <cstring>

#include <windows.h>
#include <pocket/module.h>

#include "core/board.h"
#include "core/records.h"
#include "device.h"
#include "resource.h"
#include "shell/shell.h"
#include "view/view.h"

namespace {

class QuietHost : public pk::Host {
 public:
  void present(pk::ScreenView) override {}
  bool nextEvent(pk::InputEvent&, int) override { return false; }
  void pause(uint32_t) override {}
  uint64_t milliseconds() override { return 0; }
  uint32_t random() override { return 4; }
  void playSound(std::vector<int16_t>, int) override {}
  void stopSound() override {}
  bool openDocument(const std::filesystem::path&) override { return false; }
};

LRESULT CALLBACK benchWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

void BM_PaintFullBoard(benchmark::State& state) {
  QuietHost host;
  pk::DeviceConfig config;
  config.width = 480;
  config.height = 520;
  pk::setUpDevice(host, config, &pkProgramModule);
  appInstance = pk::instanceOf(pkProgramModule);

  WNDCLASSW wc;
  std::memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = benchWindowProc;
  wc.hInstance = appInstance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = u"ViewBench";
  RegisterClassW(&wc);
  mainWindow = CreateWindowExW(0, u"ViewBench", u"ViewBench", WS_VISIBLE, 0, 26, 480, 468, nullptr, nullptr,
                               appInstance, nullptr);

  clearBoard();
  gameState.cols = kMaxCols;
  gameState.rows = kMaxRows;
  gameState.cellSize = kCellSize;
  for (int i = 0; i < kMaxCols; ++i)
    for (int j = 0; j < kMaxRows; ++j) {
      cellAt(i, j).color = (i * 3 + j) % kColorCount;
      cellAt(i, j).occupied = 1;
      cellAt(i, j).selected = (i + j) % 3 == 0;
    }
  selectionShown = 1;
  layoutBoard();

  HDC dc = GetDC(mainWindow);
  for (auto _ : state) paintBoard(mainWindow, dc);
  ReleaseDC(mainWindow, dc);
  DestroyWindow(mainWindow);
  mainWindow = nullptr;
}
BENCHMARK(BM_PaintFullBoard)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
