// The game's records. Board, GameState, PlayStatus, OptionsRecord and
// StatisticsTable are also the blocks of the state file, so their layouts are
// a file format: 32-bit little-endian words, sizes checked below.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

constexpr int kMaxCols = 22;
constexpr int kMaxRows = 22;
constexpr int kCellCount = kMaxCols * kMaxRows;
constexpr int kCellSize = 20;
constexpr int kColorCount = 5;
constexpr int kIncomingColumnCount = 25;
constexpr int kScoreWords = 8;
constexpr int kStyleCount = 4;
constexpr int kStatisticsRecords = 16;
constexpr int32_t kNoColor = -1;

enum GameStyle : int32_t { STYLE_STANDARD = 0, STYLE_CONTINUOUS = 1, STYLE_SHIFTER = 2, STYLE_MEGASHIFT = 3 };
enum BubbleSet : int32_t { BUBBLES_COLORFUL = 0, BUBBLES_GRAYSCALE = 1 };

struct Cell {
  int32_t color;  // 0..4, or -1 when empty
  int32_t x;      // client position of the top-left pixel (layoutBoard)
  int32_t y;
  int32_t occupied;
  int32_t selected;
};

// Column-major: column i, row j is cells[i * 22 + j].
struct Board {
  Cell cells[kCellCount];
};

struct UndoCell {
  int32_t color;
  int32_t occupied;
};

struct UndoBoard {
  UndoCell cells[kCellCount];
};

struct GameState {
  int32_t cols;
  int32_t rows;
  int32_t style;
  int32_t cellSize;
  int32_t colorCount;
  int32_t scores[kScoreWords];
  int32_t seed;
  int32_t incomingColumns[kIncomingColumnCount][kMaxRows];  // entry 0 lands in the bottom row
  int32_t incomingIndex;
  int32_t countsForStats;
  int32_t bubbleSetAtStart;
  int32_t moves;
  int32_t reserved[5];
};

struct PlayStatus {
  uint32_t scoreSlotCount;
  uint32_t scoreSlot;
  int32_t gameInProgress;
  int32_t guestGame;
  int32_t reserved[2];
  uint8_t reservedBytes[100];
};

struct OptionsRecord {
  int32_t playSounds;
  int32_t showStartupDemo;
  int32_t confirmEndGame;
  int32_t guestMode;
  int32_t gameStyle;
  uint32_t scoreSlotCount;
  int32_t reserved1;
  int32_t decimalAverages;
  int32_t bubbleSet;
  int32_t reserved2[5];
};

struct StyleStatistics {
  uint32_t gamesPlayed;
  uint32_t highScore;
  uint32_t totalScore;
  int32_t bestMove;
  uint32_t totalMoves;
  int32_t reserved[5];
};

struct StatisticsTable {
  StyleStatistics styles[kStatisticsRecords];
};

static_assert(sizeof(Cell) == 20);
static_assert(sizeof(Board) == 9680);
static_assert(sizeof(UndoBoard) == 3872);
static_assert(sizeof(GameState) == 2292);
static_assert(offsetof(GameState, scores) == 5 * 4);
static_assert(offsetof(GameState, seed) == 13 * 4);
static_assert(offsetof(GameState, incomingColumns) == 14 * 4);
static_assert(offsetof(GameState, incomingIndex) == 564 * 4);
static_assert(offsetof(GameState, countsForStats) == 565 * 4);
static_assert(offsetof(GameState, bubbleSetAtStart) == 566 * 4);
static_assert(offsetof(GameState, moves) == 567 * 4);
static_assert(sizeof(PlayStatus) == 124);
static_assert(offsetof(PlayStatus, gameInProgress) == 0x08);
static_assert(offsetof(PlayStatus, guestGame) == 0x0C);
static_assert(offsetof(PlayStatus, reservedBytes) == 0x18);
static_assert(sizeof(OptionsRecord) == 56);
static_assert(offsetof(OptionsRecord, gameStyle) == 0x10);
static_assert(offsetof(OptionsRecord, scoreSlotCount) == 0x14);
static_assert(offsetof(OptionsRecord, decimalAverages) == 0x1C);
static_assert(offsetof(OptionsRecord, bubbleSet) == 0x20);
static_assert(sizeof(StyleStatistics) == 40);
static_assert(offsetof(StyleStatistics, bestMove) == 0x0C);
static_assert(offsetof(StyleStatistics, totalMoves) == 0x10);
static_assert(sizeof(StatisticsTable) == 640);

// The saved records.
extern Board board;
extern GameState gameState;
extern PlayStatus playStatus;
extern OptionsRecord options;
extern StatisticsTable statistics;

// Not saved.
extern UndoBoard undoBoard;
extern int32_t selectionCount;
extern int32_t selectionValue;
extern int32_t selectionShown;
extern int32_t canUndo;
extern int32_t scoreBeforeMove;
extern int32_t savedIncomingIndex;
extern int32_t endBonus;
extern int32_t incomingShown;
extern int32_t demoRunning;
extern int32_t splashShown;
extern int32_t firstShow;

inline Cell& cellAt(int col, int row) { return board.cells[col * kMaxRows + row]; }
inline UndoCell& undoCellAt(int col, int row) { return undoBoard.cells[col * kMaxRows + row]; }
// The running score of the game.
inline int32_t& runningScore() { return gameState.scores[playStatus.scoreSlot]; }
