// Finding a program's main window: in this process, or in another program running on the
// same device (instance_socket.cpp; instance_alone.cpp where only one program can run).
#include "window_internal.h"
#include "wm.h"

using namespace pk::wm;

namespace {

const HWND kRemoteWindow = reinterpret_cast<HWND>(uintptr_t(0xFFFF0000u));

std::u16string upper(std::u16string s) {
  for (auto& c : s)
    if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
  return s;
}

}  // namespace

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  std::u16string cls = className && !IS_INTRESOURCE(className) ? upper(std::u16string(className)) : u"";
  std::u16string title = windowName ? std::u16string(windowName) : u"";
  for (HWND h : topLevels()) {
    Window* w = find(h);
    if (!w || w->destroying || !w->cls) continue;
    if (className && upper(w->cls->name) != cls) continue;
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
