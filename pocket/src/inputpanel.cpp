// The input panel: the menu bar's keyboard key raises it, SHSipPreference forces
// it down, and each change is told to the program's windows as WM_SETTINGCHANGE
// (SPI_SETSIPINFO), so a program that wants no panel can push it down again.
#include <aygshell.h>

#include "chrome.h"
#include "device.h"
#include "resource.h"
#include "wm.h"

namespace pk::chrome {
namespace {

constexpr int kPanelHeight = 80;

struct InputPanel {
  HWND hwnd = nullptr;
  bool up = false;
};

InputPanel& panel() {
  static InputPanel p;
  return p;
}

// A plain panel: the device draws no keys of its own.
LRESULT CALLBACK panelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc;
      GetClientRect(hwnd, &rc);
      barGround(dc, rc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_DESTROY:
      if (panel().hwnd == hwnd) panel() = InputPanel{};
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

void tellPrograms() {
  const ModuleImage* program = device().module;
  if (!program) return;
  HINSTANCE instance = instanceOf(*program);
  for (HWND h : wm::topLevels())
    if (IsWindow(h) && wm::instanceOf(h) == instance) SendMessageW(h, WM_SETTINGCHANGE, SPI_SETSIPINFO, 0);
}

}  // namespace

RECT inputPanelRect() {
  const Surface& s = device().screen;
  int bottom = s.height - wm::kMenuBarHeight;
  return RECT{0, bottom - kPanelHeight, s.width, bottom};
}

bool inputPanelUp() { return panel().up && IsWindow(panel().hwnd); }

void setInputPanel(bool up) {
  if (up == inputPanelUp()) return;
  if (up) {
    registerClass(u"pk_inputpanel", panelProc);
    HWND hwnd = createShellWindow(u"pk_inputpanel", u"", inputPanelRect(), nullptr);
    panel() = InputPanel{hwnd, hwnd != nullptr};
  } else {
    HWND hwnd = panel().hwnd;
    panel() = InputPanel{};
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  tellPrograms();
}

}  // namespace pk::chrome

BOOL SHSipInfo(UINT action, UINT, PVOID data, UINT) {
  if (action != SPI_GETSIPINFO || !data) return FALSE;
  auto* info = static_cast<SIPINFO*>(data);
  const int w = pk::device().screen.width, h = pk::device().screen.height;
  bool up = pk::chrome::inputPanelUp();
  info->fdwFlags = up ? SIPF_ON : SIPF_OFF;
  info->rcSipRect = pk::chrome::inputPanelRect();
  // A raised panel takes its height from the desktop the program may use.
  info->rcVisibleDesktop = RECT{0, pk::wm::kNavBarHeight, w, up ? info->rcSipRect.top : h};
  info->dwImDataSize = 0;
  info->pvImData = nullptr;
  return TRUE;
}

BOOL SHSipPreference(HWND, SIPSTATE state) {
  if (state == SIP_UP) pk::chrome::setInputPanel(true);
  if (state == SIP_DOWN || state == SIP_FORCEDOWN) pk::chrome::setInputPanel(false);
  return TRUE;
}

BOOL SHHandleWMSettingChange(HWND, WPARAM, LPARAM, SHACTIVATEINFO*) { return TRUE; }
