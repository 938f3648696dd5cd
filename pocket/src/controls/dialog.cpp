// The dialog manager: modal dialogs from templates, their default keys, the
// shell's full-screen dialog initialisation, and the dialog item calls.

#include <aygshell.h>

#include "chrome/look.h"
#include "controls/controls.h"
#include "system/device.h"
#include "system/resource.h"
#include "wm/window_table.h"
#include "wm/wm.h"

namespace pk::chrome {
namespace {

constexpr int kStripHeight = 18;   // caption strip of a dialog the shell did not size
constexpr int kHeaderHeight = 24;  // title line of a full-screen dialog

struct Dialog {
  DLGPROC proc = nullptr;
  HWND owner = nullptr;
  bool ended = false;
  INT_PTR result = 0;
  bool doneButton = false;
  bool fullScreen = false;
  int contentTop = kStripHeight;
  int contentLeft = 1;
};

wm::WindowTable<Dialog>& dialogs() {
  static wm::WindowTable<Dialog> d;
  return d;
}

Dialog* dialogOf(HWND hwnd) { return dialogs().find(hwnd); }

HWND topLevel(HWND hwnd) {
  if (!IsWindow(hwnd)) return nullptr;
  while (HWND p = wm::parentOf(hwnd)) hwnd = p;
  return hwnd;
}

int mulDiv(int value, int mul, int div) {
  long long v = (long long)value * mul;
  return int(v >= 0 ? (v + div / 2) / div : -((-v + div / 2) / div));
}

void paintDialog(HWND hwnd, const Dialog& d) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  std::u16string title = wm::text(hwnd);
  if (d.fullScreen) {
    ScopedFont font(dc, 8, true);
    RECT tr{8, 0, rc.right - 8, kHeaderHeight - 1};
    text(dc, title, tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE, kTitleBlue, kWhite);
    fillSolid(dc, RECT{0, kHeaderHeight - 1, rc.right, kHeaderHeight}, kBlack);
  } else {
    RECT strip{0, 0, rc.right, kStripHeight};
    fillSolid(dc, strip, kNavBlue);
    ScopedFont font(dc, 8, true);
    RECT tr{5, 0, rc.right - 5, kStripHeight};
    text(dc, title, tr, DT_LEFT | DT_VCENTER | DT_SINGLELINE, kWhite, kNavBlue);
    frame(dc, rc, kBlack);
  }
  EndPaint(hwnd, &ps);
}

HWND defaultButton(HWND hwnd) {
  for (HWND c : wm::children(hwnd))
    if (controlKind(c) == ControlKind::DefaultButton && wm::isVisible(c) && wm::isEnabled(c)) return c;
  return nullptr;
}

LRESULT CALLBACK dialogWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Dialog* d = dialogOf(hwnd);
  if (d && d->proc) {
    INT_PTR handled = d->proc(hwnd, msg, wParam, lParam);
    if (handled) return handled;
    d = dialogOf(hwnd);
  }
  switch (msg) {
    case WM_PAINT:
      if (d) {
        paintDialog(hwnd, *d);
        return 0;
      }
      break;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      } else if (wParam == VK_RETURN) {
        HWND def = defaultButton(hwnd);
        int id = def ? wm::controlId(def) : IDOK;
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(def));
      }
      return 0;
    case WM_CLOSE:
      SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return 0;
    case WM_INITDIALOG:
    case WM_COMMAND:
      // An OK or Cancel the procedure leaves alone does not end the dialog.
      return 0;
    case WM_DESTROY:
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

bool isDialog(HWND hwnd) { return dialogOf(hwnd) != nullptr && IsWindow(hwnd); }

SIZE dialogBaseUnits() {
  static const std::u16string letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  HDC dc = GetDC(nullptr);
  SIZE base{4, 8};
  if (!dc) return base;
  {
    ScopedFont font(dc, 8, false);
    SIZE sz = textSize(dc, letters);
    if (sz.cx > 0) base.cx = (sz.cx + 26) / 52;
    if (sz.cy > 0) base.cy = sz.cy;
  }
  ReleaseDC(nullptr, dc);
  return base;
}

bool hasDoneButton(HWND hwnd) {
  Dialog* d = dialogOf(hwnd);
  return d && d->doneButton;
}

}  // namespace pk::chrome

using namespace pk::chrome;

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW tmpl, HWND owner, DLGPROC proc, LPARAM param) {
  if (!tmpl) return -1;
  auto t = pk::parseDialogTemplate(tmpl);
  if (!t) return -1;

  registerClass(u"pk_dialog", dialogWndProc, WHITE_BRUSH);
  registerControlClasses();
  HWND ownerTop = topLevel(owner);
  SIZE base = dialogBaseUnits();
  const int screenW = pk::device().screen.width, screenH = pk::device().screen.height;
  const int workTop = pk::wm::kNavBarHeight, workH = screenH - pk::wm::kNavBarHeight - pk::wm::kMenuBarHeight;
  int w = mulDiv(t->cx, base.cx, 4) + 2;
  int h = mulDiv(t->cy, base.cy, 8) + kStripHeight + 1;
  int x = (screenW - w) / 2, y = workTop + (workH - h) / 2;

  HWND hwnd = CreateWindowExW(t->exStyle, u"pk_dialog", t->title.c_str(), WS_POPUP, x, y, w, h, ownerTop, nullptr,
                              instance, nullptr);
  if (!hwnd) return -1;
  Dialog* d = &dialogs().add(hwnd);
  d->owner = ownerTop;

  HWND first = nullptr;
  for (const pk::DialogItem& item : t->items) {
    HWND c = CreateWindowExW(0, item.className.c_str(), item.text.c_str(), item.style | WS_CHILD,
                             d->contentLeft + mulDiv(item.x, base.cx, 4), d->contentTop + mulDiv(item.y, base.cy, 8),
                             mulDiv(item.cx, base.cx, 4), mulDiv(item.cy, base.cy, 8), hwnd,
                             reinterpret_cast<HMENU>(intptr_t(item.id)), instance, nullptr);
    if (!c) {
      // A control of a kind the device does not know: the dialog cannot be run.
      DestroyWindow(hwnd);
      dialogs().erase(hwnd);
      return -1;
    }
    if (!first) first = c;
  }

  d->proc = proc;
  SendMessageW(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
  pk::wm::runModal(hwnd, ownerTop, d->ended);
  INT_PTR result = d->ended ? d->result : 0;
  dialogs().erase(hwnd);
  pk::note("dialog " + pk::chrome::quoted(t->title) + " -> " + std::to_string(static_cast<long long>(result)));
  return result;
}

BOOL EndDialog(HWND hwnd, INT_PTR result) {
  Dialog* d = dialogOf(hwnd);
  if (!d || !IsWindow(hwnd)) return FALSE;
  d->result = result;
  if (d->ended) return TRUE;
  d->ended = true;
  // The owner takes over at once, so the procedure may draw on it before returning.
  if (d->owner) pk::wm::enableWindow(d->owner, true);
  ShowWindow(hwnd, SW_HIDE);
  return TRUE;
}

BOOL SHInitDialog(PSHINITDLGINFO info) {
  if (!info) return FALSE;
  Dialog* d = dialogOf(info->hDlg);
  if (!d) return FALSE;
  if (!(info->dwMask & SHIDIM_FLAGS)) return TRUE;
  d->doneButton = (info->dwFlags & SHIDIF_DONEBUTTON) != 0;
  if (info->dwFlags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN)) {
    const int w = pk::device().screen.width, h = pk::device().screen.height;
    int bottom = (info->dwFlags & SHIDIF_SIZEDLGFULLSCREEN) ? h : h - pk::wm::kMenuBarHeight;
    if (!d->fullScreen) {
      // Controls move with the content area: below the title line, no frame.
      RECT dlg = pk::wm::screenRect(info->hDlg);
      int dx = -d->contentLeft, dy = kHeaderHeight - d->contentTop;
      for (HWND c : pk::wm::children(info->hDlg)) {
        RECT r = pk::wm::screenRect(c);
        pk::wm::moveWindow(c, r.left - dlg.left + dx, r.top - dlg.top + dy, r.right - r.left, r.bottom - r.top);
      }
      d->fullScreen = true;
      d->contentLeft = 0;
      d->contentTop = kHeaderHeight;
    }
    pk::wm::moveWindow(info->hDlg, 0, pk::wm::kNavBarHeight, w, bottom - pk::wm::kNavBarHeight);
    InvalidateRect(info->hDlg, nullptr, TRUE);
  }
  pk::wm::shellActiveChanged();
  return TRUE;
}

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
  HWND c = GetDlgItem(dialog, id);
  if (!c) return FALSE;
  return SendMessageW(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : u"")) ? TRUE : FALSE;
}

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int max) {
  HWND c = GetDlgItem(dialog, id);
  if (!c) {
    if (text && max > 0) text[0] = 0;
    return 0;
  }
  return UINT(SendMessageW(c, WM_GETTEXT, WPARAM(max > 0 ? max : 0), reinterpret_cast<LPARAM>(text)));
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND c = GetDlgItem(dialog, id);
  return c ? SendMessageW(c, msg, wParam, lParam) : 0;
}
