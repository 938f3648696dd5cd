// The state file: defaults without it, exact round trips, and files that are
// short, long, corrupt or out of range loading safely.
#include <functional>
#include <random>

#include "core/game.h"
#include "core/tap.h"
#include "game_core_fixture.h"

namespace {

constexpr size_t kFileSize = 12792;

class StateFile : public coretest::Device {
 protected:
  std::filesystem::path file() const { return root / "Windows" / "Fizzorbs.dat"; }
  void writeFile(const std::string& bytes) { std::ofstream(file(), std::ios::binary) << bytes; }

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
  // A fresh process reading the file.
  static void restart() {
    std::memset(&board, 0, sizeof board);
    std::memset(&gameState, 0, sizeof gameState);
    initGameCore();
    loadStateFile();
  }
  // A saved game in progress, with every kind of word set.
  void playSomeGame(int style) {
    options.gameStyle = style;
    host.randoms = {uint32_t(1000 + style)};
    host.randomIndex = 0;
    newGame(window);
    for (int col = 0; col < gameState.cols && gameState.moves < 3; ++col) {
      onTap(col, gameState.rows - 1);
    }
    for (int i = 0; i < 100; ++i) playStatus.reservedBytes[i] = uint8_t(i * 7 + 1);
    playStatus.reserved[1] = -5;
    options.reserved1 = 0x1234;
    options.reserved2[4] = 99;
    options.decimalAverages = 1;
    statistics.styles[2] = {12, 3400, 20000, 380, 400, {1, 2, 3, 4, 5}};
    statistics.styles[15].reserved[0] = 42;
    gameState.reserved[2] = 8;
    saveStateFile();
  }
  void onTap(int col, int row) {
    const Cell& cell = cellAt(col, row);
    LPARAM where = MAKELPARAM(cell.x + 5, cell.y + 5);
    ::onTap(window, WM_LBUTTONDOWN, 0, where);
    if (selectionShown) ::onTap(window, WM_LBUTTONDOWN, 0, where);
  }
  // After a refused game block: nothing of it can be played or drawn.
  static void expectNoGame() {
    EXPECT_EQ(playStatus.gameInProgress, 0);
    for (const Cell& cell : board.cells) {
      ASSERT_EQ(cell.occupied, 0);
      ASSERT_EQ(cell.color, -1);
    }
  }
};

TEST_F(StateFile, WithoutAFileTheDefaultsHoldAndNothingIsCreated) {
  options.gameStyle = 3;
  statistics.styles[0].gamesPlayed = 9;
  playStatus.reservedBytes[3] = 1;
  loadStateFile();
  const int32_t* words = reinterpret_cast<const int32_t*>(&options);
  std::vector<int32_t> want = {1, 1, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::vector<int32_t>(words, words + 14), want);
  const int32_t* status = reinterpret_cast<const int32_t*>(&playStatus);
  EXPECT_EQ(status[0], 1);
  for (int i = 1; i < 31; ++i) EXPECT_EQ(status[i], 0) << i;
  StatisticsTable zero{};
  EXPECT_EQ(std::memcmp(&statistics, &zero, sizeof zero), 0);
  EXPECT_FALSE(stateFileExists());

  // The first new game writes the whole file, with the play status 1, 0, 1, 0.
  newGame(window);
  std::string saved = stateFileBytes();
  ASSERT_EQ(saved.size(), kFileSize);
  const int32_t* savedStatus = reinterpret_cast<const int32_t*>(saved.data() + 11972);
  EXPECT_EQ(savedStatus[0], 1);
  EXPECT_EQ(savedStatus[1], 0);
  EXPECT_EQ(savedStatus[2], 1);
  EXPECT_EQ(savedStatus[3], 0);
}

TEST_F(StateFile, ASavedFileLoadsByteForByteInEveryStyle) {
  for (int style = 0; style < kStyleCount; ++style) {
    playSomeGame(style);
    std::string image = memoryImage();
    std::string saved = stateFileBytes();
    ASSERT_EQ(saved.size(), kFileSize);
    ASSERT_EQ(saved, image) << style;
    restart();
    EXPECT_EQ(memoryImage(), image) << style;
    // And saving again writes the same bytes.
    saveStateFile();
    EXPECT_EQ(stateFileBytes(), saved);
    playStatus.gameInProgress = 0;
  }
}

TEST_F(StateFile, AFinishedGameAndAnIdleStateLoadUnchanged) {
  playSomeGame(STYLE_STANDARD);
  finishGame();
  saveStateFile();
  std::string image = memoryImage();
  restart();
  EXPECT_EQ(memoryImage(), image);

  // After the startup demo: a board of any size with the figure partly outside it, and
  // a game state the demo only half set up.
  std::memset(&gameState, 0, sizeof gameState);
  clearBoard();
  gameState.cols = 5;
  gameState.rows = 6;
  gameState.cellSize = 20;
  cellAt(7, 8) = {4, 0, 0, 1, 1};
  playStatus.gameInProgress = 0;
  saveStateFile();
  image = memoryImage();
  restart();
  EXPECT_EQ(memoryImage(), image);
}

TEST_F(StateFile, AFileOfTheFirstThreeBlocksLoadsTheGameWithZeroOptions) {
  playSomeGame(STYLE_SHIFTER);
  std::string image = memoryImage();
  writeFile(stateFileBytes().substr(0, 12096));
  restart();
  EXPECT_EQ(playStatus.gameInProgress, 1);
  EXPECT_EQ(std::memcmp(&board, image.data(), sizeof board), 0);
  OptionsRecord zeroOptions{};
  StatisticsTable zeroStats{};
  EXPECT_EQ(std::memcmp(&options, &zeroOptions, sizeof options), 0);
  EXPECT_EQ(std::memcmp(&statistics, &zeroStats, sizeof statistics), 0);
}

TEST_F(StateFile, ShortAndLongFiles) {
  playSomeGame(STYLE_CONTINUOUS);
  std::string saved = stateFileBytes();

  // Cut inside the game state: the play status is all zero, so no game.
  writeFile(saved.substr(0, 10000));
  restart();
  EXPECT_EQ(playStatus.gameInProgress, 0);
  EXPECT_EQ(options.playSounds, 0);

  // Cut inside the options: what is there arrives, the rest stays zero.
  writeFile(saved.substr(0, 12096 + 6));
  restart();
  EXPECT_EQ(playStatus.gameInProgress, 1);
  EXPECT_EQ(options.playSounds, 1);
  EXPECT_EQ(options.showStartupDemo & 0xFFFF, 1);
  EXPECT_EQ(options.confirmEndGame, 0);

  writeFile("");
  restart();
  EXPECT_EQ(playStatus.gameInProgress, 0);
  EXPECT_EQ(options.playSounds, 0);

  // Bytes after the last block are ignored and gone at the next save.
  writeFile(saved + std::string(500, '\x7f'));
  restart();
  EXPECT_EQ(memoryImage(), saved);
  saveStateFile();
  EXPECT_EQ(stateFileBytes(), saved);
}

TEST_F(StateFile, AGameBeyondTheLimitsLoadsAsNoGame) {
  playSomeGame(STYLE_MEGASHIFT);
  std::string saved = stateFileBytes();
  auto word = [](std::string& bytes, size_t offset) -> int32_t& {
    return *reinterpret_cast<int32_t*>(bytes.data() + offset);
  };
  constexpr size_t game = 9680;
  auto cell = [](int col, int row, int field) { return size_t((col * 22 + row) * 20 + field * 4); };
  // Settled MegaShift boards always hold the bottom-right bubble.
  const int lastCol = gameState.cols - 1;
  const int lastRow = gameState.rows - 1;
  const std::vector<std::pair<const char*, std::function<void(std::string&)>>> breakages = {
      {"23 columns", [&](std::string& b) { word(b, game + 0) = 23; }},
      {"no columns", [&](std::string& b) { word(b, game + 0) = 0; }},
      {"negative rows", [&](std::string& b) { word(b, game + 4) = -1; }},
      {"style 4", [&](std::string& b) { word(b, game + 8) = 4; }},
      {"cell size 19", [&](std::string& b) { word(b, game + 12) = 19; }},
      {"six colours", [&](std::string& b) { word(b, game + 16) = 6; }},
      {"score slot 1", [&](std::string& b) { word(b, 11972 + 4) = 1; }},
      {"score slot far away", [&](std::string& b) { word(b, 11972 + 4) = 0x40000000; }},
      {"incoming index 25", [&](std::string& b) { word(b, game + 564 * 4) = 25; }},
      {"incoming index -1", [&](std::string& b) { word(b, game + 564 * 4) = -1; }},
      {"colour 5", [&](std::string& b) { word(b, cell(0, 0, 0)) = 5; }},
      {"colour -2", [&](std::string& b) { word(b, cell(1, 1, 0)) = -2; }},
      {"occupied without colour", [&](std::string& b) {
         word(b, cell(2, 2, 0)) = -1;
         word(b, cell(2, 2, 3)) = 1;
       }},
      {"colour without occupied", [&](std::string& b) { word(b, cell(lastCol, lastRow, 3)) = 0; }},
      {"bubble outside the area", [&](std::string& b) {
         word(b, cell(21, 21, 0)) = 2;
         word(b, cell(21, 21, 3)) = 1;
       }},
      {"incoming entry 7", [&](std::string& b) { word(b, game + (14 + 22 * 3 + 21) * 4) = 7; }},
      {"incoming column with a hole", [&](std::string& b) {
         word(b, game + 14 * 4) = -1;
         word(b, game + 15 * 4) = 2;
       }},
      {"counts for stats 2", [&](std::string& b) { word(b, game + 565 * 4) = 2; }},
  };
  for (const auto& [name, breakIt] : breakages) {
    std::string bytes = saved;
    breakIt(bytes);
    writeFile(bytes);
    restart();
    SCOPED_TRACE(name);
    expectNoGame();
    EXPECT_LE(gameState.cols, 22);
    EXPECT_LE(gameState.rows, 22);
    EXPECT_EQ(playStatus.scoreSlot, 0u);
    // The rest of the file still counts.
    EXPECT_EQ(statistics.styles[2].highScore, 3400u);
    EXPECT_EQ(options.decimalAverages, 1);
  }
  // Any non-zero word is a game in progress.
  std::string bytes = saved;
  word(bytes, 11972 + 8) = 5;
  writeFile(bytes);
  restart();
  EXPECT_EQ(playStatus.gameInProgress, 1);
}

TEST_F(StateFile, OptionsOutOfRangeFallBackAndStatisticsLoadAsTheyAre) {
  playSomeGame(STYLE_STANDARD);
  options.gameStyle = 9;
  options.bubbleSet = -1;
  options.playSounds = 0;
  statistics.styles[1] = {0xFFFFFFFFu, 7, 0x80000000u, -40, 3, {}};
  saveStateFile();
  restart();
  EXPECT_EQ(options.gameStyle, 0);
  EXPECT_EQ(options.bubbleSet, 0);
  EXPECT_EQ(options.playSounds, 0);
  EXPECT_EQ(statistics.styles[1].gamesPlayed, 0xFFFFFFFFu);
  EXPECT_EQ(statistics.styles[1].bestMove, -40);
  EXPECT_EQ(playStatus.gameInProgress, 1);
}

TEST_F(StateFile, AnIdleStateOfImpossibleSizeIsMadeSafe) {
  playStatus.gameInProgress = 0;
  gameState.cols = 1000;
  gameState.rows = -3;
  playStatus.scoreSlot = 77;
  cellAt(0, 0) = {9, 0, 0, 1, 0};
  saveStateFile();
  restart();
  EXPECT_EQ(gameState.cols, 0);
  EXPECT_EQ(gameState.rows, 0);
  EXPECT_EQ(playStatus.scoreSlot, 0u);
  expectNoGame();
}

TEST_F(StateFile, RandomBytesNeverLeaveAnUnsafeState) {
  playSomeGame(STYLE_CONTINUOUS);
  std::string saved = stateFileBytes();
  std::mt19937 random(7);
  for (int round = 0; round < 150; ++round) {
    std::string bytes = saved;
    if (round % 3 == 0) {
      bytes.resize(random() % (kFileSize + 100));
      for (char& c : bytes) c = char(random());
    } else {
      // A few flipped words in a real file.
      for (int i = 0; i < 1 + round % 5; ++i) {
        size_t offset = (random() % (kFileSize / 4)) * 4;
        *reinterpret_cast<uint32_t*>(bytes.data() + offset) = random() % 2 ? random() : uint32_t(random() % 30) - 5;
      }
    }
    writeFile(bytes);
    restart();
    ASSERT_LE(uint32_t(gameState.cols), 22u);
    ASSERT_LE(uint32_t(gameState.rows), 22u);
    ASSERT_EQ(playStatus.scoreSlot, 0u);
    ASSERT_GE(options.gameStyle, 0);
    ASSERT_LE(options.gameStyle, 3);
    ASSERT_GE(options.bubbleSet, 0);
    ASSERT_LE(options.bubbleSet, 1);
    if (playStatus.gameInProgress) {
      ASSERT_EQ(playStatus.gameInProgress, 1);
      ASSERT_GE(gameState.cols, 1);
      ASSERT_GE(gameState.rows, 1);
      for (int col = 0; col < kMaxCols; ++col) {
        for (int row = 0; row < kMaxRows; ++row) {
          const Cell& cell = cellAt(col, row);
          ASSERT_EQ(cell.occupied, cell.color == -1 ? 0 : 1);
          if (col >= gameState.cols || row >= gameState.rows) {
            ASSERT_EQ(cell.occupied, 0);
          }
        }
      }
      // A loaded game can be played on.
      resumeGame();
      layoutBoard();
      onTap(0, gameState.rows - 1);
    }
  }
}

TEST_F(StateFile, AFileThatCannotBeReplacedIsSkippedSilently) {
  playSomeGame(STYLE_STANDARD);
  std::string saved = stateFileBytes();
  std::filesystem::remove(file());
  std::filesystem::create_directory(file());
  saveStateFile();
  EXPECT_TRUE(std::filesystem::is_directory(file()));
  EXPECT_EQ(playStatus.gameInProgress, 1);
  std::filesystem::remove(file());
  saveStateFile();
  EXPECT_EQ(stateFileBytes().size(), kFileSize);
}

}  // namespace
