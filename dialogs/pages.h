// What the dialog units share: the page set-up every dialog starts with and
// the formats of the figures they show.
#pragma once
#include <windows.h>
#include <aygshell.h>

// Every dialog gets the OK button in its caption and fills the screen.
inline void initDialogPage(HWND dialog) {
  SHINITDLGINFO info = {};
  info.dwMask = SHIDIM_FLAGS;
  info.hDlg = dialog;
  info.dwFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLG;
  SHInitDialog(&info);
}

// Counts and scores are formatted as the platform's 32-bit long.
inline constexpr const WCHAR* kCountFormat = u"%ld";
inline constexpr const WCHAR* kSmallNumberFormat = u"%d";

// Room for any figure a dialog formats.
constexpr int kFigureChars = 32;
