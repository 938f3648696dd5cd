// The Windows host: the device screen in a window on the Windows desktop, at the largest
// whole zoom that fits; the mouse, pen and touch as the stylus; the keyboard as the X11
// window's; sound through winmm; the device's files in %APPDATA%\<program>.
#pragma once
#include <pocket/host.h>

namespace pk {

// Reads the command line, opens the window, runs the program and returns its exit code
// (1 when no window opens).
int windowsMain(int argc, char** argv, ProgramEntry entry, const ModuleImage& module);

}  // namespace pk
