// The board view: bubble pictures, painting the board and its header, the
// selection's value bubble, bursts, the incoming strip and the startup demo.
#pragma once
#include <windows.h>

#include <cstdint>

// Slots 0..4 are the five colours, slot 5 the blank white cell.
struct PictureSet {
  HBITMAP pictures[6];
};

void loadPictureSet(PictureSet* set);
void freePictureSet(PictureSet* set);

void paintCell(HDC target, HDC memory, int col, int row, HBITMAP picture);
void paintBoard(HWND window, HDC dc);
void drawSeparator(HWND window, HDC dc);
void drawSelectionOutline(HDC dc);
void repaintSelectedCells(HDC dc);
void drawSplash(HDC dc);
LRESULT onPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void drawScoreHeader(HWND window, HDC dc);
void drawStyleHeader(HWND window, HDC dc);
void showValueBubble(HWND window, HDC dc, int col, int row);
void hideValueBubble(HWND window, HDC dc);
extern RECT valueBubbleRect;
extern int32_t colorResolution;

void playBurst(HWND window, HDC dc, int color);

void drawIncomingStrip(HDC dc);
void drawSmallBubble(HDC target, HDC memory, int code, int x, int y);

void runStartupDemo();
