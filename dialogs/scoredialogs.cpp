// The three end-of-game dialogs: Your Score, High Score and Guest Score.
#include "dialogs/dialogs.h"
#include "dialogs/pages.h"

namespace {

constexpr INT_PTR kResultClosed = 0;
constexpr INT_PTR kResultNewGame = 1;

StyleStatistics& finishedStyle() { return statistics.styles[gameState.style]; }

void setFigure(HWND dialog, int id, const WCHAR* format, LONG value) {
  WCHAR text[kFigureChars];
  wsprintfW(text, format, value);
  SetDlgItemTextW(dialog, id, text);
}

// Game score, bubble bonus and total: the part all three dialogs show.
void fillScores(HWND dialog, int gameScoreId, int bonusId, int totalId) {
  LONG finalScore = runningScore();
  LONG bonus = endBonus;
  setFigure(dialog, gameScoreId, kCountFormat, finalScore - bonus);
  setFigure(dialog, bonusId, kSmallNumberFormat, bonus);
  setFigure(dialog, totalId, kCountFormat, finalScore);
}

void fillStyleFigures(HWND dialog, int averageId, int gamesId) {
  const StyleStatistics& s = finishedStyle();
  WCHAR text[kFigureChars];
  formatAverage(text, s);
  SetDlgItemTextW(dialog, averageId, text);
  setFigure(dialog, gamesId, kCountFormat, LONG(s.gamesPlayed));
}

}  // namespace

INT_PTR CALLBACK yourScoreDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    initDialogPage(dialog);
    fillScores(dialog, IDC_YOUR_GAME_SCORE, IDC_YOUR_BONUS, IDC_YOUR_TOTAL);
    fillStyleFigures(dialog, IDC_YOUR_AVERAGE, IDC_YOUR_GAMES);
    return TRUE;
  }
  if (message == WM_COMMAND) {
    switch (LOWORD(wParam)) {
      case IDOK: EndDialog(dialog, kResultClosed); return TRUE;
      case IDC_YOUR_NEW_GAME: EndDialog(dialog, kResultNewGame); return TRUE;
      default: return FALSE;
    }
  }
  return FALSE;
}

INT_PTR CALLBACK highScoreDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    initDialogPage(dialog);
    fillScores(dialog, IDC_HIGH_GAME_SCORE, IDC_HIGH_BONUS, IDC_HIGH_TOTAL);
    fillStyleFigures(dialog, IDC_HIGH_AVERAGE, IDC_HIGH_GAMES);
    // The one place a high score rises; compared unsigned like the statistics.
    uint32_t finalScore = uint32_t(runningScore());
    StyleStatistics& s = finishedStyle();
    if (finalScore > s.highScore) s.highScore = finalScore;
    return TRUE;
  }
  if (message == WM_COMMAND) {
    switch (LOWORD(wParam)) {
      case IDOK: EndDialog(dialog, kResultClosed); return TRUE;
      case IDC_HIGH_NEW_GAME: EndDialog(dialog, kResultNewGame); return TRUE;
      default: return FALSE;
    }
  }
  return FALSE;
}

INT_PTR CALLBACK guestScoreDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    initDialogPage(dialog);
    fillScores(dialog, IDC_GUEST_GAME_SCORE, IDC_GUEST_BONUS, IDC_GUEST_TOTAL);
    return TRUE;
  }
  if (message == WM_COMMAND) {
    switch (LOWORD(wParam)) {
      case IDOK:
      case IDCANCEL: EndDialog(dialog, kResultClosed); break;
      case IDC_GUEST_NEW_GAME: EndDialog(dialog, kResultNewGame); break;
      default: break;
    }
    // Unlike the other two, this one swallows every command.
    return TRUE;
  }
  return FALSE;
}
