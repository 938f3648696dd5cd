// The Statistics dialog: figures per style, Reset and the way to the codes.
#include <cstring>

#include "dialogs/dialogs.h"
#include "dialogs/pages.h"
#include "shell/shell.h"

namespace {

constexpr int kFigureColumns = 3;
constexpr int kGamesColumn = 0;
constexpr int kAverageColumn = 1;
constexpr int kHighColumn = 2;

constexpr INT_PTR kResultClosed = 0;

const WCHAR* const kResetQuestion = u"Do you really want to reset your statistics?";
const WCHAR* const kResetCaption = u"Reset Statistics?";
constexpr UINT kQuestionFlags = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

int figureId(int style, int column) { return IDC_STANDARD_GAMES + kFigureColumns * style + column; }

void setCount(HWND dialog, int id, uint32_t value) {
  WCHAR text[kFigureChars];
  wsprintfW(text, kCountFormat, LONG(value));
  SetDlgItemTextW(dialog, id, text);
}

// Filled once: a Reset closes the dialog rather than refreshing it.
void fillFigures(HWND dialog) {
  for (int style = 0; style < kStyleCount; ++style) {
    const StyleStatistics& s = statistics.styles[style];
    setCount(dialog, figureId(style, kGamesColumn), s.gamesPlayed);
    WCHAR text[kFigureChars];
    formatAverage(text, s);
    SetDlgItemTextW(dialog, figureId(style, kAverageColumn), text);
    setCount(dialog, figureId(style, kHighColumn), s.highScore);
  }
}

// In memory only: the next write of the state file carries it.
void onReset(HWND dialog) {
  if (MessageBoxW(dialog, kResetQuestion, kResetCaption, kQuestionFlags) != IDYES) return;
  memset(&statistics, 0, sizeof statistics);
  EndDialog(dialog, kResultClosed);
}

void onCodes(HWND dialog) {
  HRSRC found = FindResourceW(appInstance, MAKEINTRESOURCE(DLG_SCORE_CODES), RT_DIALOG);
  HGLOBAL loaded = LoadResource(appInstance, found);
  LPCDLGTEMPLATEW codes = static_cast<LPCDLGTEMPLATEW>(LockResource(loaded));
  DialogBoxIndirectParamW(appInstance, codes, dialog, scoreCodesDialogProc, 0);
}

}  // namespace

INT_PTR CALLBACK statisticsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    initDialogPage(dialog);
    fillFigures(dialog);
    return TRUE;
  }
  if (message == WM_COMMAND) {
    switch (LOWORD(wParam)) {
      case IDOK:
      case IDCANCEL: EndDialog(dialog, kResultClosed); return TRUE;
      case IDC_RESET: onReset(dialog); return TRUE;
      case IDC_CODES: onCodes(dialog); return TRUE;
      default: return FALSE;
    }
  }
  return FALSE;
}
