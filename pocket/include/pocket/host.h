// What a host gives the platform layer: a screen to show, input, a clock,
// randomness and a sound output. Hosts: a window, a script, and a browser page.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include <windows.h>
#include <pocket/module.h>

namespace pk {

struct DeviceConfig {
  int width = 240;
  int height = 320;
  int bits = 16;  // colour bits; under 8 the screen shows grey levels
  // 192, 288...: programs run on a 96-dpi screen of dpi/96 times fewer pixels each
  // way, shown enlarged to fill this one.
  int dpi = 96;
  std::filesystem::path root;     // host folder that holds the device's file system
  std::filesystem::path shipped;  // files that ship on the device; empty: shippedDeviceFiles()
};

struct InputEvent {
  enum class Kind { StylusDown, StylusUp, StylusMove, KeyEscape, KeyEnter, KeyF1, CloseWindow };
  Kind kind = Kind::StylusDown;
  int x = 0;  // pixels of the screen the host shows, for stylus events
  int y = 0;
};

// Pixels are 0x00RRGGBB, row by row, width x height of the DeviceConfig.
struct ScreenView {
  const uint32_t* pixels;
  int width;
  int height;
};

class Host {
 public:
  virtual ~Host() = default;
  // Shows the device screen; called whenever the program waits and the screen changed.
  virtual void present(ScreenView screen) = 0;
  // The program waits for input (message loop or modal loop). Returns false when nothing
  // arrived within timeoutMs (-1 waits for ever). Events that came during pause() come first.
  virtual bool nextEvent(InputEvent& out, int timeoutMs) = 0;
  // Sleep(): a real pause that keeps the screen shown and keeps input for later, or a
  // virtual one.
  virtual void pause(uint32_t ms) = 0;
  virtual uint64_t milliseconds() = 0;
  virtual uint32_t random() = 0;
  // Mono signed 16-bit samples; replaces whatever is playing.
  virtual void playSound(std::vector<int16_t> samples, int rate) = 0;
  virtual void stopSound() = 0;
  // Something worth a line in a log (sounds, message boxes, dialogs, processes).
  virtual void note(std::string_view line) {}
  // Another process asked for this program's window; may be called from another thread.
  virtual void raise() {}
  // A file of the device was written and closed. A host that keeps the files somewhere
  // slower stores them before it hands over the next input.
  virtual void filesChanged() {}
  // Opens a device document with the desktop's viewer; false when that is impossible.
  virtual bool openDocument(const std::filesystem::path& file) = 0;
};

using ProgramEntry = int (*)(HINSTANCE, HINSTANCE, LPWSTR, int);

// Sets up the device (its root folder and shipped files, its screen), runs the program's
// entry on this thread, and returns the program's exit code.
int runProgram(Host& host, const DeviceConfig& config, ProgramEntry entry, const ModuleImage& module);

// The files that ship on the device (help page, system sound), copied into a new root.
std::filesystem::path shippedDeviceFiles();

}  // namespace pk
