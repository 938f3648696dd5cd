// Painting a full 22 x 22 board into the main window.
#include <benchmark/benchmark.h>

#include <cstring>

#include <windows.h>
#include <pocket/module.h>

#include "core/board.h"
#include "core/records.h"
#include "bench_device.h"
#include "view/view.h"

namespace {

void BM_PaintFullBoard(benchmark::State& state) {
  bench::BenchDevice device;
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
}
BENCHMARK(BM_PaintFullBoard)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
