// The two-tap cycle as the player meets it: taps that are turned away, selecting,
// bursting, dropping a selection, and the end of a game after the last move.
#include "core/game.h"
#include "core/tap.h"
#include "game_core_fixture.h"

namespace {

using coretest::Device;
using Rows = std::vector<std::string>;

class Tap : public Device {
 protected:
  void tap(LPARAM where) { onTap(window, WM_LBUTTONDOWN, 0, where); }
  std::vector<uint32_t> screen() const { return pk::device().screen.pixels; }
};

TEST_F(Tap, TurnedAwayWhileAnotherWindowIsActive) {
  setBoard({"001", "122"});
  HWND other = CreateWindowExW(0, u"CoreTest", u"Other", WS_VISIBLE, 0, 100, 100, 100, nullptr, nullptr,
                               appInstance, nullptr);
  ASSERT_EQ(GetActiveWindow(), other);
  tap(onCell(0, 0));
  EXPECT_EQ(selectionShown, 0);
  playStatus.gameInProgress = 0;
  tap(onCell(0, 0));
  EXPECT_TRUE(host.notes.empty());
}

TEST_F(Tap, WithoutAGameOnlyTheWarningSounds) {
  setBoard({"001", "122"});
  playStatus.gameInProgress = 0;
  auto before = screen();
  tap(onCell(0, 0));
  EXPECT_EQ(countNotes("Critical.wav"), 1);
  EXPECT_EQ(selectionShown, 0);
  EXPECT_EQ(screen(), before);
}

TEST_F(Tap, SelectThenBurstAGroupOfThree) {
  setBoard({
      "0012",
      "0123",
      "1233",
  });
  HDC dc = GetDC(window);
  size_t gdi = pk::automation::liveGdiObjects();
  ReleaseDC(window, dc);

  tap(onCell(1, 0));
  EXPECT_EQ(selectionShown, 1);
  EXPECT_EQ(selectionCount, 3);
  EXPECT_EQ(selectionValue, 6);
  EXPECT_EQ(pk::automation::liveGdiObjects(), gdi);
  // The outline is on screen: the group's top-left corner pixel is black.
  EXPECT_EQ(clientPixel(cellAt(0, 0).x, cellAt(0, 0).y), 0u);
  EXPECT_FALSE(stateFileExists());

  // Any of its bubbles bursts it.
  tap(onCell(0, 1));
  EXPECT_EQ(runningScore(), 6);
  EXPECT_EQ(gameState.moves, 1);
  EXPECT_EQ(canUndo, 1);
  EXPECT_EQ(selectionShown, 0);
  EXPECT_EQ(selectionCount, 0);
  EXPECT_EQ(selectionValue, 0);
  EXPECT_EQ(countNotes("wav_pop"), 1);
  EXPECT_EQ(countPauses(200), 1);
  EXPECT_EQ(boardRows(), (Rows{
                             "..12",
                             ".123",
                             "1233",
                         }));
  EXPECT_TRUE(coretest::screenMatchesBoard(coretest::kWindowTop));
  EXPECT_EQ(pk::automation::liveGdiObjects(), gdi);
  // Undo sees the board before the burst; the file the board after it.
  EXPECT_EQ(undoCellAt(0, 0).color, 0);
  EXPECT_EQ(scoreBeforeMove, 0);
  std::string saved = stateFileBytes();
  ASSERT_EQ(saved.size(), 12792u);
  EXPECT_EQ(std::memcmp(saved.data() + sizeof board, &gameState, sizeof gameState), 0);
}

TEST_F(Tap, ATapOutsideTheSelectionOnlyDropsIt) {
  setBoard({
      "0011",
      "2233",
  });
  tap(onCell(0, 0));
  ASSERT_EQ(selectionShown, 1);
  tap(onCell(2, 0));
  EXPECT_EQ(selectionShown, 0);
  EXPECT_EQ(cellAt(2, 0).selected, 0);
  EXPECT_EQ(boardRows(), (Rows{"0011", "2233"}));
  EXPECT_EQ(gameState.moves, 0);
  // The outline is gone: the cell shows its picture again.
  EXPECT_TRUE(coretest::screenMatchesBoard(coretest::kWindowTop));
  tap(onCell(2, 0));
  EXPECT_EQ(selectionShown, 1);
  EXPECT_EQ(cellAt(3, 0).selected, 1);
}

TEST_F(Tap, ATapInTheHeaderDropsTheSelectionAndNothingElse) {
  setBoard({"0011", "2233"});
  tap(onCell(0, 1));
  ASSERT_EQ(selectionShown, 1);
  tap(at(100, 5));
  EXPECT_EQ(selectionShown, 0);
  EXPECT_EQ(selectionCount, 0);
  EXPECT_EQ(boardRows(), (Rows{"0011", "2233"}));
  // Off the board with no selection: nothing at all.
  auto before = screen();
  tap(at(100, 5));
  tap(at(239, 267));
  EXPECT_EQ(screen(), before);
  EXPECT_TRUE(host.notes.empty());
}

TEST_F(Tap, ALoneBubbleLeavesTheScreenAsItWas) {
  setBoard({"0123", "1230", "0011"});
  auto before = screen();
  tap(onCell(1, 0));
  EXPECT_EQ(selectionShown, 0);
  EXPECT_EQ(screen(), before);
  // An empty cell too.
  setBoard({"0.23", "1230", "0011"});
  before = screen();
  tap(onCell(1, 0));
  EXPECT_EQ(screen(), before);
}

TEST_F(Tap, TenBubblesBurstBig) {
  setBoard({
      "00000",
      "00000",
      "12341",
  });
  tap(onCell(0, 0));
  ASSERT_EQ(selectionCount, 10);
  tap(onCell(0, 0));
  EXPECT_EQ(countNotes("wav_woopop"), 1);
  EXPECT_EQ(countNotes("wav_pop"), 0);
  EXPECT_EQ(runningScore(), 90);
}

TEST_F(Tap, TheLastMoveEndsTheGameWithoutAQuestion) {
  setBoard({
      "1..",
      "200",
  });
  tap(onCell(1, 1));
  EXPECT_EQ(playStatus.gameInProgress, 1);
  tap(onCell(2, 1));
  // Two bubbles left: bonus 60, and the counted game enters the statistics.
  EXPECT_EQ(statistics.styles[STYLE_STANDARD].gamesPlayed, 1u);
  EXPECT_EQ(statistics.styles[STYLE_STANDARD].totalScore, 2u + 60u);
  EXPECT_EQ(statistics.styles[STYLE_STANDARD].totalMoves, 1u);
  EXPECT_EQ(host.dialogsClosed, 1);
  EXPECT_EQ(countNotes("wav_highscore"), 1);
  // A tap afterwards is turned away with the warning sound.
  tap(onCell(0, 0));
  EXPECT_EQ(countNotes("Critical.wav"), 1);
}

TEST_F(Tap, ATapThatChangesNothingStillEndsAGameWithoutMoves) {
  setBoard({"01", "10"});
  tap(onCell(0, 0));
  EXPECT_EQ(statistics.styles[STYLE_STANDARD].gamesPlayed, 1u);
}

}  // namespace
