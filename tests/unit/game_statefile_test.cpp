// The state file: defaults without it, exact round trips, and files that are
// short, corrupt or out of range loading safely.
#include "core/game.h"
#include "game_fixture.h"

namespace gametest {
namespace {

constexpr size_t kGameAt = sizeof(Board), kStatusAt = kGameAt + sizeof(GameState),
                 kOptionsAt = kStatusAt + sizeof(PlayStatus);

struct StateFile : Game {
  void writeFile(const std::string& bytes) { std::ofstream(stateFile(), std::ios::binary) << bytes; }
  // The five records as the file lays them out.
  static std::string memoryImage() {
    std::string out;
    out.append(reinterpret_cast<const char*>(&board), sizeof board);
    out.append(reinterpret_cast<const char*>(&gameState), sizeof gameState);
    out.append(reinterpret_cast<const char*>(&playStatus), sizeof playStatus);
    out.append(reinterpret_cast<const char*>(&options), sizeof options);
    out.append(reinterpret_cast<const char*>(&statistics), sizeof statistics);
    return out;
  }
  // A saved game in progress, a few moves in, with every kind of word set.
  void playSomeGame(int style) {
    options.gameStyle = style;
    host.randoms = {uint32_t(1000 + style)};
    newGame(window);
    for (int col = 0; col < gameState.cols && gameState.moves < 3; ++col) {
      tap(col, gameState.rows - 1);
      if (selectionShown) tap(col, gameState.rows - 1);
    }
    for (int i = 0; i < 100; ++i) playStatus.reservedBytes[i] = uint8_t(i * 7 + 1);
    options.reserved1 = 0x1234;
    options.decimalAverages = 1;
    statistics.styles[2] = {12, 3400, 20000, 380, 400, {1, 2, 3, 4, 5}};
    statistics.styles[15].reserved[0] = 42;
    gameState.reserved[2] = 8;
    saveStateFile();
  }
};

TEST_F(StateFile, WithoutAFileTheDefaultsHoldAndNothingIsCreated) {
  options.gameStyle = 3;
  loadStateFile();
  const int32_t* words = reinterpret_cast<const int32_t*>(&options);
  EXPECT_EQ(std::vector<int32_t>(words, words + 14), (std::vector<int32_t>{1, 1, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(std::pair(playStatus.scoreSlotCount, playStatus.guestGame), std::pair(1u, 0));
  EXPECT_FALSE(std::filesystem::exists(stateFile()));
}

TEST_F(StateFile, EveryStateLoadsAndSavesByteForByte) {
  for (int style = 0; style < kStyleCount; ++style) {
    playSomeGame(style);
    std::string saved = stateFileBytes();
    resetRecords();
    EXPECT_EQ(memoryImage(), saved) << style;
  }
  // The least boards a small window deals, a row or a column, are games like any other.
  for (auto [width, style] : {std::pair{58, STYLE_CONTINUOUS}, {38, STYLE_STANDARD}}) {
    resizeClient(width, 60);
    options.gameStyle = style;
    newGame(window);
    const std::string saved = stateFileBytes();
    resetRecords();
    EXPECT_EQ(std::pair(memoryImage(), playStatus.gameInProgress), std::pair(saved, 1)) << width;
  }
  // After the demo: a board of any size, none wide in a narrow window, the figure
  // partly or wholly outside it, no game.
  playStatus.gameInProgress = 0;
  clearBoard();
  cellAt(7, 8) = {4, 0, 0, 1, 1};
  for (auto [cols, rows] : {std::pair{5, 6}, {0, 6}, {6, 0}}) {
    gameState.cols = cols;
    gameState.rows = rows;
    saveStateFile();
    const std::string image = memoryImage();
    resetRecords();
    EXPECT_EQ(memoryImage(), image) << cols << "x" << rows;
  }
}

TEST_F(StateFile, ShortFiles) {
  playSomeGame(STYLE_CONTINUOUS);
  std::string saved = stateFileBytes();
  // Cut inside the game state: no play status (all zeros), so no game.
  writeFile(saved.substr(0, 10000));
  resetRecords();
  EXPECT_EQ(std::string(reinterpret_cast<char*>(&playStatus), sizeof playStatus), std::string(sizeof playStatus, '\0'));
  // The first three blocks only: zero options and statistics.
  writeFile(saved.substr(0, kOptionsAt));
  resetRecords();
  EXPECT_EQ(std::pair(options.playSounds, statistics.styles[2].highScore), std::pair(0, 0u));
}

TEST_F(StateFile, AGameBeyondTheLimitsLoadsAsNoGame) {
  playSomeGame(STYLE_MEGASHIFT);
  const std::string saved = stateFileBytes();
  auto cell = [](int col, int row, int field) { return size_t((col * 22 + row) * 20 + field * 4); };
  const size_t lastCell = cell(gameState.cols - 1, gameState.rows - 1, 3);  // MegaShift keeps it full
  const std::vector<std::pair<const char*, std::vector<std::pair<size_t, int32_t>>>> breakages = {
      {"23 columns", {{kGameAt, 23}}},
      {"no columns", {{kGameAt, 0}}},
      {"negative rows", {{kGameAt + 4, -1}}},
      {"style 4", {{kGameAt + 8, 4}}},
      {"cell size 19", {{kGameAt + 12, 19}}},
      {"six colours", {{kGameAt + 16, 6}}},
      {"score slot 1", {{kStatusAt + 4, 1}}},
      {"score slot far away", {{kStatusAt + 4, 0x40000000}}},
      {"incoming index 25", {{kGameAt + 564 * 4, 25}}},
      {"incoming index -1", {{kGameAt + 564 * 4, -1}}},
      {"colour 5", {{cell(0, 0, 0), 5}, {cell(0, 0, 3), 1}}},  // occupied, so only the colour is wrong
      {"colour -2", {{cell(1, 1, 0), -2}, {cell(1, 1, 3), 1}}},
      {"occupied without colour", {{cell(2, 2, 0), -1}, {cell(2, 2, 3), 1}}},
      {"colour without occupied", {{lastCell, 0}}},
      {"bubble outside the area", {{cell(21, 21, 0), 2}, {cell(21, 21, 3), 1}}},
      {"bubble just right of the area", {{cell(gameState.cols, 0, 0), 2}, {cell(gameState.cols, 0, 3), 1}}},
      {"bubble just below the area", {{cell(0, gameState.rows, 0), 2}, {cell(0, gameState.rows, 3), 1}}},
      {"incoming entry 5", {{kGameAt + (14 + 22 * 3 + 21) * 4, 5}}},
      {"incoming column with a hole", {{kGameAt + 14 * 4, 1}, {kGameAt + 15 * 4, -1}, {kGameAt + 16 * 4, 2}}},
      {"empty incoming column", [] { std::vector<std::pair<size_t, int32_t>> v; for (int j = 0; j < 22; ++j) v.push_back({kGameAt + (14 + j) * 4, -1}); return v; }()},
      {"counts for stats 2", {{kGameAt + 565 * 4, 2}}},
  };
  for (const auto& [name, words] : breakages) {
    SCOPED_TRACE(name);
    std::string bytes = saved;
    for (auto [offset, value] : words) std::memcpy(bytes.data() + offset, &value, 4);
    writeFile(bytes);
    resetRecords();
    EXPECT_EQ(playStatus.gameInProgress, 0);
    EXPECT_EQ(playStatus.scoreSlot, 0u);
    // Not a bubble of the refused game shows.
    clearClient();
    paint();
    EXPECT_EQ(countPixels(0, 21, 240, 248, kWhite), 240 * 227);
  }
  // Still a game: the queue at its last column, and a guest's game that does not count.
  std::string last = saved;
  const int32_t lastColumnUncounted[2] = {kIncomingColumnCount - 1, 0};
  std::memcpy(last.data() + kGameAt + 564 * 4, lastColumnUncounted, sizeof lastColumnUncounted);
  writeFile(last);
  resetRecords();
  EXPECT_EQ(std::tuple(playStatus.gameInProgress, gameState.incomingIndex, gameState.countsForStats),
            std::tuple(1, kIncomingColumnCount - 1, 0));
  // A board that cannot be drawn, saved between games, keeps none of its bubbles.
  std::string idle = saved;
  const int32_t noGame = 0, tooWide = 23;
  std::memcpy(idle.data() + kStatusAt + offsetof(PlayStatus, gameInProgress), &noGame, 4);
  std::memcpy(idle.data() + kGameAt, &tooWide, 4);
  writeFile(idle);
  resetRecords();
  EXPECT_EQ(std::pair(gameState.cols, gameState.rows), std::pair(0, 0));
  EXPECT_TRUE(std::all_of(std::begin(board.cells), std::end(board.cells), [](const Cell& c) { return !c.occupied; }));
  // Options out of range fall back.
  playSomeGame(STYLE_STANDARD);
  options.gameStyle = 9;
  options.bubbleSet = -1;
  saveStateFile();
  resetRecords();
  EXPECT_EQ(std::pair(options.gameStyle, options.bubbleSet), std::pair(0, 0));
}

}  // namespace
}  // namespace gametest
