// The scripted virtual device: `<program>-headless [--device-root DIR] [--script FILE]`.
#pragma once
#include <pocket/host.h>

namespace pk {

// Runs the program under a script and returns the process exit code: the program's own,
// 2 for a script error, 0 when the script ends first (a power cut).
int headlessMain(int argc, char** argv, ProgramEntry entry, const ModuleImage& module);

}  // namespace pk
