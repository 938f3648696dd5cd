// The window as the program's host: what the desktop reports (desktop.cpp) turned into the
// stylus and the keys, the scaled screen painted back, and where the device lives.
#include "win32.h"

#include <cstdio>
#include <random>
#include <string>

#include <pocket/command_line.h>
#include <pocket/interactive.h>

#include "desktop.h"

#ifndef PK_PROGRAM_VERSION
#define PK_PROGRAM_VERSION "unknown"
#endif

namespace pk {
namespace {

static_assert(int(desktop::Press::CtrlQ) == int(Key::CtrlQ), "the desktop's keys are the device's");

class WindowsHost final : public InteractiveHost {
 public:
  WindowsHost(int screenW, int screenH, std::string title)
      : InteractiveHost(screenW, screenH, desktop::clientWidth(), desktop::clientHeight()), title_(std::move(title)) {}

  // Windows asks for the window again at any time (a paint), even while the program works.
  void repaint() {
    int w = desktop::clientWidth(), h = desktop::clientHeight();
    if (w != windowWidth() || h != windowHeight())
      windowResized(w, h);
    else
      redraw();
  }

  uint64_t milliseconds() override { return desktop::milliseconds(); }
  uint32_t random() override { return entropy_(); }
  int clockMinutes() override { return desktop::localMinutes(); }
  void playSound(std::vector<int16_t> samples, int rate) override { desktop::play(samples, rate); }
  void stopSound() override { desktop::stopSound(); }
  void raise() override { desktop::raise(); }
  bool openDocument(const std::filesystem::path& file) override { return desktop::openDocument(file); }
  // A program started from the desktop has no console: what the person must know goes in
  // the window's title, where it stays until it is over.
  void trouble(std::string_view text) override {
    desktop::setTitle(text.empty() ? title_ : title_ + " - " + std::string(text));
  }

 private:
  bool waitForEvents(int timeoutMs) override {
    inputs_.clear();
    bool got = desktop::wait(timeoutMs, inputs_);
    using K = desktop::Input::Kind;
    for (const desktop::Input& in : inputs_) {
      switch (in.kind) {
        case K::StylusDown: stylusDown(in.x, in.y); break;
        case K::StylusMove: stylusMove(in.x, in.y); break;
        case K::StylusUp: stylusUp(in.x, in.y); break;
        case K::Press: keyPressed(Key(int(in.press))); break;
        case K::Close: closeRequested(); break;
      }
    }
    return got;
  }

  void showBand(uint32_t* pixels, int width, int top, int rows) override { desktop::show(pixels, width, rows, top); }

  int msToNextMinute() override { return desktop::msToNextMinute(); }

  std::string title_;
  std::vector<desktop::Input> inputs_;
  std::random_device entropy_;
};

// The window's title: the program's name as a person writes it.
std::string windowTitle(const ModuleImage& module) {
  std::string title = module.name;
  if (!title.empty() && title[0] >= 'a' && title[0] <= 'z') title[0] = char(title[0] - 32);
  return title;
}

}  // namespace

int windowsMain(int argc, char** argv, ProgramEntry entry, const ModuleImage& module) {
  desktop::useParentConsole();
  std::string name = invokedName(argc > 0 ? argv[0] : nullptr, module);
  std::filesystem::path data = desktop::applicationData();
  SelfTest test;
  ProgramCommandLine line{name, PK_PROGRAM_VERSION, selfTestOptions(test), [&](FILE* to) {
                            std::fprintf(to,
                                         "usage: %s [--help] [--version]\n"
                                         "Plays the game in a window. The game and its settings are kept in %s.\n",
                                         name.c_str(), (data / module.name).string().c_str());
                          }};
  if (std::optional<int> code = readCommandLine(argc, argv, line)) return *code;

  DeviceConfig config;
  if (!data.empty()) config.root = data / module.name;  // made by the device, which says so when it cannot
  std::string title = windowTitle(module);
  if (std::string fault = deviceFault(); !fault.empty()) {
    desktop::message(title, fault);
    return 1;
  }
  WindowsHost* current = nullptr;
  std::string error;
  int fixedW = test.windowSize ? int(test.windowSize->x) : 0, fixedH = test.windowSize ? int(test.windowSize->y) : 0;
  auto repaint = [&] {
    if (current) current->repaint();
  };
  if (!desktop::open(title, config.width, config.height, fixedW, fixedH, repaint, error)) {
    desktop::message(title, error);
    return 1;
  }
  int code = 0;
  {
    WindowsHost host(config.width, config.height, title);
    current = &host;
    host.queueSelfTest(test);
    code = runProgram(host, config, entry, module);
    current = nullptr;
  }
  desktop::close();
  return code;
}

}  // namespace pk
