#include "core/collapse.h"

#include <cstdlib>

#include "core/board.h"
#include "core/records.h"
#include "view/view.h"

namespace {

constexpr int kBlankPicture = 5;

// What one settling draws with, for its whole length.
struct Painter {
  HDC target;
  HDC memory;
  PictureSet* pictures;
};

bool occupied(int col, int row) { return cellAt(col, row).occupied == 1; }

bool refills() { return (gameState.style == STYLE_CONTINUOUS || gameState.style == STYLE_MEGASHIFT) && demoRunning == 0; }
bool slides() { return gameState.style == STYLE_SHIFTER || gameState.style == STYLE_MEGASHIFT; }
bool slidesTwice() { return gameState.style == STYLE_MEGASHIFT && demoRunning == 0; }

void paintBubble(const Painter& p, int col, int row) {
  paintCell(p.target, p.memory, col, row, p.pictures->pictures[cellAt(col, row).color]);
}

void moveBubble(const Painter& p, int fromCol, int fromRow, int toCol, int toRow) {
  Cell& to = cellAt(toCol, toRow);
  to.color = cellAt(fromCol, fromRow).color;
  to.occupied = 1;
  paintBubble(p, toCol, toRow);
  emptyCell(fromCol, fromRow);
  paintCell(p.target, p.memory, fromCol, fromRow, p.pictures->pictures[kBlankPicture]);
}

void fall(const Painter& p) {
  for (int col = 0; col < gameState.cols; ++col) {
    bool moved = true;
    while (moved) {
      moved = false;
      for (int row = 0; row + 1 < gameState.rows; ++row) {
        if (occupied(col, row) && !occupied(col, row + 1)) {
          moveBubble(p, col, row, col, row + 1);
          moved = true;
        }
      }
    }
  }
}

void moveColumnsRight(const Painter& p) {
  int bottom = gameState.rows - 1;
  bool moved = true;
  while (moved) {
    moved = false;
    for (int col = 0; col + 1 < gameState.cols; ++col) {
      if (occupied(col, bottom) && !occupied(col + 1, bottom)) {
        for (int row = 0; row < gameState.rows; ++row)
          if (occupied(col, row)) moveBubble(p, col, row, col + 1, row);
        moved = true;
      }
    }
  }
}

void slideRowsRight(const Painter& p) {
  bool paused = false;
  for (int row = 0; row < gameState.rows; ++row) {
    bool moved = true;
    while (moved) {
      moved = false;
      for (int col = 0; col + 1 < gameState.cols; ++col) {
        if (occupied(col, row) && !occupied(col + 1, row)) {
          if (!paused) {
            Sleep(kSlidePause);
            paused = true;
          }
          moveBubble(p, col, row, col + 1, row);
          moved = true;
        }
      }
    }
  }
}

void refillEmptyColumns(const Painter& p) {
  savedIncomingIndex = gameState.incomingIndex;
  int bottom = gameState.rows - 1;
  for (int col = gameState.cols - 1; col >= 0; --col) {
    if (occupied(col, bottom)) continue;
    const int32_t* incoming = gameState.incomingColumns[gameState.incomingIndex];
    int height = 0;
    for (int j = 0; j < gameState.rows; ++j)
      if (incoming[j] != kNoColor) height = j + 1;
    for (int j = height - 1; j >= 0; --j) {
      Cell& cell = cellAt(col, bottom - j);
      cell.color = incoming[j];
      cell.occupied = 1;
      paintBubble(p, col, bottom - j);
    }
    if (++gameState.incomingIndex >= kIncomingColumnCount) makeIncomingColumns();
    drawIncomingStrip(p.target);
  }
}

}  // namespace

void removeSelected(HDC dc) {
  PictureSet pictures;
  loadPictureSet(&pictures);
  HDC memory = CreateCompatibleDC(dc);
  for (int col = 0; col < gameState.cols; ++col) {
    for (int row = 0; row < gameState.rows; ++row) {
      if (cellAt(col, row).selected != 1) continue;
      emptyCell(col, row);
      paintCell(dc, memory, col, row, pictures.pictures[kBlankPicture]);
    }
  }
  DeleteDC(memory);
  freePictureSet(&pictures);
}

void collapseBoard(HDC dc) {
  // No cell in play: nothing can settle, and row rows - 1 would not exist.
  if (gameState.cols < 1 || gameState.rows < 1) return;
  PictureSet pictures;
  loadPictureSet(&pictures);
  HDC memory = CreateCompatibleDC(dc);
  Painter p = {dc, memory, &pictures};

  fall(p);
  moveColumnsRight(p);
  if (slides()) slideRowsRight(p);
  if (refills()) refillEmptyColumns(p);
  if (slidesTwice()) slideRowsRight(p);

  DeleteDC(memory);
  freePictureSet(&pictures);
}

void makeIncomingColumns() {
  gameState.incomingIndex = 0;
  savedIncomingIndex = 0;
  if (gameState.rows < 1 || gameState.colorCount < 1) return;
  for (auto& column : gameState.incomingColumns) {
    int height = std::rand() % gameState.rows + 1;
    for (int j = 0; j < gameState.rows; ++j) column[j] = j < height ? std::rand() % gameState.colorCount : kNoColor;
  }
}
