// Dealing, the layout and its tap mapping, and settling after a burst in each style.
#include "core/collapse.h"
#include "core/game.h"
#include "core/selection.h"
#include "game_fixture.h"

namespace gametest {
namespace {

std::vector<int32_t> dealt() {
  std::vector<int32_t> out;
  for (const Cell& cell : board.cells) out.push_back(cell.color);
  const int32_t* queue = &gameState.incomingColumns[0][0];
  out.insert(out.end(), queue, queue + kIncomingColumnCount * kMaxRows);
  return out;
}
// A board column, or with `queue` a column of the incoming queue: top to bottom, '.' for none.
std::string column(int col, bool queue = false) {
  std::string out;
  for (int row = 0; row < gameState.rows; ++row) {
    int32_t color = queue ? gameState.incomingColumns[col][row] : cellAt(col, row).color;
    out += color < 0 ? '.' : char('0' + color);
  }
  return out;
}

TEST_F(Game, ASeedDealsAKnownBoardAndQueue) {
  // Written out from the C library's generator: a change of generator or of fill order shows.
  struct Deal {
    uint32_t seed;
    const char *first, *last, *queue;
  } deals[] = {{1, "31203012412", "21101104440", "122........"},
               {4242, "03314014222", "14421410041", "00121......"},
               {20261205, "01340304231", "42422323123", "21400......"}};
  options.gameStyle = STYLE_CONTINUOUS;
  options.guestMode = 1;
  for (const Deal& d : deals) {
    playStatus.gameInProgress = 0;
    host.randoms = {d.seed};
    host.randomIndex = 0;
    newGame(window);
    ASSERT_EQ(gameState.seed, int32_t(d.seed));
    ASSERT_EQ(std::pair(gameState.cols, gameState.rows), std::pair(11, 11));  // the strip takes a row
    EXPECT_EQ(column(0), d.first) << d.seed;
    EXPECT_EQ(column(10), d.last) << d.seed;
    EXPECT_EQ(column(0, true), d.queue) << d.seed;
  }
  for (int i = 0; i < kCellCount; ++i)  // the copy kept for Undo is the deal, and empty past it
    ASSERT_EQ(std::pair(undoBoard.cells[i].color, undoBoard.cells[i].occupied), std::pair(board.cells[i].color, board.cells[i].occupied)) << i;
  EXPECT_EQ(gameState.countsForStats, 0);
  EXPECT_EQ(playStatus.guestGame, 1);
  EXPECT_EQ(stateFileBytes().size(), kStateFileSize);

  // Refused while a game runs; the same seed deals the same again.
  auto first = dealt();
  host.randoms = {4243};
  onNewGame(window, CMD_NEW_GAME, nullptr, 0);
  EXPECT_EQ(dealt(), first);
  playStatus.gameInProgress = 0;
  host.randoms = {20261205};
  canUndo = 1;  // as the last burst of the game before left it
  newGame(window);
  // A fresh deal has nothing to take back.
  undoMove(window, CMD_UNDO, nullptr, 0);
  EXPECT_EQ(std::pair(gameState.moves, dealt()), std::pair(0, first));
  // A Standard board of one row more, dealt over this one, leaves nothing of the strip.
  repaint();
  playStatus.gameInProgress = 0;
  options.gameStyle = STYLE_STANDARD;
  options.guestMode = 0;
  splashShown = 1;  // as the startup demo leaves it
  newGame(window);
  EXPECT_EQ(std::pair(playStatus.guestGame, gameState.countsForStats), std::pair(0, 1));
  EXPECT_EQ(cellAt(10, 11).y, cellAt(10, 10).y + kCellSize) << "the new row laid out";
  repaint();
  EXPECT_TRUE(sameAsFullRepaint());
  EXPECT_TRUE(boardOnScreen()) << "the splash is gone";
}

TEST_F(Game, BoardSizeFollowsTheWindowUpTo22By22) {
  struct Case {
    int w, h, style, cols, rows;
  } cases[] = {{1000, 900, STYLE_STANDARD, 22, 22}, {38, 40, STYLE_STANDARD, 1, 1}, {58, 60, STYLE_CONTINUOUS, 2, 1},
               {38, 0, STYLE_STANDARD, 1, 0}};  // shorter than its bands: no row
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
    playStatus.gameInProgress = 0;
    std::memset(gameState.incomingColumns, 0xFF, sizeof gameState.incomingColumns);  // no bubble queued
    options.gameStyle = c.style;
    resizeClient(c.w, c.h);
    newGame(window);
    EXPECT_EQ(std::pair(gameState.cols, gameState.rows), std::pair(c.cols, c.rows));
    EXPECT_EQ(playStatus.gameInProgress, c.cols * c.rows > 1) << "one cell never holds a move";
    EXPECT_TRUE(c.cols * c.rows > 1 || boardRows() == Rows(size_t(c.rows), std::string(size_t(c.cols), '.'))) << "nor a bubble";
    int queued = 0;  // the strip's styles deal a bubble or more into every queue column
    for (const auto& column : gameState.incomingColumns) queued += column[0] >= 0;
    EXPECT_EQ(queued, c.style == STYLE_STANDARD ? 0 : kIncomingColumnCount);
  }
}

// Bursts the cells marked 'x' and settles the board on the window's screen.
void burst(Game& game, const Rows& marks) {
  for (int row = 0; row < int(marks.size()); ++row)
    for (int col = 0; col < int(marks[row].size()); ++col) cellAt(col, row).selected |= marks[row][col] == 'x';
  game.draw([](HDC dc) { removeSelected(dc), collapseBoard(dc); });
}
// Queue column k holds `bottomUp`, entry 0 first.
// Writes only the entries in play, as the game does.
void setIncoming(int k, const std::string& bottomUp) {
  for (int j = 0; j < gameState.rows; ++j)
    gameState.incomingColumns[k][j] = j < int(bottomUp.size()) ? bottomUp[j] - '0' : kNoColor;
}

TEST_F(Game, EachStyleSettlesAsItsRulesSay) {
  struct Case {
    const char* what;
    int style;
    Rows before, marks, after;
    const char* queue;  // column 0 of the queue
    int pauses, index;
  } cases[] = {
      {"standard: fall, columns close to the right", STYLE_STANDARD, {"0123", "1230", "2301", "3012"},
       {"..x.", "..x.", ".x..", "..x."}, {"0..3", "11.0", "22.1", "3002"}, "", 0, 0},
      {"standard: empty columns keep their order", STYLE_STANDARD, {"0.1..2.", "0.1..2."}, {}, {"....012", "....012"},
       "", 0, 0},
      {"standard: one row", STYLE_STANDARD, {"01122"}, {".xx.."}, {"..022"}, "", 0, 0},
      {"standard: one column", STYLE_STANDARD, {"1", "0", "0"}, {".", "x", "x"}, {".", ".", "1"}, "", 0, 0},
      {"shifter: rows slide right, one pause", STYLE_SHIFTER, {"01..", "23.1", "4210"}, {"....", "....", "..x."},
       {"..01", ".231", ".420"}, "", 1, 0},
      {"shifter: nothing slides, no pause", STYLE_SHIFTER, {"..12", ".012"}, {"..x.", "..x."}, {"...2", "..02"}, "", 0,
       0},
      {"continuous: refill from the queue, no pause", STYLE_CONTINUOUS, {"012", "120", "201"},
       {"x.x", "x.x", "x.x"}, {"3.1", "312", "340"}, "", 0, 5},
      {"megashift: slide, refill, slide again", STYLE_MEGASHIFT, {"1..", "20.", "304"}, {"...", "...", "..x"},
       {".21", "220", "230"}, "222", 2, 1},
      {"megashift: nothing slides", STYLE_MEGASHIFT, {"01", "10"}, {"x.", "x."}, {".1", "30"}, "3", 0, 1},
      {"megashift: only the refill slides", STYLE_MEGASHIFT, {"..", "12"}, {"..", "x."}, {".3", "32"}, "33", 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    host.pauses.clear();
    setBoard(c.before, c.style);
    gameState.incomingIndex = c.style == STYLE_CONTINUOUS ? 3 : 0;
    savedIncomingIndex = -1;
    setIncoming(0, c.queue);
    setIncoming(3, "41");
    setIncoming(4, "333");
    clearClient();  // no trace of the case before
    repaint();
    burst(*this, c.marks);
    EXPECT_EQ(boardRows(), c.after);
    EXPECT_EQ(host.pauses, std::vector<uint32_t>(size_t(c.pauses), kSlidePause));
    EXPECT_EQ(gameState.incomingIndex, c.index);
    EXPECT_TRUE(sameAsFullRepaint()) << "the strip as the queue moved on";
  }
}

TEST_F(Game, AFullHeightBoardKeepsItsColumnsApart) {
  // 22 by 22, as the largest window gives: the cell after a column's last is the next column's first.
  resizeClient(480, 468);
  Rows rows(22, std::string(22, '0'));
  for (int row = 0; row < 22; ++row)
    for (int col = 0; col < 22; ++col) rows[row][col] = char('0' + (col + 2 * row) % 5);  // no two neighbours alike
  rows[21][0] = rows[0][1] = rows[20][0];
  setBoard(rows);
  cellAt(21, 21).selected = 1;
  resumeGame();
  EXPECT_EQ(cellAt(21, 21).selected, 0) << "a resumed game has nothing selected, to its last cell";
  tap(0, 21);
  EXPECT_EQ(selectionCount, 2) << "the group ran from column 0's foot to column 1's top";
  tap(0, 21);  // burst: the copy kept for Undo stops at the last column
  setBoard(rows, STYLE_SHIFTER);
  burst(*this, {"", "", "", "", "", "", "", "", "", "", ".....x"});
  int inPlay = 0;
  for (const std::string& row : boardRows()) inPlay += int(std::count_if(row.begin(), row.end(), [](char c) { return c != '.'; }));
  EXPECT_EQ(inPlay, 22 * 22 - 1) << "a bubble slid off the board";
  Rows last(22, std::string(22, '.'));
  last[0][1] = '1';  // one bubble left, at the top of column 1
  setBoard(last);
  finishGame();
  EXPECT_EQ(endBonus, 4 * 20) << "the count for the bonus ran into the next column";
}

TEST_F(Game, TheQueueWrapsAroundAtItsLastColumn) {
  setBoard({"01", "10"}, STYLE_CONTINUOUS);
  for (auto& column : gameState.incomingColumns)
    for (int32_t& entry : column) entry = 77;
  setIncoming(24, "2");
  gameState.incomingIndex = 24;
  burst(*this, {"xx", "xx"});
  // Column 24 went right, and the left one came from a new queue.
  EXPECT_TRUE(boardRows()[1][1] == '2' && boardRows()[1][0] >= '0' && boardRows()[1][0] <= '4') << boardRows()[1];
  for (const auto& column : gameState.incomingColumns) {
    ASSERT_TRUE(column[1] >= -1 && column[1] <= 4);
    ASSERT_EQ(column[2], 77);  // beyond the rows in play
  }
}

}  // namespace
}  // namespace gametest
