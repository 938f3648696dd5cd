// The virtual device the program runs on: its host, settings, screen and files.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

#include <pocket/host.h>
#include <pocket/unicode.h>
#include "surface.h"

namespace pk {

struct Device {
  Host* host = nullptr;
  DeviceConfig config;
  Surface screen;
  const ModuleImage* module = nullptr;
  bool screenChanged = true;  // something was drawn since the host last showed the screen
};

// The one device of this process. Tests may set it up without a running program.
Device& device();
// Prepares the device for a program or a test: screen of the configured size, root folder.
void setUpDevice(Host& host, const DeviceConfig& config, const ModuleImage* module);

// "\Windows\Fizzorbs.dat" -> <root>/Windows/Fizzorbs.dat; empty when the path leaves the root.
std::filesystem::path hostPath(std::u16string_view devicePath);

// Shows the screen through the host if anything was drawn since it was last shown
// (grey levels on a device with under 8 colour bits). The program waits after this.
void presentIfChanged();

}  // namespace pk
