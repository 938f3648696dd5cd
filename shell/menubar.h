// The menu bar with its Undo button, the enabling of commands, and the
// commands that open a dialog.
#pragma once
#include <windows.h>

constexpr int kMenuBarHeight = 26;

void createMenuBar(HWND window);
LRESULT onAbout(HWND window, int id, HWND control, int notification);
LRESULT onOptions(HWND window, int id, HWND control, int notification);
LRESULT onStatistics(HWND window, int id, HWND control, int notification);
// Runs dialog template `templateId` of the program modally; -1 when it cannot be run.
INT_PTR runDialog(HWND owner, int templateId, DLGPROC proc);
