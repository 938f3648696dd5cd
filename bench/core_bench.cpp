// The game core's heavy moments: selecting the largest possible group, one burst
// settling a full board in each style (pauses on a virtual clock), and the state file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include <windows.h>
#include <pocket/module.h>

#include "core/board.h"
#include "core/collapse.h"
#include "core/records.h"
#include "core/selection.h"
#include "bench_device.h"
#include "store/statefile.h"

namespace {

using bench::BenchDevice;

void BM_SelectWholeBoard(benchmark::State& state) {
  BenchDevice device;
  clearBoard();
  for (int col = 0; col < kMaxCols; ++col)
    for (int row = 0; row < kMaxRows; ++row) cellAt(col, row) = {2, 0, 0, 1, 0};
  layoutBoard();
  HDC dc = GetDC(mainWindow);
  for (auto _ : state) {
    clearSelection();
    selectGroup(dc, 11, 11);
  }
  state.SetItemsProcessed(state.iterations() * kCellCount);
  ReleaseDC(mainWindow, dc);
}
BENCHMARK(BM_SelectWholeBoard)->Unit(benchmark::kMicrosecond);

// Deals the same full board and marks its largest group, off the clock.
int markLargestGroup(HDC dc) {
  std::srand(2024);
  fillBoard();
  makeIncomingColumns();
  int bestCol = 0;
  int bestRow = 0;
  int best = 0;
  for (int col = 0; col < kMaxCols; ++col) {
    for (int row = 0; row < kMaxRows; ++row) {
      clearSelection();
      selectGroup(dc, col, row);
      if (selectionCount > best) {
        best = selectionCount;
        bestCol = col;
        bestRow = row;
      }
    }
  }
  clearSelection();
  selectGroup(dc, bestCol, bestRow);
  return best;
}

void BM_BurstAndSettle(benchmark::State& state) {
  BenchDevice device;
  gameState.style = int32_t(state.range(0));
  incomingShown = (gameState.style == STYLE_CONTINUOUS || gameState.style == STYLE_MEGASHIFT) ? 1 : 0;
  HDC dc = GetDC(mainWindow);
  for (auto _ : state) {
    state.PauseTiming();
    markLargestGroup(dc);
    state.ResumeTiming();
    removeSelected(dc);
    collapseBoard(dc);
  }
  state.counters["virtual_ms"] =
      benchmark::Counter(double(device.host.clock), benchmark::Counter::kAvgIterations);
  ReleaseDC(mainWindow, dc);
}
BENCHMARK(BM_BurstAndSettle)
    ->ArgName("style")
    ->DenseRange(STYLE_STANDARD, STYLE_MEGASHIFT)
    ->Unit(benchmark::kMicrosecond);

void BM_SaveAndLoadStateFile(benchmark::State& state) {
  BenchDevice device;
  std::srand(7);
  fillBoard();
  playStatus.gameInProgress = 1;
  for (auto _ : state) {
    saveStateFile();
    loadStateFile();
  }
  state.SetBytesProcessed(state.iterations() * 2 * kStateFileSize);
}
BENCHMARK(BM_SaveAndLoadStateFile)->Unit(benchmark::kMicrosecond);

}  // namespace
