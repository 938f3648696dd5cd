// The Options dialog: the only editor of the options record.
#include "dialogs/dialogs.h"
#include "dialogs/pages.h"
#include "shell/shell.h"
#include "store/statefile.h"
#include "view/view.h"

namespace {


// OK ends this dialog with 1, unlike the others; nobody reads it.
constexpr INT_PTR kResultStored = 1;
constexpr INT_PTR kResultCancelled = 0;

// Unsorted lists: an item's index is the value it stands for.
const WCHAR* const kStyleNames[kStyleCount] = {u"Standard", u"Continuous", u"Shifter", u"MegaShift"};
constexpr int kBubbleSetCount = 2;
const WCHAR* const kBubbleSetNames[kBubbleSetCount] = {u"Colorful Bubbles", u"Grayscale Bubbles"};

void setCheck(HWND dialog, int id, int32_t field) {
  SendDlgItemMessageW(dialog, id, BM_SETCHECK, field ? BST_CHECKED : BST_UNCHECKED, 0);
}

int32_t isChecked(HWND dialog, int id) {
  return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) != 0 ? 1 : 0;
}

void fillList(HWND dialog, int id, const WCHAR* const* items, int count, int32_t selected) {
  for (int i = 0; i < count; ++i) SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, LPARAM(items[i]));
  SendDlgItemMessageW(dialog, id, CB_SETCURSEL, WPARAM(selected), 0);
}

// A value the list could not select (a damaged state file) is kept as it was.
void readList(HWND dialog, int id, int32_t& field) {
  LRESULT index = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
  if (index != CB_ERR) field = int32_t(index);
}

void onInit(HWND dialog) {
  initDialogPage(dialog);
  setCheck(dialog, IDC_PLAY_SOUNDS, options.playSounds);
  setCheck(dialog, IDC_STARTUP_DEMO, options.showStartupDemo);
  setCheck(dialog, IDC_CONFIRM_END, options.confirmEndGame);
  setCheck(dialog, IDC_DECIMAL_AVERAGES, options.decimalAverages);
  setCheck(dialog, IDC_GUEST_MODE, options.guestMode);
  fillList(dialog, IDC_GAME_STYLE, kStyleNames, kStyleCount, options.gameStyle);
  fillList(dialog, IDC_BUBBLE_SET, kBubbleSetNames, kBubbleSetCount, options.bubbleSet);
}

void onStore(HWND dialog) {
  options.playSounds = isChecked(dialog, IDC_PLAY_SOUNDS);
  options.showStartupDemo = isChecked(dialog, IDC_STARTUP_DEMO);
  options.confirmEndGame = isChecked(dialog, IDC_CONFIRM_END);
  options.decimalAverages = isChecked(dialog, IDC_DECIMAL_AVERAGES);
  if (isChecked(dialog, IDC_GUEST_MODE)) {
    options.guestMode = 1;
    // The running game stops counting at once; clearing the box never makes it count.
    playStatus.guestGame = 1;
    gameState.countsForStats = 0;
  } else {
    options.guestMode = 0;
  }
  readList(dialog, IDC_GAME_STYLE, options.gameStyle);
  readList(dialog, IDC_BUBBLE_SET, options.bubbleSet);
  EndDialog(dialog, kResultStored);
  // Without a game the header names the options' style, so show the new one now.
  if (!playStatus.gameInProgress) {
    HDC dc = GetDC(mainWindow);
    drawStyleHeader(mainWindow, dc);
    ReleaseDC(mainWindow, dc);
  }
  saveStateFile();
}

}  // namespace

INT_PTR CALLBACK optionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    onInit(dialog);
    return TRUE;
  }
  if (message == WM_COMMAND) {
    switch (LOWORD(wParam)) {
      case IDOK: onStore(dialog); return TRUE;
      case IDCANCEL: EndDialog(dialog, kResultCancelled); return TRUE;
      default: return FALSE;
    }
  }
  return FALSE;
}
