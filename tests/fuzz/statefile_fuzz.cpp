// Arbitrary bytes as the state file, through the program's whole start-up on
// a virtual device: load, checks, resume, layout, first paint, and a few taps.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include <windows.h>
#include <pocket/host.h>
#include <pocket/module.h>

#include "core/records.h"
#include "fake_host.h"
#include "store/statefile.h"
#include "wm/wm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const auto root = std::filesystem::temp_directory_path() / ("fizzorbs-fuzz-" + std::to_string(getpid()));
  std::filesystem::create_directories(root / "Windows");
  auto file = root / "Windows" / "Fizzorbs.dat";
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size));
  // A fresh process starts with these records zeroed.
  memset(&board, 0, sizeof board);
  memset(&gameState, 0, sizeof gameState);
  pk::wm::resetWindowSystem();

  test::FakeHost host;
  host.randoms = {12345};
  // Taps on the board (select, burst), in the header, and off to the side.
  for (auto [x, y] : {std::pair{40, 80}, {40, 80}, {150, 200}, {150, 200}, {120, 30}, {5, 300}}) host.tap(x, y);
  pk::DeviceConfig config;
  config.root = root;
  pk::runProgram(host, config, WinMain, pkProgramModule);

  // Whatever the program wrote back must be a whole state file.
  std::error_code ec;
  auto written = std::filesystem::file_size(file, ec);
  if (!ec && written != kStateFileSize && written != size) abort();
  return 0;
}
