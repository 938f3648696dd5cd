// The desktop host: the device screen in a window, the mouse as the stylus.
#pragma once
#include <pocket/host.h>

namespace pk {

// Opens the window, runs the program and returns its exit code (1 when no window opens).
int sdlMain(int argc, char** argv, ProgramEntry entry, const ModuleImage& module);

}  // namespace pk
