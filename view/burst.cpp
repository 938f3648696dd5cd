#include <windows.h>

#include "core/records.h"
#include "shell/shell.h"
#include "view/view.h"
#include "view/view_internal.h"

namespace {

const WCHAR* const kSmallBursts[kColorCount] = {u"BURST_RED_20", u"BURST_GREEN_20", u"BURST_BLUE_20",
                                                u"BURST_PURPLE_20", u"BURST_YELLOW_20"};
const WCHAR* const kBigBursts[kColorCount] = {u"BBURST_RED_20", u"BBURST_GREEN_20", u"BBURST_BLUE_20",
                                              u"BBURST_PURPLE_20", u"BBURST_YELLOW_20"};
const WCHAR* const kColorSmallBubbles[kColorCount] = {u"COLOR14A", u"COLOR14B", u"COLOR14C", u"COLOR14D",
                                                      u"COLOR14E"};
const WCHAR* const kGraySmallBubbles[kColorCount] = {u"GRAY14A", u"GRAY14B", u"GRAY14C", u"GRAY14D",
                                                     u"GRAY14E"};
constexpr int kSmallBubbleSize = 14;
constexpr int kFirstSmallCode = 20;

const WCHAR* burstPicture(int color) {
  if (options.bubbleSet == BUBBLES_GRAYSCALE) return u"BURST_BLACK_20";
  if (!isBubbleColor(color)) return nullptr;
  return selectionCount <= 9 ? kSmallBursts[color] : kBigBursts[color];
}

}  // namespace

void playBurst(HWND window, HDC dc, int color) {
  HDC memory = CreateCompatibleDC(dc);
  const WCHAR* name = burstPicture(color);
  HBITMAP picture = name ? LoadBitmapW(appInstance, name) : nullptr;
  if (picture) {
    HGDIOBJ previous = SelectObject(memory, picture);
    const int cols = colsInPlay(), rows = rowsInPlay();
    const int s = gameState.cellSize;
    for (int col = 0; col < cols; ++col) {
      for (int row = 0; row < rows; ++row) {
        const Cell& cell = cellAt(col, row);
        if (cell.selected == 1) BitBlt(dc, cell.x, cell.y, s, s, memory, 0, 0, SRCCOPY);
      }
    }
    SelectObject(memory, previous);
    DeleteObject(picture);
  }
  playGameSound(selectionCount < 10 ? SOUND_POP : SOUND_WOOPOP);
  Sleep(200);
  DeleteDC(memory);
}

void drawIncomingStrip(HDC dc) {
  if (incomingShown == 0) return;
  RECT client;
  GetClientRect(mainWindow, &client);
  HDC memory = CreateCompatibleDC(dc);
  drawSegment(dc, 0, client.bottom - 20, client.right, client.bottom - 20);

  const int rows = rowsInPlay();
  // A damaged index shows an empty strip rather than memory past the queue.
  const bool valid = gameState.incomingIndex >= 0 && gameState.incomingIndex < kIncomingColumnCount;
  const int32_t* column = valid ? gameState.incomingColumns[gameState.incomingIndex] : nullptr;
  int count = 0;
  for (int i = 0; column && i < rows; ++i)
    if (column[i] != kNoColor) ++count;

  RECT band = {client.left, client.bottom - 17, client.right, client.bottom};
  FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

  int x = client.left + (client.right - kSmallBubbleSize * count - client.left) / 2;
  for (int i = 0; column && i < rows; ++i) {
    if (column[i] == kNoColor) continue;
    drawSmallBubble(dc, memory, column[i] + kFirstSmallCode, x, client.bottom - 17);
    x += kSmallBubbleSize;
  }
  DeleteDC(memory);
}

void drawSmallBubble(HDC target, HDC memory, int code, int x, int y) {
  const int color = code - kFirstSmallCode;
  if (!isBubbleColor(color)) return;
  const WCHAR* const* names = options.bubbleSet == BUBBLES_GRAYSCALE ? kGraySmallBubbles : kColorSmallBubbles;
  HBITMAP picture = LoadBitmapW(appInstance, names[color]);
  if (!picture) return;
  HGDIOBJ previous = SelectObject(memory, picture);
  BitBlt(target, x, y, kSmallBubbleSize, kSmallBubbleSize, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteObject(picture);
}
