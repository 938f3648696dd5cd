#include <commctrl.h>
#include <windows.h>

#include "core/records.h"
#include "shell/shell.h"
#include "view/view.h"
#include "view/view_internal.h"

RECT valueBubbleRect = {0, 0, 0, 0};

namespace {

constexpr COLORREF kHeaderBlue = 0x00FF0000;

const WCHAR* const kStyleNames[kStyleCount] = {u"Standard", u"Continuous", u"Shifter", u"MegaShift"};

const COLORREF kTints[kColorCount] = {0x00AFAFFF, 0x00AFFFAF, 0x00FFAFAF, 0x00FFAFFF, 0x00AFFFFF};

// Tahoma with every attribute zero except height and weight.
HFONT createTahoma(LONG height, LONG weight) {
  LOGFONTW font;
  memset(&font, 0, sizeof font);
  font.lfHeight = height;
  font.lfWeight = weight;
  wcscpy(font.lfFaceName, u"Tahoma");
  return CreateFontIndirectW(&font);
}

LONG headerFontHeight(HDC dc) { return -(9 * GetDeviceCaps(dc, LOGPIXELSY)) / 72; }

// The first selected cell in reading order (rows from the top, columns from the left).
const Cell* firstSelectedCell() {
  const int cols = colsInPlay(), rows = rowsInPlay();
  for (int row = 0; row < rows; ++row)
    for (int col = 0; col < cols; ++col)
      if (cellAt(col, row).selected == 1) return &cellAt(col, row);
  return nullptr;
}

}  // namespace

void drawScoreHeader(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  const int top = client.top + 3 + CommandBar_Height(GetDlgItem(window, 40));

  HFONT label = createTahoma(headerFontHeight(dc), FW_BOLD);
  HGDIOBJ previous = SelectObject(dc, label);
  SetTextColor(dc, kHeaderBlue);
  ExtTextOutW(dc, client.left + 20, top, 0, nullptr, u"Score:", 6, nullptr);
  SelectObject(dc, previous);
  DeleteObject(label);
  SetTextColor(dc, 0);

  RECT number = {client.left + 66, top, client.left + 105, top + 15};
  FillRect(dc, &number, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const LONG score = playStatus.scoreSlot < uint32_t(kScoreWords) ? runningScore() : 0;
  WCHAR text[16];
  wsprintfW(text, u"%ld", score);
  ExtTextOutW(dc, client.left + 66, top, 0, nullptr, text, UINT(wcslen(text)), nullptr);
}

void drawStyleHeader(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  int32_t style = playStatus.gameInProgress == 1 ? gameState.style : options.gameStyle;
  // An unknown style plays like the first one, so it is shown as that.
  if (style < 0 || style >= kStyleCount) style = STYLE_STANDARD;
  const WCHAR* name = kStyleNames[style];
  const int length = int(wcslen(name));

  RECT band = {client.left + 112, client.top + 3, client.right, client.top + 18};
  FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

  HFONT font = createTahoma(headerFontHeight(dc), FW_SEMIBOLD);
  HGDIOBJ previous = SelectObject(dc, font);
  SIZE extent = {0, 0};
  GetTextExtentExPointW(dc, name, length, 0, nullptr, nullptr, &extent);
  SetTextColor(dc, kHeaderBlue);
  ExtTextOutW(dc, client.right - extent.cx - 20, client.top + 3, 0, nullptr, name, UINT(length), nullptr);
  SetTextColor(dc, 0);
  SelectObject(dc, previous);
  DeleteObject(font);
}

void showValueBubble(HWND window, HDC dc, int col, int row) {
  if (window != mainWindow) return;
  const Cell* anchor = firstSelectedCell();
  const Cell* colorCell = nullptr;
  if (col >= 0) {
    if (col >= kMaxCols || row < 0 || row >= kMaxRows) return;
    colorCell = &cellAt(col, row);
  } else {
    colorCell = anchor;
  }
  if (!colorCell) return;
  if (!anchor) anchor = colorCell;

  WCHAR text[16];
  wsprintfW(text, u"%d", int(selectionValue));
  const int length = int(wcslen(text));
  valueBubbleRect = {0, 0, 0, 0};
  const COLORREF tint = isBubbleColor(colorCell->color) ? kTints[colorCell->color] : 0x00FFFFFF;

  HFONT font = createTahoma((8 * GetDeviceCaps(dc, LOGPIXELSY)) / -72, FW_DONTCARE);
  HGDIOBJ previousFont = SelectObject(dc, font);
  SIZE extent = {0, 0};
  GetTextExtentExPointW(dc, text, length, 0, nullptr, nullptr, &extent);
  const int diameter = extent.cx + 13;

  int x0 = anchor->x - diameter;
  int y0 = anchor->y - (extent.cy + 3);
  if (x0 < 2) x0 = 2;
  if (y0 < 22) y0 = 22;

  BitBlt(bubbleBacking, 0, 0, diameter, diameter, dc, x0, y0, SRCCOPY);

  const bool ownBrush = colorResolution >= 8;
  HBRUSH brush = ownBrush ? CreateSolidBrush(tint) : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  SetBkColor(dc, tint);
  HGDIOBJ previousBrush = SelectObject(dc, brush);
  Ellipse(dc, x0, y0, x0 + diameter, y0 + diameter);
  SelectObject(dc, previousBrush);
  if (ownBrush) DeleteObject(brush);

  valueBubbleRect = {x0 + 1, y0, x0 + diameter, y0 + diameter};
  DrawTextW(dc, text, -1, &valueBubbleRect, DT_CENTER | DT_VCENTER);
  valueBubbleRect.left = x0;

  SelectObject(dc, previousFont);
  DeleteObject(font);
}

void hideValueBubble(HWND window, HDC dc) {
  BitBlt(dc, valueBubbleRect.left, valueBubbleRect.top, valueBubbleRect.right - valueBubbleRect.left,
         valueBubbleRect.bottom - valueBubbleRect.top, bubbleBacking, 0, 0, SRCCOPY);
}
