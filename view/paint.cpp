#include <commctrl.h>
#include <windows.h>

#include "core/records.h"
#include "shell/shell.h"
#include "view/view.h"
#include "view/view_internal.h"

int32_t colorResolution = 0;

namespace {

bool isSelected(int col, int row) { return cellAt(col, row).selected == 1; }

HBITMAP pictureFor(const PictureSet& set, const Cell& cell) {
  return cell.occupied == 1 && isBubbleColor(cell.color) ? set.pictures[cell.color] : set.pictures[5];
}

}  // namespace

void drawSeparator(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  int y = 20 + CommandBar_Height(GetDlgItem(window, 40));
  drawSegment(dc, 0, y, client.right, y);
}

void paintBoard(HWND window, HDC dc) {
  HDC memory = CreateCompatibleDC(dc);
  drawSeparator(window, dc);
  if (demoRunning == 0) {
    drawScoreHeader(window, dc);
    // The style name always takes its place from the main window.
    drawStyleHeader(mainWindow, dc);
  }
  PictureSet set;
  loadPictureSet(&set);
  const int cols = colsInPlay(), rows = rowsInPlay();
  for (int col = 0; col < cols; ++col)
    for (int row = 0; row < rows; ++row) paintCell(dc, memory, col, row, pictureFor(set, cellAt(col, row)));
  freePictureSet(&set);
  if (selectionShown == 1) drawSelectionOutline(dc);
  DeleteDC(memory);
}

void drawSelectionOutline(HDC dc) {
  const int cols = colsInPlay(), rows = rowsInPlay();
  const int s = gameState.cellSize;
  for (int i = 0; i < cols; ++i) {
    for (int j = 0; j < rows; ++j) {
      if (!isSelected(i, j)) continue;
      const int x = cellAt(i, j).x, y = cellAt(i, j).y;
      const bool left = i > 0 && isSelected(i - 1, j);
      const bool right = i + 1 < cols && isSelected(i + 1, j);
      const bool up = j > 0 && isSelected(i, j - 1);
      const bool down = j + 1 < rows && isSelected(i, j + 1);
      if (!left) drawSegment(dc, x, y, x, y + s);
      if (!right) drawSegment(dc, x + s - 1, y, x + s - 1, y + s);
      if (!up) drawSegment(dc, x, y, x + s, y);
      if (!down) drawSegment(dc, x, y + s - 1, x + s, y + s - 1);
      if (left && up && !isSelected(i - 1, j - 1)) drawSegment(dc, x, y, x, y + 1);
      if (right && up && !isSelected(i + 1, j - 1)) drawSegment(dc, x + s - 1, y, x + s - 1, y + 1);
      if (right && down && !isSelected(i + 1, j + 1))
        drawSegment(dc, x + s - 1, y + s - 1, x + s - 1, y + s);
      if (left && down && !isSelected(i - 1, j + 1)) drawSegment(dc, x, y + s - 1, x, y + s);
    }
  }
}

void repaintSelectedCells(HDC dc) {
  HDC memory = CreateCompatibleDC(dc);
  PictureSet set;
  loadPictureSet(&set);
  const int cols = colsInPlay(), rows = rowsInPlay();
  for (int col = 0; col < cols; ++col) {
    for (int row = 0; row < rows; ++row) {
      const Cell& cell = cellAt(col, row);
      if (cell.selected == 1 && cell.occupied == 1 && isBubbleColor(cell.color))
        paintCell(dc, memory, col, row, set.pictures[cell.color]);
    }
  }
  freePictureSet(&set);
  DeleteDC(memory);
}

void drawSplash(HDC dc) {
  HBITMAP picture = LoadBitmapW(appInstance, u"SPLASH");
  if (!picture) return;
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(memory, picture);
  // Asks for 141 rows of a 110-row picture; the rows past its end are whatever
  // the copy yields, and the title stays where players know it.
  BitBlt(dc, 22, 75, 196, 141, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteObject(picture);
  DeleteDC(memory);
}

LRESULT onPaint(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (splashShown == 1) {
    paintBoard(window, dc);
    drawSplash(dc);
  } else {
    if (firstShow == 1) {
      // Measured once; a display this poor cannot tell the colours apart.
      colorResolution = GetDeviceCaps(dc, COLORRES);
      if (colorResolution < 8) options.bubbleSet = BUBBLES_GRAYSCALE;
    } else {
      paintBoard(window, dc);
      if (incomingShown == 1) drawIncomingStrip(dc);
    }
    if (playStatus.gameInProgress == 1 && selectionShown == 1) showValueBubble(window, dc, -1, -1);
  }
  EndPaint(window, &paint);
  return 0;
}
