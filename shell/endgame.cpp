// The End Game flow and help.
#include <windows.h>

#include "core/game.h"
#include "core/records.h"
#include "dialogs/dialogs.h"
#include "shell/menubar.h"
#include "shell/shell.h"
#include "store/statefile.h"
#include "view/view.h"

namespace {

constexpr UINT kQuestionStyle = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

}  // namespace

LRESULT onEndGame(HWND window, int, HWND, int) {
  if (playStatus.gameInProgress == 0) return 0;
  hideInputPanel();
  if (anyMoveLeft() && options.confirmEndGame == 1) {
    if (MessageBoxW(window, u"Do you really want to end the game?", u"End Game?", kQuestionStyle) != IDYES) return 0;
  }
  if (selectionShown == 1) {
    HDC dc = GetDC(window);
    hideValueBubble(window, dc);
    ReleaseDC(window, dc);
  }
  finishGame();
  updateCommandState();

  INT_PTR result;
  const StyleStatistics& stats = statistics.styles[gameState.style];
  if (gameState.countsForStats == 0 && playStatus.guestGame == 1)
    result = runDialog(window, DLG_GUEST_SCORE, guestScoreDialogProc);
  else if (uint32_t(runningScore()) > stats.highScore)
    result = runDialog(window, DLG_HIGH_SCORE, highScoreDialogProc);
  else
    result = runDialog(window, DLG_YOUR_SCORE, yourScoreDialogProc);

  // Any nonzero result, the failure -1 included, counts as the "New Game" button.
  if (result != 0) {
    newGame(mainWindow);
    updateCommandState();
    InvalidateRect(window, nullptr, FALSE);
  }
  saveStateFile();
  return 0;
}

LRESULT onHelp(HWND, UINT, WPARAM, LPARAM) {
  WCHAR commandLine[] = u"file:fizzorbs.htm";
  CreateProcessW(u"peghelp.exe", commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr);
  return 0;
}
