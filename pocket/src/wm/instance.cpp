// Finding a program's main window: in this process, or in another program running on the
// same device (instance_announce.cpp; instance_alone.cpp where only one program can run).
#include <pocket/basics.h>

#include "wm/window_internal.h"
#include "wm/wm.h"

using namespace pk::wm;

namespace {

const HWND kRemoteWindow = reinterpret_cast<HWND>(uintptr_t(0xFFFF0000u));

}  // namespace

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  std::u16string cls = className && !IS_INTRESOURCE(className) ? pk::upperAscii(std::u16string(className)) : u"";
  std::u16string title = windowName ? std::u16string(windowName) : u"";
  for (HWND h : topLevels()) {
    Window* w = find(h);
    if (!w || w->destroying || !w->cls) continue;
    if (className && pk::upperAscii(w->cls->name) != cls) continue;
    if (windowName && w->text != title) continue;
    return h;
  }
  if (!className || !windowName) return nullptr;
  return findNeighbour(cls, title) ? kRemoteWindow : nullptr;
}

BOOL SetForegroundWindow(HWND hwnd) {
  if (hwnd == kRemoteWindow) return raiseNeighbour() ? TRUE : FALSE;
  Window* w = find(hwnd);
  if (!w) return FALSE;
  activate(topLevelOf(hwnd));
  return TRUE;
}
