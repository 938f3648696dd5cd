// The About dialog: everything it shows comes from its template.
#include "dialogs/dialogs.h"
#include "dialogs/pages.h"

namespace {
constexpr INT_PTR kResultClosed = 0;
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    initDialogPage(dialog);
    return FALSE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, kResultClosed);
    return TRUE;
  }
  return FALSE;
}
