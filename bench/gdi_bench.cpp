// Drawing library: a full board of cell blits, and header text.
#include <benchmark/benchmark.h>

#include <algorithm>

#include <pocket/host.h>

#include "bench_device.h"
#include "gdi/gdi.h"

namespace {

bench::VirtualClockHost host;

void setUp() { pk::setUpDevice(host, pk::DeviceConfig{}, nullptr); }

// 22 x 22 cells of 20 pixels from a memory DC onto a window DC, as a repaint does.
void BM_BoardOfCellBlits(benchmark::State& state) {
  setUp();
  HDC window = pk::gdi::createScreenDC(POINT{0, 26}, {RECT{0, 26, 240, 294}});
  HDC mem = CreateCompatibleDC(window);
  HBITMAP cell = CreateCompatibleBitmap(window, 20, 20);
  HGDIOBJ old = SelectObject(mem, cell);
  for (auto _ : state) {
    for (int c = 0; c < 22; ++c)
      for (int r = 0; r < 22; ++r) BitBlt(window, 10 + c * 20, 24 + r * 20, 20, 20, mem, 0, 0, SRCCOPY);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 484);
  SelectObject(mem, old);
  DeleteObject(cell);
  DeleteDC(mem);
  pk::gdi::destroyScreenDC(window);
}
BENCHMARK(BM_BoardOfCellBlits);

// The score label in its bold font, then the number in the system font.
void BM_HeaderText(benchmark::State& state) {
  setUp();
  HDC window = pk::gdi::createScreenDC(POINT{0, 26}, {RECT{0, 26, 240, 294}});
  for (auto _ : state) {
    LOGFONTW lf{};
    lf.lfHeight = -12;
    lf.lfWeight = FW_BOLD;
    std::copy_n(u"Tahoma", 7, lf.lfFaceName);
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(window, font);
    SetTextColor(window, RGB(0, 0, 255));
    ExtTextOutW(window, 20, 3, 0, nullptr, u"Score:", 6, nullptr);
    SelectObject(window, old);
    DeleteObject(font);
    SetTextColor(window, 0);
    RECT r{66, 3, 105, 18};
    DrawTextW(window, u"123456", -1, &r, DT_LEFT | DT_SINGLELINE);
  }
  pk::gdi::destroyScreenDC(window);
}
BENCHMARK(BM_HeaderText);

}  // namespace
