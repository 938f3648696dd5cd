// What a window does with a message its procedure leaves to the system.
#include <algorithm>

#include "wm/window_internal.h"
#include "wm/wm.h"

using namespace pk::wm;

LRESULT DefWindowProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = find(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_ERASEBKGND: {
      if (!w->cls || !w->cls->background) return 0;
      RECT rc;
      GetClientRect(hwnd, &rc);
      FillRect(reinterpret_cast<HDC>(wParam), &rc, w->cls->background);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETTEXT: {
      w->text = std::u16string(textOf(reinterpret_cast<LPCWSTR>(lParam)));
      if (!isChild(*w)) shellActiveChanged();
      return TRUE;
    }
    case WM_GETTEXTLENGTH:
      return LRESULT(w->text.size());
    case WM_GETTEXT: {
      auto* out = reinterpret_cast<WCHAR*>(lParam);
      if (!out || wParam == 0) return 0;
      size_t n = std::min<size_t>(w->text.size(), wParam - 1);
      std::copy_n(w->text.data(), n, out);
      out[n] = 0;
      return LRESULT(n);
    }
    default:
      return 0;
  }
}
