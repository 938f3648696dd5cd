// Dealing a board: its size in the window, its colours from the seed, where
// its cells stand, and the tap mapping that finds them again.
#include <cstdlib>

#include "core/game.h"
#include "core/tap.h"
#include "game_core_fixture.h"

namespace {

using coretest::BigDevice;
using coretest::Device;

class Deal : public Device {
 protected:
  std::vector<int32_t> colors() const {
    std::vector<int32_t> out;
    for (const Cell& cell : board.cells) out.push_back(cell.color);
    return out;
  }
  std::vector<int32_t> queue() const {
    const int32_t* words = &gameState.incomingColumns[0][0];
    return std::vector<int32_t>(words, words + kIncomingColumnCount * kMaxRows);
  }
};

TEST_F(Deal, OneSeedGivesOneBoardAndOneQueueInTheDrawOrder) {
  options.gameStyle = STYLE_CONTINUOUS;
  host.randoms = {4242};
  newGame(window);
  ASSERT_EQ(gameState.seed, 4242);
  ASSERT_EQ(gameState.cols, 11);
  ASSERT_EQ(gameState.rows, 11);

  // Column by column, top to bottom, five colours; then the queue, height first.
  std::srand(4242);
  for (int col = 0; col < 11; ++col)
    for (int row = 0; row < 11; ++row) ASSERT_EQ(cellAt(col, row).color, std::rand() % 5) << col << "," << row;
  for (int k = 0; k < kIncomingColumnCount; ++k) {
    int height = std::rand() % 11 + 1;
    for (int j = 0; j < 11; ++j)
      ASSERT_EQ(gameState.incomingColumns[k][j], j < height ? std::rand() % 5 : -1) << k << "," << j;
  }
  EXPECT_EQ(gameState.incomingIndex, 0);

  auto firstBoard = colors();
  auto firstQueue = queue();
  playStatus.gameInProgress = 0;
  host.randomIndex = 0;
  newGame(window);
  EXPECT_EQ(colors(), firstBoard);
  EXPECT_EQ(queue(), firstQueue);

  playStatus.gameInProgress = 0;
  host.randoms = {4243};
  host.randomIndex = 0;
  newGame(window);
  EXPECT_NE(colors(), firstBoard);
}

TEST_F(Deal, NewGameTakesTheOptionsAndStartsClean) {
  options.gameStyle = STYLE_SHIFTER;
  options.bubbleSet = BUBBLES_GRAYSCALE;
  options.scoreSlotCount = 7;
  options.guestMode = 1;
  splashShown = 1;
  canUndo = 1;
  scoreBeforeMove = 55;
  gameState.scores[0] = 999;
  gameState.moves = 12;
  newGame(window);
  EXPECT_EQ(splashShown, 0);
  EXPECT_EQ(gameState.style, STYLE_SHIFTER);
  EXPECT_EQ(gameState.bubbleSetAtStart, BUBBLES_GRAYSCALE);
  EXPECT_EQ(playStatus.scoreSlotCount, 7u);
  EXPECT_EQ(incomingShown, 0);
  EXPECT_EQ(gameState.cellSize, 20);
  EXPECT_EQ(gameState.colorCount, 5);
  EXPECT_EQ(runningScore(), 0);
  EXPECT_EQ(gameState.moves, 0);
  EXPECT_EQ(canUndo, 0);
  EXPECT_EQ(scoreBeforeMove, 0);
  EXPECT_EQ(playStatus.guestGame, 1);
  EXPECT_EQ(gameState.countsForStats, 0);
  EXPECT_EQ(playStatus.gameInProgress, 1);
  // Saved as its last step, whole.
  EXPECT_EQ(stateFileBytes().size(), 12792u);

  playStatus.gameInProgress = 0;
  options.guestMode = 0;
  newGame(window);
  EXPECT_EQ(playStatus.guestGame, 0);
  EXPECT_EQ(gameState.countsForStats, 1);
}

TEST_F(Deal, BoardSizeFollowsTheWindowAndTheStrip) {
  newGame(window);
  EXPECT_EQ(gameState.cols, 11);
  EXPECT_EQ(gameState.rows, 12);
  // Only cells in play hold bubbles, and the undo board matches the deal.
  int occupied = 0;
  for (int col = 0; col < kMaxCols; ++col) {
    for (int row = 0; row < kMaxRows; ++row) {
      const Cell& cell = cellAt(col, row);
      bool inPlay = col < 11 && row < 12;
      EXPECT_EQ(cell.occupied, inPlay ? 1 : 0);
      EXPECT_EQ(undoCellAt(col, row).color, cell.color);
      EXPECT_EQ(undoCellAt(col, row).occupied, cell.occupied);
      occupied += cell.occupied;
    }
  }
  EXPECT_EQ(occupied, 132);

  for (int style : {STYLE_CONTINUOUS, STYLE_MEGASHIFT}) {
    playStatus.gameInProgress = 0;
    options.gameStyle = style;
    newGame(window);
    EXPECT_EQ(gameState.rows, 11) << style;
    EXPECT_EQ(incomingShown, 1);
  }
}

TEST_F(Deal, ABoardNeverExceeds22By22) {
  resizeClient(1000, 900);
  newGame(window);
  EXPECT_EQ(gameState.cols, 22);
  EXPECT_EQ(gameState.rows, 22);
}

TEST_F(Deal, AWindowForFewerThanTwoCellsDealsNoGame) {
  // 1 x 1, 0 x 12 and 11 x 0 cells: none can hold a move, and none may loop.
  for (auto [w, h] : {std::pair{38, 40}, {37, 268}, {240, 39}, {0, 0}}) {
    playStatus.gameInProgress = 0;
    resizeClient(w, h);
    newGame(window);
    EXPECT_EQ(playStatus.gameInProgress, 0) << w << "x" << h;
    for (const Cell& cell : board.cells) ASSERT_EQ(cell.occupied, 0);
  }
  EXPECT_FALSE(stateFileExists());
  // Two cells are enough: the deal repeats until they match.
  resizeClient(38, 60);
  newGame(window);
  EXPECT_EQ(gameState.cols * gameState.rows, 2);
  EXPECT_EQ(playStatus.gameInProgress, 1);
  EXPECT_TRUE(anyMoveLeft());
}

TEST_F(Deal, ANewBoardAlwaysHoldsAMove) {
  // On 2 x 2 boards many first deals hold no move, so the deal has to be repeated.
  resizeClient(58, 60);
  int repeated = 0;
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    std::srand(seed);
    int first[4];
    for (int& color : first) color = std::rand() % 5;
    bool firstHasMove = first[0] == first[1] || first[2] == first[3] || first[0] == first[2] || first[1] == first[3];
    playStatus.gameInProgress = 0;
    host.randoms = {seed};
    host.randomIndex = 0;
    newGame(window);
    ASSERT_EQ(gameState.cols * gameState.rows, 4);
    ASSERT_TRUE(anyMoveLeft()) << "seed " << seed;
    if (!firstHasMove) ++repeated;
  }
  EXPECT_GT(repeated, 5);
}

TEST_F(Deal, NewGameCommandIsRefusedDuringAGame) {
  onNewGame(window, CMD_NEW_GAME, nullptr, 0);
  ASSERT_EQ(playStatus.gameInProgress, 1);
  auto before = colors();
  int32_t seed = gameState.seed;
  host.randoms = {777};
  host.randomIndex = 0;
  onNewGame(window, CMD_NEW_GAME, nullptr, 0);
  EXPECT_EQ(colors(), before);
  EXPECT_EQ(gameState.seed, seed);
}

TEST_F(Device, AnyMoveLeftSeesOnlyOrthogonalPairsOfBubbles) {
  setBoard({"01", "10"});
  EXPECT_FALSE(anyMoveLeft());
  setBoard({"0.", ".0"});
  EXPECT_FALSE(anyMoveLeft());
  setBoard({"..", "33"});
  EXPECT_TRUE(anyMoveLeft());
  setBoard({"2.", "24"});
  EXPECT_TRUE(anyMoveLeft());
  // Two empty cells side by side are no move.
  setBoard({"..", "12"});
  EXPECT_FALSE(anyMoveLeft());
}

TEST_F(Device, ClearBoardEmptiesEveryCellAndTheUndoBoard) {
  for (Cell& cell : board.cells) cell = {3, 77, 88, 1, 1};
  for (UndoCell& cell : undoBoard.cells) cell = {2, 1};
  clearBoard();
  for (const Cell& cell : board.cells) {
    ASSERT_EQ(cell.color, -1);
    ASSERT_EQ(cell.occupied, 0);
    ASSERT_EQ(cell.selected, 0);
    ASSERT_EQ(cell.x, 77);  // positions stay
  }
  for (const UndoCell& cell : undoBoard.cells) {
    ASSERT_EQ(cell.color, -1);
    ASSERT_EQ(cell.occupied, 0);
  }
}

// ---- Layout and the tap mapping ----

class Layout : public Device {
 protected:
  void place(int cols, int rows, int strip) {
    gameState.cols = cols;
    gameState.rows = rows;
    gameState.cellSize = kCellSize;
    incomingShown = strip;
    layoutBoard();
  }
  // Every client pixel: on a cell exactly when it lies in that cell's square, except the
  // s - 1 pixels left of the board, which truncation maps to column 0.
  void expectTapMappingInvertsLayout(int width, int height) {
    const Cell& first = cellAt(0, 0);
    int boardBottom = first.y + gameState.rows * kCellSize;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        int col = -1;
        int row = -1;
        bool on = cellAtPoint(window, x, y, &col, &row);
        int wantCol = -1;
        int wantRow = -1;
        for (int c = 0; c < gameState.cols && wantCol < 0; ++c) {
          for (int r = 0; r < gameState.rows; ++r) {
            const Cell& cell = cellAt(c, r);
            if (x >= cell.x && x < cell.x + kCellSize && y >= cell.y && y < cell.y + kCellSize) {
              wantCol = c;
              wantRow = r;
              break;
            }
          }
        }
        bool leftFringe = x < first.x && x > first.x - kCellSize && y >= first.y && y < boardBottom;
        if (leftFringe) {
          ASSERT_TRUE(on) << x << "," << y;
          ASSERT_EQ(col, 0);
          ASSERT_EQ(row, (y - first.y) / kCellSize);
        } else if (wantCol >= 0) {
          ASSERT_TRUE(on) << x << "," << y;
          ASSERT_EQ(col, wantCol) << x << "," << y;
          ASSERT_EQ(row, wantRow) << x << "," << y;
        } else {
          ASSERT_FALSE(on) << x << "," << y;
        }
      }
    }
  }
};

TEST_F(Layout, CellsStandCentredBelowTheHeader) {
  place(11, 12, 0);
  EXPECT_EQ(cellAt(0, 0).x, 10);
  EXPECT_EQ(cellAt(0, 0).y, 24);
  EXPECT_EQ(cellAt(10, 11).x, 210);
  EXPECT_EQ(cellAt(10, 11).y, 244);

  // With the strip the board keeps clear of the bottom 20 pixels.
  place(11, 11, 1);
  EXPECT_EQ(cellAt(0, 0).y, 24);
  EXPECT_EQ(cellAt(0, 10).y, 224);
  EXPECT_LE(cellAt(0, 10).y + kCellSize, 268 - 20);

  // Odd leftover width: the extra pixel goes to the right.
  resizeClient(241, 268);
  place(11, 12, 0);
  EXPECT_EQ(cellAt(0, 0).x, 10);
  EXPECT_EQ(241 - (cellAt(10, 0).x + kCellSize), 11);
}

TEST_F(Layout, ABoardTooBigForTheWindowKeepsTheLeastMargins) {
  place(22, 22, 0);
  EXPECT_EQ(cellAt(0, 0).x, 9);
  EXPECT_EQ(cellAt(0, 0).y, 22);
  EXPECT_EQ(cellAt(21, 21).x, 9 + 21 * 20);
  // Cells outside the area in play are never moved.
  Cell& outside = cellAt(21, 21);
  place(11, 12, 0);
  EXPECT_EQ(outside.x, 9 + 21 * 20);
}

TEST_F(Layout, TapMappingInvertsTheLayoutOnEveryPixel) {
  place(11, 12, 0);
  expectTapMappingInvertsLayout(240, 268);
  place(11, 11, 1);
  expectTapMappingInvertsLayout(240, 268);
  // A smaller board centred with odd margins on both axes.
  place(5, 7, 0);
  expectTapMappingInvertsLayout(240, 268);
  resizeClient(241, 269);
  place(11, 12, 0);
  expectTapMappingInvertsLayout(241, 269);
  // Wider and taller than the window: fixed margins, cells running off the window.
  resizeClient(240, 268);
  place(14, 15, 0);
  expectTapMappingInvertsLayout(240, 268);
}

TEST_F(Layout, TapsJustOutsideTheBoard) {
  place(11, 12, 0);
  int col = 0;
  int row = 0;
  // Up to 19 pixels left of column 0 still counts as column 0; 20 does not.
  EXPECT_TRUE(cellAtPoint(window, 10 - 19, 30, &col, &row));
  EXPECT_EQ(col, 0);
  EXPECT_FALSE(cellAtPoint(window, 10 - 20, 30, &col, &row));
  // The pixel row right below the last row, and the header band.
  EXPECT_FALSE(cellAtPoint(window, 100, 264, &col, &row));
  EXPECT_TRUE(cellAtPoint(window, 100, 263, &col, &row));
  EXPECT_EQ(row, 11);
  EXPECT_FALSE(cellAtPoint(window, 100, 23, &col, &row));
  EXPECT_FALSE(cellAtPoint(window, 230, 100, &col, &row));
}

TEST_F(BigDevice, TheMarginsOfAFullBoard) {
  gameState.cols = 22;
  gameState.rows = 22;
  gameState.cellSize = kCellSize;
  layoutBoard();
  // (480 - 440) / 2 and (468 - 440 - 20) / 2.
  EXPECT_EQ(cellAt(0, 0).x, 20);
  EXPECT_EQ(cellAt(0, 0).y, 24);
}

}  // namespace
