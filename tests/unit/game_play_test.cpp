// Playing: the two-tap cycle, the end of a game, undo, resuming, and sounds.
#include <aygshell.h>

#include "core/game.h"
#include "core/selection.h"
#include "game_fixture.h"

namespace gametest {
namespace {

TEST_F(Game, SelectThenBurstAGroup) {
  setBoard({"0012", "0123", "1233"});
  runningScore() = 1234;
  paint();
  const auto unselected = screen();
  EXPECT_NO_GDI_LEAK(tap(1, 0));
  EXPECT_EQ(pixel(cellAt(0, 0).x, cellAt(0, 0).y), kBlack);  // the outline
  EXPECT_NO_GDI_LEAK(tapAt(100, 5));  // off the board: the outline and the bubble go
  EXPECT_EQ(screen(), unselected);
  tap(1, 0);
  EXPECT_EQ(gameState.moves, 0) << "a group dropped is selected again, not burst";

  EXPECT_NO_GDI_LEAK(tap(0, 1));
  EXPECT_TRUE(sameAsFullRepaint());  // the header's score too
  EXPECT_EQ(gameState.moves, 1);
  EXPECT_EQ(std::tuple(selectionShown, selectionCount, selectionValue), std::tuple(0, 0, 0));
  EXPECT_EQ(soundsPlayed(), std::vector<std::string>{"sound resource wav_pop played"}) << "the burst is heard";
}

TEST_F(Game, TapsThatChangeNothing) {
  setBoard({"0123", "1200", "0.11"});
  auto before = screen();
  tap(1, 0);
  EXPECT_TRUE(screen() == before) << "a lone bubble is no group: not outlined";
  tap(1, 2);  // an empty cell
  tapAt(100, 5);
  tapAt(239, 267);
  EXPECT_EQ(screen(), before);
  // The board's outermost pixels are on it; those just above, right of and below it are not.
  const Cell &first = cellAt(0, 0), &last = cellAt(3, 2);
  int col = -1, row = -1;
  EXPECT_TRUE(cellAtPoint(window, first.x, first.y, &col, &row) && col == 0 && row == 0);
  EXPECT_TRUE(cellAtPoint(window, last.x + kCellSize - 1, last.y + kCellSize - 1, &col, &row) && col == 3 && row == 2);
  for (auto [x, y] : {std::pair{first.x, first.y - 1}, {last.x + kCellSize, last.y}, {last.x, last.y + kCellSize}})
    EXPECT_FALSE(cellAtPoint(window, x, y, &col, &row)) << x << "," << y;
  tap(2, 2);  // but a pair is a group: outlined, with its value bubble, as a full repaint shows it
  EXPECT_EQ(selectionShown, 1);
  EXPECT_TRUE(sameAsFullRepaint());
}

TEST_F(Game, TheLastMoveEndsTheGameWithoutAQuestion) {
  setBoard({"1..", "200"});
  tap(1, 1);
  tap(2, 1);
  // The counted game enters the statistics and a score dialog reports it.
  const StyleStatistics& stats = statistics.styles[STYLE_STANDARD];
  EXPECT_EQ(host.dialogsClosed, 1);
  tap(0, 0);
  EXPECT_EQ(countNotes("Critical.wav"), 1);

  // A board without a move ends at the next tap, whatever it hits; like colours
  // two cells apart are no move.
  setBoard({"010", "101", "010"});
  tap(0, 0);
  EXPECT_EQ(stats.gamesPlayed, 2u);
}

struct End : Game {
  // A board holding `left` bubbles, none next to one of its colour.
  void boardWith(int left) {
    Rows rows = {"......", "......"};
    for (int i = 0; i < left; ++i) rows[1 - i % 2][i] = "012340"[i];
    setBoard(rows);
  }
};

TEST_F(End, ACountedGameAddsItsScoreAndBonusToItsStyle) {
  StyleStatistics& stats = statistics.styles[STYLE_CONTINUOUS];
  stats = {3, 1000, 900, 56, 40, {}};
  boardWith(1);
  gameState.style = STYLE_CONTINUOUS;
  runningScore() = 420;
  gameState.moves = 7;
  finishGame();
  EXPECT_EQ(std::pair(stats.totalScore, stats.totalMoves), std::pair(900u + 500u, 40u + 7u));
}

TEST_F(End, TheHighScoreSoundIsForCountedGamesAboveTheHighScore) {
  // Equal is not above; a high score past 2^31 compares unsigned; guests never hear it,
  // nor does their game count.
  struct Case {
    uint32_t high;
    int32_t score;
    int counts, sound;
  } cases[] = {{500, 500, 1, 0}, {500, 501, 1, 1}, {0x80000000u, 10, 1, 0}, {500, 9000, 0, 0}};
  StyleStatistics& stats = statistics.styles[STYLE_STANDARD];
  for (const Case& c : cases) {
    host.notes.clear();
    boardWith(6);
    stats.highScore = c.high;
    gameState.countsForStats = c.counts;
    runningScore() = c.score;
    finishGame();
    EXPECT_EQ(countNotes("wav_highscore"), c.sound) << c.high << " " << c.score;
    EXPECT_EQ(countNotes("wav_end"), 1 - c.sound);
  }
}

TEST_F(Game, UndoTakesBackTheLastBurstOnly) {
  setBoard({"0120", "0120", "0341"}, STYLE_CONTINUOUS);
  gameState.incomingColumns[0][0] = 4;  // the strip's next column differs from the one after
  runningScore() = 40;
  gameState.moves = 3;
  repaint();
  const auto shown = screen();
  tap(0, 1);
  tap(0, 1);
  ASSERT_EQ(runningScore(), 46);
  ASSERT_EQ(statistics.styles[STYLE_CONTINUOUS].bestMove, 6);
  tap(3, 0);  // a selection shown is dropped first

  EXPECT_NO_GDI_LEAK(undoMove(window, CMD_UNDO, nullptr, 0));
  UpdateWindow(window);
  EXPECT_EQ(screen(), shown) << "the board, the score and the strip as before the burst";
  EXPECT_EQ(countNotes("wav_undo"), 1);
}

// The program itself, on a saved file: it resumes the game with its strip, forgets the
// marks the file keeps from the last burst, pushes the input panel down whenever it comes
// up, and closing frees every GDI object and context it made.
TEST_F(Game, TheProgramResumesTheSavedGameAndClosingFreesAllItMade) {
  setBoard({"110", "122"}, STYLE_CONTINUOUS);
  cellAt(0, 0).selected = 1;
  saveStateFile();
  stop();
  incomingShown = 0;  // as a fresh process starts
  host.script({[&] {
    window = mainWindow;
    EXPECT_TRUE(boardOnScreen());
    EXPECT_EQ(countPixels(0, 248, 240, 249, kBlack), 240) << "the strip's line";
    tap(1, 0);
    EXPECT_EQ(selectionValue, 6) << "a stale mark cut the group short";
    EXPECT_TRUE(sameAsFullRepaint());
    SHSipPreference(mainWindow, SIP_UP);
    SIPINFO sip = {};
    SHSipInfo(SPI_GETSIPINFO, 0, &sip, 0);
    EXPECT_EQ(sip.fdwFlags & SIPF_ON, 0u);
    const POINT undo = *pk::automation::menuBarButtonById(CMD_UNDO);
    host.events.push_back({pk::InputEvent::Kind::StylusDown, int(undo.x), int(undo.y)});  // held for its tip
  }});
  host.steps.push_back([&] {
    if (!FindWindowW(u"pk_tooltip", nullptr)) return false;  // the tip's delay passes
    EXPECT_TRUE(FindWindowW(u"pk_tooltip", u"Undo Move"));
    host.events.push_back({pk::InputEvent::Kind::StylusUp, 0, 0});  // let go off the button
    options.confirmEndGame = 0;
    PostMessageW(mainWindow, WM_COMMAND, CMD_END_GAME, 0);  // the group still selected
    return true;
  });
  host.steps.push_back([&] {
    // Once End Game ran and its score dialog was closed with OK, New Game is offered again.
    HWND active = pk::automation::activeWindow();
    if (active != mainWindow) PostMessageW(active, WM_COMMAND, IDOK, 0);
    // Until then an event keeps the program waiting; with none the host would end it.
    if (active != mainWindow || playStatus.gameInProgress) return host.key(pk::InputEvent::Kind::ClockChanged), false;
    const std::string menus = pk::automation::dump();
    EXPECT_NE(menus.find("menu 101 enabled"), std::string::npos) << menus;
    EXPECT_NE(menus.find("menu 102 grayed"), std::string::npos) << menus;
    SendMessageW(mainWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(pk::automation::liveGdiObjects(), 0u);
    EXPECT_EQ(pk::automation::liveDeviceContexts(), 0u);
    EXPECT_FALSE(pk::automation::menuBarButton(u"Game")) << "the menu bar goes too";
    return true;
  });
  pk::DeviceConfig config;
  config.root = root;
  pk::runProgram(host, config, WinMain, pkProgramModule);
  EXPECT_EQ(host.steps.size(), 0u);
}

}  // namespace
}  // namespace gametest
