#include <windows.h>

#include "core/records.h"
#include "shell/shell.h"
#include "view/view.h"
#include "view/view_internal.h"

namespace {

const WCHAR* const kColorPictures[kColorCount] = {u"COLOR20A", u"COLOR20B", u"COLOR20C", u"COLOR20D",
                                                  u"COLOR20E"};
const WCHAR* const kGrayPictures[kColorCount] = {u"GRAY20A", u"GRAY20B", u"GRAY20C", u"GRAY20D",
                                                 u"GRAY20E"};

}  // namespace

void loadPictureSet(PictureSet* set) {
  const WCHAR* const* names = options.bubbleSet == BUBBLES_GRAYSCALE ? kGrayPictures : kColorPictures;
  for (int i = 0; i < kColorCount; ++i) set->pictures[i] = LoadBitmapW(appInstance, names[i]);
  set->pictures[5] = LoadBitmapW(appInstance, u"BLANK20WHITE");
}

void freePictureSet(PictureSet* set) {
  for (HBITMAP& picture : set->pictures) {
    if (picture) DeleteObject(picture);
    picture = nullptr;
  }
}

void paintCell(HDC target, HDC memory, int col, int row, HBITMAP picture) {
  // A picture missing from the resources leaves the cell as it was.
  if (!picture) return;
  const Cell& cell = cellAt(col, row);
  HGDIOBJ previous = SelectObject(memory, picture);
  BitBlt(target, cell.x, cell.y, gameState.cellSize, gameState.cellSize, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
}
