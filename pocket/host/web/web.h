// The browser host: the device screen on a page's canvas, pointer and keys as input, Web
// Audio, the device's files in the browser's storage; or, with ?script=NAME, the headless
// device's script mode with its log on the console.
#pragma once
#include <pocket/host.h>

namespace pk {

int webMain(ProgramEntry entry, const ModuleImage& module);

}  // namespace pk
