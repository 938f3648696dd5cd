// The game's dialog procedures, each run from its template in the program's
// resources, and the two helpers they share.
#pragma once
#include <windows.h>

#include "core/records.h"
#include "res/resource.h"

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
