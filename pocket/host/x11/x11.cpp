// The window program's command line and start: where its device lives, and the window it
// runs in.
#include "x11.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <pocket/command_line.h>

#include "timing.h"
#include "window.h"
#include "window_host.h"

#ifndef PK_PROGRAM_VERSION
#define PK_PROGRAM_VERSION "unknown"
#endif

namespace pk {
namespace {

// The program's data folder, named after its module.
std::filesystem::path deviceRoot(const ModuleImage& module) {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data == '/') return std::filesystem::path(data) / module.name;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : "/tmp") / ".local/share" / module.name;
}

void usage(const std::string& name, const ModuleImage& module, FILE* to) {
  std::fprintf(to,
               "usage: %s [--help] [--version]\n"
               "Plays the game in a window. The mouse is the stylus; the arrow keys move a\n"
               "cursor over the board and Space taps there. Ctrl+N new game, Ctrl+Z undo,\n"
               "F10 or Alt opens the menus, F11 full screen, Ctrl+Q quits.\n"
               "The game and its settings are kept in %s.\n",
               name.c_str(), deviceRoot(module).c_str());
}

}  // namespace

int x11Main(int argc, char** argv, ProgramEntry entry, const ModuleImage& module) {
  std::string name = invokedName(argc > 0 ? argv[0] : nullptr, module);
  SelfTest test;
  ProgramCommandLine line{name, PK_PROGRAM_VERSION, selfTestOptions(test),
                          [&](FILE* to) { usage(name, module, to); }};
  if (std::optional<int> code = readCommandLine(argc, argv, line)) return *code;

  DeviceConfig config;
  config.root = deviceRoot(module);  // made by the device, which says so when it cannot
  if (std::string fault = deviceFault(); !fault.empty()) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), fault.c_str());
    return 1;
  }
  std::optional<x11::OpenWindow> window = x11::openWindow(name, module, config.width, config.height, test.windowSize);
  if (!window) return 1;
  if (test.timing) x11::printTiming("mapped");

  int code = 0;
  {
    x11::WindowHost host(*window, config.width, config.height, test.timing);
    host.queueSelfTest(test);
    code = runProgram(host, config, entry, module);
  }
  x11::closeWindow(*window);
  return code;
}

}  // namespace pk
