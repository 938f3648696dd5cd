// Emptying a burst group and letting the board settle by the game's style.
#pragma once
#include <windows.h>

// Pause before bubbles first slide along rows, in milliseconds.
constexpr DWORD kSlidePause = 250;

void removeSelected(HDC dc);
void collapseBoard(HDC dc);
void makeIncomingColumns();
