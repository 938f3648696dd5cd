// The menu bar with its Undo button, the enabling of commands, and the
// commands that open a dialog.
#include "shell/menubar.h"

#include <aygshell.h>
#include <commctrl.h>

#include "core/records.h"
#include "dialogs/dialogs.h"
#include "shell/shell.h"

HWND menuBar = nullptr;

namespace {

constexpr int kStandardImageCount = 15;
constexpr int kGameMenuCommand = CMD_GAME_MENU;

// Kept for the life of the program: the menu bar reads them when they are added.
TBBUTTON menuBarButtons[2] = {
    {0, 0, 0, TBSTYLE_SEP, {0}, 0, 0},
    {STD_UNDO, CMD_UNDO, 0, TBSTYLE_BUTTON, {0}, 0, 0},
};

// One tool tip per button: Game, Info, then Undo.
LPCWSTR menuBarTips[3] = {u"", u"", u"Undo Move"};

}  // namespace

void createMenuBar(HWND window) {
  SHMENUBARINFO info;
  memset(&info, 0, sizeof(info));
  info.cbSize = sizeof(info);
  info.hwndParent = window;
  info.dwFlags = 0;
  info.nToolBarId = IDR_MENU_BAR;
  info.hInstRes = appInstance;
  info.nBmpId = 0;
  info.cBmpImages = 0;
  if (!SHCreateMenuBar(&info)) MessageBoxW(window, u"SHCreateMenuBar Failed", u"Error", MB_OK);

  menuBarButtons[1].fsState = playStatus.gameInProgress == 1 ? TBSTATE_ENABLED : 0;
  menuBar = info.hwndMB;

  CommandBar_AddBitmap(menuBar, HINST_COMMCTRL, IDB_STD_SMALL_COLOR, kStandardImageCount, 0, 0);
  SendMessageW(menuBar, TB_ADDBUTTONS, 2, reinterpret_cast<LPARAM>(menuBarButtons));
  SendMessageW(menuBar, TB_SETTOOLTIPS, 3, reinterpret_cast<LPARAM>(menuBarTips));
}

void setCommandEnabled(int id, BOOL enabled) {
  SendMessageW(menuBar, TB_ENABLEBUTTON, WPARAM(id), enabled ? 1 : 0);
  if (!IsWindow(menuBar)) return;
  HMENU gameMenu = reinterpret_cast<HMENU>(SendMessageW(menuBar, SHCMBM_GETSUBMENU, 0, kGameMenuCommand));
  EnableMenuItem(gameMenu, UINT(LOWORD(id)), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void updateCommandState() {
  setCommandEnabled(CMD_UNDO, playStatus.gameInProgress == 1 && canUndo == 1);
  if (playStatus.gameInProgress == 1) {
    setCommandEnabled(CMD_NEW_GAME, FALSE);
    setCommandEnabled(CMD_END_GAME, TRUE);
  } else {
    setCommandEnabled(CMD_END_GAME, FALSE);
    setCommandEnabled(CMD_NEW_GAME, TRUE);
  }
}

INT_PTR runDialog(HWND owner, int templateId, DLGPROC proc) {
  HRSRC found = FindResourceW(appInstance, MAKEINTRESOURCEW(templateId), RT_DIALOG);
  HGLOBAL loaded = LoadResource(appInstance, found);
  auto tmpl = static_cast<LPCDLGTEMPLATEW>(LockResource(loaded));
  return DialogBoxIndirectParamW(appInstance, tmpl, owner, proc, 0);
}

LRESULT onAbout(HWND window, int, HWND, int) {
  runDialog(window, DLG_ABOUT, aboutDialogProc);
  return 0;
}

LRESULT onOptions(HWND window, int, HWND, int) {
  runDialog(window, DLG_OPTIONS, optionsDialogProc);
  return 0;
}

LRESULT onStatistics(HWND window, int, HWND, int) {
  runDialog(window, DLG_STATISTICS, statisticsDialogProc);
  return 0;
}
