// The board's elementary operations and where its cells stand in the window.
#pragma once
#include <windows.h>

// Screen bands around the board, in pixels.
constexpr int kHeaderHeight = 20;
constexpr int kStripHeight = 20;
constexpr int kMinLeftMargin = 9;
constexpr int kMinTopMargin = 2;
// Width a new board leaves free beside its columns (twice the least left margin).
constexpr int kSideAllowance = 2 * kMinLeftMargin;

void initGameCore();
void clearBoard();
void emptyCell(int col, int row);
void fillBoard();
void layoutBoard();

// cols and rows of a new board for the window's client area (strip by incomingShown).
void sizeBoardForWindow(HWND window);
// The margins layoutBoard uses for this client rectangle; the tap mapping inverts them.
void boardMargins(const RECT* client, int* marginX, int* marginY);
