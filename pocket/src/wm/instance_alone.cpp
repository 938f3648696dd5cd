// Where the host lets only one program run at a time (the browser holds a lock for it),
// there is no other program to find.
#include "wm/window_internal.h"

namespace pk::wm {

void announceInstance(HWND) {}
void withdrawInstance() {}
bool findNeighbour(std::u16string_view, std::u16string_view) { return false; }
bool raiseNeighbour() { return false; }

}  // namespace pk::wm
