// The end of a game with its bonus and statistics, undo, and resuming a saved game.
#include "core/game.h"
#include "core/tap.h"
#include "game_core_fixture.h"

namespace {

using coretest::Device;
using Rows = std::vector<std::string>;

class End : public Device {
 protected:
  // A board holding `left` bubbles, none of them neighbours of the same colour.
  void boardWith(int left) {
    Rows rows = {"......", "......"};
    const char* colours = "012340";
    for (int i = 0; i < left; ++i) rows[1 - i % 2][i] = colours[i];
    setBoard(rows);
  }
};

TEST_F(End, BonusForFewerThanFiveBubblesLeft) {
  for (auto [left, bonus] : {std::pair{0, 100}, {1, 80}, {2, 60}, {3, 40}, {4, 20}, {5, 0}, {6, 0}}) {
    boardWith(left);
    runningScore() = 300;
    endBonus = 999;
    finishGame();
    EXPECT_EQ(endBonus, bonus) << left;
    EXPECT_EQ(runningScore(), 300 + bonus) << left;
    EXPECT_EQ(playStatus.gameInProgress, 0);
  }
}

TEST_F(End, ACountedGameEntersTheStatisticsOfItsStyle) {
  boardWith(1);
  gameState.style = STYLE_CONTINUOUS;
  runningScore() = 420;
  gameState.moves = 17;
  canUndo = 1;
  selectCells({{0, 1}});
  StyleStatistics& stats = statistics.styles[STYLE_CONTINUOUS];
  stats = {3, 1000, 900, 56, 40, {}};
  finishGame();
  EXPECT_EQ(stats.gamesPlayed, 4u);
  EXPECT_EQ(stats.totalScore, 900u + 500u);  // bonus included
  EXPECT_EQ(stats.totalMoves, 57u);
  EXPECT_EQ(stats.highScore, 1000u);  // raised by the score dialog, not here
  EXPECT_EQ(stats.bestMove, 56);
  EXPECT_EQ(canUndo, 0);
  EXPECT_EQ(selectionShown, 0);
  EXPECT_EQ(cellAt(0, 1).selected, 0);
  EXPECT_EQ(countNotes("wav_end"), 1);
  EXPECT_EQ(countNotes("wav_highscore"), 0);
  for (int style : {STYLE_STANDARD, STYLE_SHIFTER, STYLE_MEGASHIFT}) EXPECT_EQ(statistics.styles[style].gamesPlayed, 0u);
}

TEST_F(End, TheHighScoreSoundIsForCountedGamesAboveTheHighScore) {
  StyleStatistics& stats = statistics.styles[STYLE_STANDARD];
  // Equal is not above.
  boardWith(6);
  stats.highScore = 500;
  runningScore() = 500;
  finishGame();
  EXPECT_EQ(countNotes("wav_highscore"), 0);
  EXPECT_EQ(countNotes("wav_end"), 1);

  boardWith(6);
  runningScore() = 501;
  finishGame();
  EXPECT_EQ(countNotes("wav_highscore"), 1);

  // Compared unsigned: a high score beyond 2^31 is not beaten by a small score.
  boardWith(6);
  stats.highScore = 0x80000000u;
  runningScore() = 10;
  finishGame();
  EXPECT_EQ(countNotes("wav_highscore"), 1);
  EXPECT_EQ(countNotes("wav_end"), 2);
}

TEST_F(End, AGuestGameLeavesTheStatisticsAlone) {
  boardWith(0);
  gameState.countsForStats = 0;
  playStatus.guestGame = 1;
  runningScore() = 5000;
  gameState.moves = 9;
  StyleStatistics before = statistics.styles[STYLE_STANDARD];
  finishGame();
  StyleStatistics& after = statistics.styles[STYLE_STANDARD];
  EXPECT_EQ(after.gamesPlayed, before.gamesPlayed);
  EXPECT_EQ(after.totalScore, before.totalScore);
  EXPECT_EQ(after.totalMoves, before.totalMoves);
  EXPECT_EQ(runningScore(), 5100);
  EXPECT_EQ(countNotes("wav_highscore"), 0);
  EXPECT_EQ(countNotes("wav_end"), 1);
}

// ---- Undo ----

class Undo : public Device {
 protected:
  void tap(LPARAM where) { onTap(window, WM_LBUTTONDOWN, 0, where); }
};

TEST_F(Undo, TakesBackTheLastBurstExactly) {
  setBoard({
      "0120",
      "1120",
      "2341",
  });
  runningScore() = 40;
  gameState.moves = 3;
  statistics.styles[STYLE_STANDARD].bestMove = 2;
  Rows before = boardRows();
  tap(onCell(0, 1));
  tap(onCell(0, 1));
  ASSERT_EQ(gameState.moves, 4);
  ASSERT_EQ(runningScore(), 46);
  ASSERT_EQ(canUndo, 1);
  ASSERT_NE(boardRows(), before);
  ASSERT_EQ(statistics.styles[STYLE_STANDARD].bestMove, 6);

  size_t gdiBefore = pk::automation::liveGdiObjects();
  undoMove(window, CMD_UNDO, nullptr, 0);
  EXPECT_EQ(pk::automation::liveGdiObjects(), gdiBefore);
  EXPECT_EQ(boardRows(), before);
  EXPECT_EQ(runningScore(), 40);
  EXPECT_EQ(gameState.moves, 3);
  EXPECT_EQ(canUndo, 0);
  EXPECT_EQ(selectionValue, 0);
  EXPECT_EQ(countNotes("wav_undo"), 1);
  // The best move is not taken back.
  EXPECT_EQ(statistics.styles[STYLE_STANDARD].bestMove, 6);

  // The file holds the undone state.
  std::string saved = stateFileBytes();
  ASSERT_EQ(saved.size(), 12792u);
  EXPECT_EQ(std::memcmp(saved.data(), &board, sizeof board), 0);

  // Only one level.
  undoMove(window, CMD_UNDO, nullptr, 0);
  EXPECT_EQ(gameState.moves, 3);
  EXPECT_EQ(countNotes("wav_undo"), 1);
}

TEST_F(Undo, DropsAShownSelectionFirst) {
  setBoard({"001", "122", "333"});
  tap(onCell(0, 0));
  tap(onCell(0, 0));
  Rows afterBurst = boardRows();
  ASSERT_EQ(canUndo, 1);
  tap(onCell(0, 2));
  ASSERT_EQ(selectionShown, 1);
  undoMove(window, CMD_UNDO, nullptr, 0);
  EXPECT_EQ(selectionShown, 0);
  EXPECT_EQ(selectionCount, 0);
  EXPECT_EQ(boardRows(), (Rows{"001", "122", "333"}));
}

TEST_F(Undo, DoesNothingWithoutAGameOrABurst) {
  setBoard({"00", "11"});
  gameState.moves = 5;
  undoMove(window, CMD_UNDO, nullptr, 0);
  EXPECT_EQ(gameState.moves, 5);
  canUndo = 1;
  playStatus.gameInProgress = 0;
  undoMove(window, CMD_UNDO, nullptr, 0);
  EXPECT_EQ(gameState.moves, 5);
  EXPECT_FALSE(stateFileExists());
  EXPECT_EQ(countNotes("wav_undo"), 0);
}

TEST_F(Undo, ContinuousHandsOutTheSameIncomingColumnsAgain) {
  options.gameStyle = STYLE_CONTINUOUS;
  host.randoms = {31337};
  newGame(window);
  // Burst groups until one refills a column; remember where.
  int burstCol = -1;
  int burstRow = -1;
  for (int guard = 0; guard < 200 && gameState.incomingIndex == 0 && playStatus.gameInProgress == 1; ++guard) {
    burstCol = -1;
    for (int col = 0; col < gameState.cols && burstCol < 0; ++col) {
      for (int row = 0; row < gameState.rows && burstCol < 0; ++row) {
        tap(onCell(col, row));
        if (!selectionShown) continue;
        tap(onCell(col, row));
        burstCol = col;
        burstRow = row;
      }
    }
  }
  ASSERT_GT(gameState.incomingIndex, 0);
  ASSERT_EQ(canUndo, 1);
  Rows refilled = boardRows();
  int32_t index = gameState.incomingIndex;
  undoMove(window, CMD_UNDO, nullptr, 0);
  EXPECT_EQ(gameState.incomingIndex, savedIncomingIndex);
  EXPECT_LT(gameState.incomingIndex, index);
  tap(onCell(burstCol, burstRow));
  tap(onCell(burstCol, burstRow));
  EXPECT_EQ(boardRows(), refilled);
  EXPECT_EQ(gameState.incomingIndex, index);
}

TEST_F(Device, ResumingAGameClearsTheMarksAndShowsTheStripByStyle) {
  for (int style : {STYLE_STANDARD, STYLE_CONTINUOUS, STYLE_SHIFTER, STYLE_MEGASHIFT}) {
    setBoard({"011", "122"}, style);
    cellAt(1, 0).selected = 1;
    cellAt(2, 0).selected = 1;
    incomingShown = 7;
    canUndo = 0;
    resumeGame();
    EXPECT_EQ(incomingShown, style == STYLE_CONTINUOUS || style == STYLE_MEGASHIFT ? 1 : 0) << style;
    EXPECT_EQ(cellAt(1, 0).selected, 0);
    EXPECT_EQ(cellAt(2, 0).selected, 0);
    EXPECT_EQ(canUndo, 0);
    EXPECT_EQ(boardRows(), (Rows{"011", "122"}));
  }
}

}  // namespace
