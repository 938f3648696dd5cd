#include "store/statefile.h"

#include <windows.h>

#include <cstring>

#include "core/board.h"
#include "core/records.h"

namespace {

struct Block {
  void* data;
  DWORD size;
};

// The file's blocks, in file order.
const Block kBlocks[] = {
    {&board, sizeof board},
    {&gameState, sizeof gameState},
    {&playStatus, sizeof playStatus},
    {&options, sizeof options},
    {&statistics, sizeof statistics},
};

void setDefaults() {
  options.playSounds = 1;
  options.showStartupDemo = 1;
  options.confirmEndGame = 1;
  options.guestMode = 0;
  options.gameStyle = STYLE_STANDARD;
  options.scoreSlotCount = 1;
  options.decimalAverages = 0;
  options.bubbleSet = BUBBLES_COLORFUL;
  playStatus.scoreSlotCount = 1;
  playStatus.scoreSlot = 0;
  playStatus.gameInProgress = 0;
  playStatus.guestGame = 0;
}

bool inRange(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

bool isColor(int32_t value) { return inRange(value, 0, kColorCount - 1); }

// Outside a game the demo may have left its figure beyond the board's area.
bool cellsValid(bool inGame) {
  for (int col = 0; col < kMaxCols; ++col) {
    for (int row = 0; row < kMaxRows; ++row) {
      const Cell& cell = cellAt(col, row);
      bool inPlay = col < gameState.cols && row < gameState.rows;
      if (!inRange(cell.color, kNoColor, kColorCount - 1)) return false;
      if (cell.occupied != (cell.color == kNoColor ? 0 : 1)) return false;
      if (inGame && !inPlay && cell.occupied) return false;
    }
  }
  return true;
}

// A queue in use holds, in each column, one or more colours from the bottom and then no bubble.
bool queueValid() {
  for (const auto& column : gameState.incomingColumns)
    for (int32_t entry : column)
      if (!inRange(entry, kNoColor, kColorCount - 1)) return false;
  if (gameState.style != STYLE_CONTINUOUS && gameState.style != STYLE_MEGASHIFT) return true;
  for (const auto& column : gameState.incomingColumns) {
    int height = 0;
    while (height < gameState.rows && isColor(column[height])) ++height;
    if (height == 0) return false;
    for (int j = height; j < gameState.rows; ++j)
      if (column[j] != kNoColor) return false;
  }
  return true;
}

bool gameValid() {
  return inRange(gameState.cols, 1, kMaxCols) && inRange(gameState.rows, 1, kMaxRows) &&
         inRange(gameState.style, STYLE_STANDARD, STYLE_MEGASHIFT) && gameState.cellSize == kCellSize &&
         gameState.colorCount == kColorCount && playStatus.scoreSlot == 0 &&
         inRange(gameState.incomingIndex, 0, kIncomingColumnCount - 1) && inRange(gameState.countsForStats, 0, 1) &&
         cellsValid(true) && queueValid();
}

// With no game in progress the last game's board may still be painted, so it must be drawable.
bool idleStateSafe() {
  return inRange(gameState.cols, 0, kMaxCols) && inRange(gameState.rows, 0, kMaxRows) && playStatus.scoreSlot == 0 &&
         cellsValid(false);
}

void checkLoadedState() {
  if (playStatus.gameInProgress != 0) {
    playStatus.gameInProgress = 1;
    if (!gameValid()) {
      clearBoard();
      playStatus.gameInProgress = 0;
    }
  }
  if (playStatus.gameInProgress == 0 && !idleStateSafe()) {
    clearBoard();
    gameState.cols = 0;
    gameState.rows = 0;
    playStatus.scoreSlot = 0;
  }
  if (!inRange(options.gameStyle, STYLE_STANDARD, STYLE_MEGASHIFT)) options.gameStyle = STYLE_STANDARD;
  if (!inRange(options.bubbleSet, BUBBLES_COLORFUL, BUBBLES_GRAYSCALE)) options.bubbleSet = BUBBLES_COLORFUL;
}

}  // namespace

void loadStateFile() {
  std::memset(&options, 0, sizeof options);
  std::memset(&playStatus, 0, sizeof playStatus);
  std::memset(&statistics, 0, sizeof statistics);
  HANDLE file = CreateFileW(kStateFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    setDefaults();
    return;
  }
  // A short file leaves the rest of each block as it was: zero at start-up.
  for (const Block& block : kBlocks) {
    DWORD read = 0;
    ReadFile(file, block.data, block.size, &read, nullptr);
  }
  CloseHandle(file);
  checkLoadedState();
}

void saveStateFile() {
  HANDLE file = CreateFileW(kStateFileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  for (const Block& block : kBlocks) {
    DWORD written = 0;
    WriteFile(file, block.data, block.size, &written, nullptr);
  }
  CloseHandle(file);
}
