// The life of one game: dealing, the end with its bonus, undo, and resuming.
#pragma once
#include <windows.h>

void newGame(HWND window);
// Command 101.
LRESULT onNewGame(HWND window, int id, HWND control, int notification);
bool anyMoveLeft();
void finishGame();
// Command 106.
LRESULT undoMove(HWND window, int id, HWND control, int notification);
void resumeGame();
