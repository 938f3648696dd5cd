// Starting desktop programs from the X11 host.
#pragma once
#include <string>
#include <vector>

namespace pk {

// Runs a program (found on PATH) detached from this process, with no shell in between.
// False when it cannot be started at all.
bool launchDetached(const std::vector<std::string>& args);

}  // namespace pk
