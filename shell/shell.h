// The application shell's process-wide handles and the operations other
// subsystems call into it.
#pragma once
#include <windows.h>

#include "res/resource.h"

extern HWND mainWindow;
extern HINSTANCE appInstance;
extern HWND menuBar;
extern HDC bubbleBacking;
extern HBITMAP bubbleBackingBitmap;

constexpr int CMD_NOTHING = 110;

constexpr int SOUND_POP = 2000;
constexpr int SOUND_WOOPOP = 2001;
constexpr int SOUND_END = 2002;
constexpr int SOUND_HIGHSCORE = 2003;
constexpr int SOUND_CRITICAL = 2005;
constexpr int SOUND_UNDO = 2006;

void hideInputPanel();
void setCommandEnabled(int id, BOOL enabled);
void updateCommandState();
void playGameSound(int soundId);

LRESULT onEndGame(HWND window, int id, HWND control, int notification);
LRESULT onHelp(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
