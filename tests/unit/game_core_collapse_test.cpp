// Settling after a burst, style by style: what ends where, what the screen
// shows, when the pauses come, and the queue of incoming columns.
#include "core/collapse.h"
#include "game_core_fixture.h"

namespace {

using coretest::Device;
using coretest::screenMatchesBoard;
using Rows = std::vector<std::string>;

class Settle : public Device {
 protected:
  // Bursts the cells marked 'x' in `marks` (same shape as the board) on the window's screen.
  void burst(const Rows& marks) {
    for (int row = 0; row < int(marks.size()); ++row)
      for (int col = 0; col < int(marks[row].size()); ++col)
        if (marks[row][col] == 'x') cellAt(col, row).selected = 1;
    HDC dc = GetDC(window);
    size_t gdiBefore = pk::automation::liveGdiObjects();
    removeSelected(dc);
    collapseBoard(dc);
    EXPECT_EQ(pk::automation::liveGdiObjects(), gdiBefore);
    ReleaseDC(window, dc);
  }
  // Queue column k holds `bottomUp` (entry 0 first), the rest none.
  static void setIncoming(int k, const std::string& bottomUp) {
    for (int j = 0; j < kMaxRows; ++j)
      gameState.incomingColumns[k][j] = j < int(bottomUp.size()) ? bottomUp[j] - '0' : kNoColor;
  }
};

TEST_F(Settle, StandardBubblesFallAndColumnsCloseToTheRight) {
  setBoard({
      "0123",
      "1230",
      "2301",
      "3012",
  });
  burst({
      "..x.",
      "..x.",
      ".x..",
      "..x.",
  });
  EXPECT_EQ(boardRows(), (Rows{
                             "0..3",
                             "11.0",
                             "22.1",
                             "3002",
                         }));
  EXPECT_TRUE(screenMatchesBoard(coretest::kWindowTop));
  EXPECT_TRUE(host.pauses.empty());

  // An emptied middle column is closed by the columns to its left; empty ones end at the left.
  setBoard({
      "1.2",
      "1.2",
  });
  burst({"..", ".."});
  EXPECT_EQ(boardRows(), (Rows{".12", ".12"}));
  EXPECT_TRUE(screenMatchesBoard(coretest::kWindowTop));
}

TEST_F(Settle, ColumnsKeepTheirOrderWhenSeveralAreEmpty) {
  setBoard({
      "0.1..2.",
      "0.1..2.",
  });
  burst({});
  EXPECT_EQ(boardRows(), (Rows{
                             "....012",
                             "....012",
                         }));
}

TEST_F(Settle, OneRowOrOneColumn) {
  // One row: nothing falls, but columns still move right.
  setBoard({"01122"});
  burst({".xx.."});
  EXPECT_EQ(boardRows(), (Rows{"..022"}));
  // One column: it only falls.
  setBoard({"0", "1", "1", "2"});
  burst({".", "x", "x", "."});
  EXPECT_EQ(boardRows(), (Rows{".", ".", "0", "2"}));
}

TEST_F(Settle, ShifterPacksRowsRightWithOnePause) {
  setBoard(
      {
          "01..",
          "23.1",
          "4210",
      },
      STYLE_SHIFTER);
  burst({
      "....",
      "....",
      "..x.",
  });
  // Fall: column 2 loses its only bubble and is filled by the columns to its left,
  // then every row slides right.
  EXPECT_EQ(boardRows(), (Rows{
                             "..01",
                             ".231",
                             ".420",
                         }));
  EXPECT_EQ(countPauses(kSlidePause), 1);
  EXPECT_EQ(host.pauses.size(), 1u);
  EXPECT_TRUE(screenMatchesBoard(coretest::kWindowTop));

  // Nothing to slide: no pause at all.
  host.pauses.clear();
  setBoard({"..12", ".012"}, STYLE_SHIFTER);
  burst({"..x.", "..x."});
  EXPECT_EQ(boardRows(), (Rows{"...2", "..02"}));
  EXPECT_TRUE(host.pauses.empty());
}

TEST_F(Settle, ContinuousRefillsEmptyColumnsFromTheQueue) {
  setBoard(
      {
          "012",
          "120",
          "201",
      },
      STYLE_CONTINUOUS);
  setIncoming(3, "41");
  setIncoming(4, "333");
  gameState.incomingIndex = 3;
  burst({
      "x.x",
      "x.x",
      "x.x",
  });
  // The rightmost empty column takes the first column of the queue, entry 0 at the bottom.
  EXPECT_EQ(boardRows(), (Rows{
                             "3.1",
                             "312",
                             "340",
                         }));
  EXPECT_EQ(gameState.incomingIndex, 5);
  EXPECT_EQ(savedIncomingIndex, 3);
  EXPECT_TRUE(host.pauses.empty());
  EXPECT_TRUE(screenMatchesBoard(coretest::kWindowTop));
}

TEST_F(Settle, TakingTheLastQueuedColumnMakesANewQueue) {
  setBoard({"01", "10"}, STYLE_CONTINUOUS);
  setIncoming(24, "2");
  gameState.incomingIndex = 24;
  std::srand(99);
  burst({"xx", "xx"});
  // Column 24 went to the right, the new queue's column 0 to the left.
  EXPECT_EQ(cellAt(1, 1).color, 2);
  EXPECT_EQ(cellAt(1, 0).occupied, 0);
  EXPECT_EQ(gameState.incomingIndex, 1);
  EXPECT_EQ(savedIncomingIndex, 0);
  int height = 0;
  while (height < 2 && gameState.incomingColumns[0][height] != kNoColor) ++height;
  ASSERT_GE(height, 1);
  for (int j = 0; j < 2; ++j)
    EXPECT_EQ(cellAt(0, 1 - j).color, j < height ? gameState.incomingColumns[0][j] : kNoColor);
  // The new queue came from the generator right then.
  std::srand(99);
  for (int k = 0; k < kIncomingColumnCount; ++k) {
    int n = std::rand() % 2 + 1;
    for (int j = 0; j < 2; ++j) ASSERT_EQ(gameState.incomingColumns[k][j], j < n ? std::rand() % 5 : -1);
  }
}

TEST_F(Settle, MegaShiftSlidesBeforeAndAfterTheRefill) {
  setBoard(
      {
          "1..",
          "20.",
          "304",
      },
      STYLE_MEGASHIFT);
  setIncoming(0, "222");
  gameState.incomingIndex = 0;
  burst({
      "...",
      "...",
      "..x",
  });
  // Columns move right leaving column 0 empty, rows slide, then the refill lands in
  // column 0 and its bubbles slide right again wherever a row has a gap.
  EXPECT_EQ(boardRows(), (Rows{
                             ".21",
                             "220",
                             "230",
                         }));
  EXPECT_EQ(countPauses(kSlidePause), 2);
  EXPECT_TRUE(screenMatchesBoard(coretest::kWindowTop));
}

TEST_F(Settle, MegaShiftPausesOnlyForTheSlideThatMoves) {
  setBoard({"01", "10"}, STYLE_MEGASHIFT);
  setIncoming(0, "3");
  burst({"x.", "x."});
  // No row has room to slide, before or after the refill.
  EXPECT_EQ(boardRows(), (Rows{".1", "30"}));
  EXPECT_TRUE(host.pauses.empty());

  // Only the refilled column stands taller than its neighbour: one slide, one pause.
  setBoard({"..", "12"}, STYLE_MEGASHIFT);
  setIncoming(0, "33");
  gameState.incomingIndex = 0;
  burst({"..", "x."});
  EXPECT_EQ(boardRows(), (Rows{".3", "32"}));
  EXPECT_EQ(countPauses(kSlidePause), 1);
  EXPECT_EQ(host.pauses.size(), 1u);
}

TEST_F(Settle, TheDemoNeverRefillsNorSlidesTwice) {
  setBoard({"10", "21"}, STYLE_MEGASHIFT);
  setIncoming(0, "44");
  demoRunning = 1;
  burst({"x.", "x."});
  EXPECT_EQ(boardRows(), (Rows{".0", ".1"}));
  EXPECT_EQ(gameState.incomingIndex, 0);
  demoRunning = 0;
}

TEST_F(Settle, RemovingEmptiesBothWordsAndLeavesTheMarks) {
  setBoard({"00", "12"});
  selectCells({{0, 0}, {1, 0}});
  HDC dc = GetDC(window);
  removeSelected(dc);
  ReleaseDC(window, dc);
  EXPECT_EQ(cellAt(0, 0).color, -1);
  EXPECT_EQ(cellAt(0, 0).occupied, 0);
  EXPECT_EQ(cellAt(1, 0).occupied, 0);
  EXPECT_EQ(cellAt(0, 0).selected, 1);
  EXPECT_EQ(cellAt(0, 1).occupied, 1);
  EXPECT_TRUE(screenMatchesBoard(coretest::kWindowTop));
}

TEST_F(Device, MakeIncomingColumnsFillsEveryColumnUpToTheRows) {
  gameState.rows = 6;
  gameState.colorCount = kColorCount;
  gameState.incomingIndex = 17;
  savedIncomingIndex = 9;
  for (auto& column : gameState.incomingColumns)
    for (int32_t& entry : column) entry = 77;
  makeIncomingColumns();
  EXPECT_EQ(gameState.incomingIndex, 0);
  EXPECT_EQ(savedIncomingIndex, 0);
  for (const auto& column : gameState.incomingColumns) {
    int height = 0;
    while (height < 6 && column[height] != kNoColor) {
      ASSERT_GE(column[height], 0);
      ASSERT_LE(column[height], 4);
      ++height;
    }
    ASSERT_GE(height, 1);
    for (int j = height; j < 6; ++j) ASSERT_EQ(column[j], kNoColor);
    // Entries beyond the rows are not written.
    for (int j = 6; j < kMaxRows; ++j) ASSERT_EQ(column[j], 77);
  }
}

}  // namespace
