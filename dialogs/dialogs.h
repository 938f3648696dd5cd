// The game's dialog procedures, each run from its template in the program's
// resources, and the two helpers they share.
#pragma once
#include <windows.h>

#include "core/records.h"

// Template ids.
constexpr int DLG_YOUR_SCORE = 1000;
constexpr int DLG_HIGH_SCORE = 1010;
constexpr int DLG_ABOUT = 1020;
constexpr int DLG_OPTIONS = 1040;
constexpr int DLG_STATISTICS = 1060;
constexpr int DLG_GUEST_SCORE = 1080;
constexpr int DLG_SCORE_CODES = 230;

INT_PTR CALLBACK yourScoreDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK highScoreDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK guestScoreDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK optionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK statisticsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK scoreCodesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// destination holds at least 64 characters. Returns 1 when a code was built,
// 0 when the style has nothing to encode and got the ten zeros.
int makeScoreCode(WCHAR* destination, int style);

// The style's average score as the dialogs show it, by options.decimalAverages;
// out holds at least 32 characters.
void formatAverage(WCHAR* out, const StyleStatistics& s);
