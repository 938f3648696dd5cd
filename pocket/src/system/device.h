// The virtual device the program runs on: its host, settings, screen and files.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include <pocket/basics.h>
#include <pocket/host.h>
#include <pocket/unicode.h>
#include "gdi/surface.h"

namespace pk {

struct Device {
  Host* host = nullptr;
  // The screen as programs see it. A program that does not declare itself aware of high
  // resolution (none does) runs on a screen of dpi/96 times fewer pixels each way, at
  // 96 dpi, and the host shows each of its pixels as a square of `scale` host pixels.
  DeviceConfig config;
  int scale = 1;
  int hostWidth = 0;  // the host's screen, as the host configured it
  int hostHeight = 0;
  Surface screen;
  const ModuleImage* module = nullptr;
  bool screenChanged = true;  // something was drawn since the host last showed the screen
  uint64_t soundEnds = 0;     // on the host's clock; a device set up anew plays nothing
  bool saveFailing = false;   // a failed save was told and no save has succeeded since
};

// The one device of this process. Tests may set it up without a running program.
Device& device();
// Prepares the device for a program or a test: screen of the configured size, root folder.
void setUpDevice(Host& host, const DeviceConfig& config, const ModuleImage* module);

// "\Windows\Game.dat" -> <root>/Windows/Game.dat; empty when the path leaves the root.
std::filesystem::path hostPath(std::u16string_view devicePath);

// A point of the host's screen (where the stylus touched) on the device screen, and the
// host point in the middle of the pixels that show a device point.
POINT fromHost(int x, int y);
POINT toHost(POINT p);

// Shows the screen through the host if anything was drawn since it was last shown
// (grey levels on a device with under 8 colour bits, each pixel `scale` times each way).
// The program waits after this.
void presentIfChanged();

// The files that ship on the device (help page, system sound), copied into a new root:
// share/<program>/device/Windows beside the program's folder when installed, or
// beside the program itself in its build folder.
std::filesystem::path shippedDeviceFiles();

// The running program's name, as its module image carries it.
std::string_view programName();
// Tells the person at the machine something they must act on, as "<program>: text"
// on standard error and through the host (Host::trouble). The program plays on.
void warn(std::string_view text);
// What was warned of is over (a save succeeded again).
void resolved();
// A line for the host's record of what the program did (the script host logs it).
void note(std::string_view line);

}  // namespace pk
