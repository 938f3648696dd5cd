// The X11 host: the device screen scaled up in a window, the left mouse button as the
// stylus, the keyboard as a stylus cursor and the desktop's shortcuts; SDL is loaded only
// to play sound. The window maps in a few milliseconds with a handful of libraries.
#pragma once
#include <pocket/host.h>

namespace pk {

// Reads the command line, opens the window, runs the program and returns its exit code
// (1 when no window opens).
int x11Main(int argc, char** argv, ProgramEntry entry, const ModuleImage& module);

}  // namespace pk
