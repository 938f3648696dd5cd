// The dialogs run by the layer's dialog manager from the game's own templates:
// what they show, what each command does to the records, and what they return.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <pocket/automation.h>

#include "core/records.h"
#include "device.h"
#include "dialogs/dialogs.h"
#include "fake_host.h"
#include "resource.h"
#include "shell/shell.h"
#include "wm.h"

namespace {

// What one run of a dialog showed and answered.
struct DialogRun {
  DialogRun(DLGPROC p, std::vector<int> c) : proc(p), commands(std::move(c)) {}
  DLGPROC proc;
  std::vector<int> commands;  // sent one at a time, each after the last was handled
  size_t sent = 0;
  std::vector<int> watched;   // control ids whose texts are read after WM_INITDIALOG
  std::map<int, std::string> shown;
  HWND dialog = nullptr;
  INT_PTR initResult = -1;
  std::vector<INT_PTR> handled;
};
DialogRun* current = nullptr;

void sendNext(HWND dialog) {
  if (current->sent < current->commands.size())
    PostMessageW(dialog, WM_COMMAND, WPARAM(current->commands[current->sent++]), 0);
}

INT_PTR CALLBACK driver(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR r = current->proc(dialog, message, wParam, lParam);
  if (message == WM_INITDIALOG) {
    current->dialog = dialog;
    current->initResult = r;
    for (int id : current->watched) {
      WCHAR text[128] = {};
      GetDlgItemTextW(dialog, id, text, 128);
      current->shown[id] = pk::utf8(text);
    }
    sendNext(dialog);
  } else if (message == WM_COMMAND) {
    current->handled.push_back(r);
    sendNext(dialog);
  }
  return r;
}

class DialogFlow : public ::testing::Test {
 protected:
  test::FakeHost host;
  std::filesystem::path root = test::freshRoot();

  void SetUp() override {
    pk::DeviceConfig config;
    config.root = root;
    pk::setUpDevice(host, config, &pkProgramModule);
    appInstance = pk::instanceOf(pkProgramModule);
    mainWindow = nullptr;
    memset(&gameState, 0, sizeof gameState);
    memset(&playStatus, 0, sizeof playStatus);
    memset(&options, 0, sizeof options);
    memset(&statistics, 0, sizeof statistics);
    endBonus = 0;
  }
  void TearDown() override {
    pk::wm::resetWindowSystem();
    pk::device().host = nullptr;
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }

  // Opens template id modally, as the game does, and returns its result.
  INT_PTR open(int id, DialogRun& run) {
    HRSRC found = FindResourceW(appInstance, MAKEINTRESOURCE(id), RT_DIALOG);
    EXPECT_NE(found, nullptr) << "template " << id;
    if (!found) return -1;
    auto tmpl = static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(appInstance, found)));
    current = &run;
    INT_PTR result = DialogBoxIndirectParamW(appInstance, tmpl, mainWindow, driver, 0);
    current = nullptr;
    return result;
  }

  void endedGame(int style, int32_t finalScore, int32_t bonus) {
    gameState.style = style;
    playStatus.scoreSlot = 0;
    gameState.scores[0] = finalScore;
    endBonus = bonus;
  }
  bool stateFileWritten() { return std::filesystem::exists(pk::hostPath(u"\\Windows\\Fizzorbs.dat")); }
};

TEST_F(DialogFlow, YourScoreShowsTheGameAndItsStyleFigures) {
  // Two counted games of 1000 and 501 in Shifter; the second just ended with 2 bubbles left.
  endedGame(STYLE_SHIFTER, 501, 60);
  statistics.styles[STYLE_SHIFTER] = {2, 1000, 1501, 0, 0, {}};
  statistics.styles[STYLE_STANDARD] = {7, 9999, 9999, 0, 0, {}};
  for (int decimals : {0, 1}) {
    options.decimalAverages = decimals;
    DialogRun run{yourScoreDialogProc, {IDOK}};
    run.watched = {1002, 1003, 1004, 1005, 1006};
    EXPECT_EQ(open(DLG_YOUR_SCORE, run), 0);
    EXPECT_EQ(run.initResult, TRUE);
    EXPECT_EQ(run.shown[1002], "441");
    EXPECT_EQ(run.shown[1003], "60");
    EXPECT_EQ(run.shown[1004], "501");
    EXPECT_EQ(run.shown[1005], decimals ? "750.50" : "750");
    EXPECT_EQ(run.shown[1006], "2");
  }
  EXPECT_EQ(statistics.styles[STYLE_SHIFTER].highScore, 1000u);
}

TEST_F(DialogFlow, ScoreDialogsAnswerTheirOwnButtonsOnly) {
  endedGame(STYLE_STANDARD, 500, 60);
  statistics.styles[STYLE_STANDARD] = {1, 500, 500, 0, 0, {}};
  // Cancel and the other dialogs' buttons are not theirs: the dialog stays open.
  DialogRun your{yourScoreDialogProc, {IDCANCEL, 1011, 1081, 1001}};
  EXPECT_EQ(open(DLG_YOUR_SCORE, your), 1);
  EXPECT_EQ(your.handled, (std::vector<INT_PTR>{FALSE, FALSE, FALSE, TRUE}));

  DialogRun high{highScoreDialogProc, {IDCANCEL, 1001, 1011}};
  EXPECT_EQ(open(DLG_HIGH_SCORE, high), 1);
  EXPECT_EQ(high.handled, (std::vector<INT_PTR>{FALSE, FALSE, TRUE}));

  DialogRun highOk{highScoreDialogProc, {IDOK}};
  EXPECT_EQ(open(DLG_HIGH_SCORE, highOk), 0);
}

TEST_F(DialogFlow, HighScoreRaisesTheStylesHighScoreAsItOpens) {
  // A first counted game: the statistics hold it, the high score does not yet.
  endedGame(STYLE_CONTINUOUS, 820, 0);
  statistics.styles[STYLE_CONTINUOUS] = {1, 0, 820, 0, 0, {}};
  DialogRun run{highScoreDialogProc, {IDOK}};
  run.watched = {1012, 1013, 1014, 1015, 1016};
  EXPECT_EQ(open(DLG_HIGH_SCORE, run), 0);
  EXPECT_EQ(run.shown[1012], "820");
  EXPECT_EQ(run.shown[1013], "0");
  EXPECT_EQ(run.shown[1014], "820");
  EXPECT_EQ(run.shown[1015], "820");
  EXPECT_EQ(run.shown[1016], "1");
  EXPECT_EQ(statistics.styles[STYLE_CONTINUOUS].highScore, 820u);

  // Never lowered, and compared unsigned.
  statistics.styles[STYLE_CONTINUOUS].highScore = 0x80000000u;
  DialogRun again{highScoreDialogProc, {IDOK}};
  open(DLG_HIGH_SCORE, again);
  EXPECT_EQ(statistics.styles[STYLE_CONTINUOUS].highScore, 0x80000000u);
}

TEST_F(DialogFlow, GuestScoreClosesOnCancelAndSwallowsOtherCommands) {
  endedGame(STYLE_MEGASHIFT, 1234, 34);
  StatisticsTable before = statistics;
  // The New Game after Cancel would end it with 1 if Cancel had not closed it.
  DialogRun run{guestScoreDialogProc, {0, 1001, IDCANCEL, 1081}};
  run.watched = {1082, 1083, 1084};
  EXPECT_EQ(open(DLG_GUEST_SCORE, run), 0);
  EXPECT_EQ(run.handled, (std::vector<INT_PTR>{TRUE, TRUE, TRUE}));
  EXPECT_EQ(run.shown[1082], "1200");
  EXPECT_EQ(run.shown[1083], "34");
  EXPECT_EQ(run.shown[1084], "1234");
  EXPECT_EQ(memcmp(&before, &statistics, sizeof statistics), 0);

  DialogRun newGame{guestScoreDialogProc, {1081}};
  EXPECT_EQ(open(DLG_GUEST_SCORE, newGame), 1);
  DialogRun ok{guestScoreDialogProc, {IDOK}};
  EXPECT_EQ(open(DLG_GUEST_SCORE, ok), 0);
}

// Reads the Options dialog's controls from inside it, after the given commands.
struct OptionsSeen {
  std::map<int, LRESULT> checks;
  LRESULT style = -2, bubbles = -2, styleCount = -2, bubbleCount = -2;
};
OptionsSeen optionsSeen;

INT_PTR CALLBACK optionsReader(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR r = optionsDialogProc(dialog, message, wParam, lParam);
  if (message == WM_INITDIALOG) {
    for (int id : {1041, 1042, 1043, 1044, 1047})
      optionsSeen.checks[id] = SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0);
    optionsSeen.style = SendDlgItemMessageW(dialog, 1046, CB_GETCURSEL, 0, 0);
    optionsSeen.bubbles = SendDlgItemMessageW(dialog, 1048, CB_GETCURSEL, 0, 0);
    optionsSeen.styleCount = SendDlgItemMessageW(dialog, 1046, CB_GETCOUNT, 0, 0);
    optionsSeen.bubbleCount = SendDlgItemMessageW(dialog, 1048, CB_GETCOUNT, 0, 0);
    // The player's changes: every box flipped, the last style and set chosen.
    for (int id : {1041, 1042, 1043, 1044, 1047})
      SendDlgItemMessageW(dialog, id, BM_SETCHECK, optionsSeen.checks[id] ? BST_UNCHECKED : BST_CHECKED, 0);
    SendDlgItemMessageW(dialog, 1046, CB_SETCURSEL, 3, 0);
    SendDlgItemMessageW(dialog, 1048, CB_SETCURSEL, 1, 0);
  }
  return r;
}

TEST_F(DialogFlow, OptionsShowTheRecordAndCancelKeepsIt) {
  options = {1, 0, 1, 0, STYLE_SHIFTER, 1, 0, 1, BUBBLES_COLORFUL, {}};
  OptionsRecord before = options;
  DialogRun run{optionsReader, {IDCANCEL}};
  EXPECT_EQ(open(DLG_OPTIONS, run), 0);
  EXPECT_EQ(optionsSeen.checks[1041], BST_CHECKED);
  EXPECT_EQ(optionsSeen.checks[1042], BST_UNCHECKED);
  EXPECT_EQ(optionsSeen.checks[1043], BST_CHECKED);
  EXPECT_EQ(optionsSeen.checks[1044], BST_UNCHECKED);
  EXPECT_EQ(optionsSeen.checks[1047], BST_CHECKED);
  EXPECT_EQ(optionsSeen.style, STYLE_SHIFTER);
  EXPECT_EQ(optionsSeen.bubbles, BUBBLES_COLORFUL);
  EXPECT_EQ(optionsSeen.styleCount, 4);
  EXPECT_EQ(optionsSeen.bubbleCount, 2);
  EXPECT_EQ(memcmp(&before, &options, sizeof options), 0);
  EXPECT_FALSE(stateFileWritten());
}

TEST_F(DialogFlow, OptionsOkStoresEverythingAndMakesTheRunningGameAGuestGame) {
  options = {1, 1, 1, 0, STYLE_STANDARD, 1, 0, 0, BUBBLES_COLORFUL, {}};
  playStatus.gameInProgress = 1;
  gameState.style = STYLE_STANDARD;
  gameState.countsForStats = 1;
  DialogRun run{optionsReader, {IDOK}};
  EXPECT_EQ(open(DLG_OPTIONS, run), 1);
  EXPECT_EQ(options.playSounds, 0);
  EXPECT_EQ(options.showStartupDemo, 0);
  EXPECT_EQ(options.confirmEndGame, 0);
  EXPECT_EQ(options.decimalAverages, 1);
  EXPECT_EQ(options.guestMode, 1);
  EXPECT_EQ(options.gameStyle, STYLE_MEGASHIFT);
  EXPECT_EQ(options.bubbleSet, BUBBLES_GRAYSCALE);
  EXPECT_EQ(options.scoreSlotCount, 1u);
  EXPECT_EQ(playStatus.guestGame, 1);
  EXPECT_EQ(gameState.countsForStats, 0);
  EXPECT_EQ(gameState.style, STYLE_STANDARD) << "the running game keeps its style";
  EXPECT_TRUE(stateFileWritten());
}

// Blue header text in the top band of the main window.
int headerTextPixels() {
  const pk::Surface& screen = pk::device().screen;
  int count = 0;
  for (int y = pk::wm::kNavBarHeight; y < pk::wm::kNavBarHeight + 20; ++y)
    for (int x = 0; x < screen.width; ++x) {
      uint32_t p = screen.pixels[size_t(y) * size_t(screen.width) + size_t(x)];
      if ((p & 0xFF) > 0x80 && ((p >> 16) & 0xFF) < 0x80) ++count;
    }
  return count;
}

LRESULT CALLBACK plainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

TEST_F(DialogFlow, OptionsOkWithoutAGameShowsTheNewStyleInTheHeader) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = plainWindowProc;
  wc.hInstance = appInstance;
  wc.hbrBackground = HBRUSH(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = u"DialogTestMain";
  RegisterClassW(&wc);
  mainWindow = CreateWindowExW(0, u"DialogTestMain", u"Main", WS_VISIBLE, 0, pk::wm::kNavBarHeight, 240, 268,
                               nullptr, nullptr, appInstance, nullptr);
  ASSERT_NE(mainWindow, nullptr);
  UpdateWindow(mainWindow);
  ASSERT_EQ(headerTextPixels(), 0);
  options = {1, 1, 1, 0, STYLE_STANDARD, 1, 0, 0, BUBBLES_COLORFUL, {}};
  playStatus.gameInProgress = 0;
  DialogRun run{optionsReader, {IDOK}};
  EXPECT_EQ(open(DLG_OPTIONS, run), 1);
  EXPECT_EQ(options.gameStyle, STYLE_MEGASHIFT);
  EXPECT_GT(headerTextPixels(), 0);
  EXPECT_TRUE(stateFileWritten());
}

TEST_F(DialogFlow, ClearingGuestModeLeavesTheRunningGuestGame) {
  options = {1, 1, 1, 1, STYLE_STANDARD, 1, 0, 0, BUBBLES_COLORFUL, {}};
  playStatus.gameInProgress = 1;
  playStatus.guestGame = 1;
  gameState.countsForStats = 0;
  DialogRun run{optionsReader, {IDOK}};
  open(DLG_OPTIONS, run);
  EXPECT_EQ(options.guestMode, 0);
  EXPECT_EQ(playStatus.guestGame, 1);
  EXPECT_EQ(gameState.countsForStats, 0);
}

TEST_F(DialogFlow, StatisticsShowEveryStyleAndCodesOpensOverIt) {
  statistics.styles[STYLE_STANDARD] = {3, 250, 600, 0, 0, {}};
  statistics.styles[STYLE_SHIFTER] = {0, 400, 1000, 0, 0, {}};
  options.decimalAverages = 1;
  std::map<int, std::string> codes;
  std::string codesTitle;
  host.steps.push_back([&] {
    HWND active = pk::automation::activeWindow();
    if (!active || pk::wm::text(active) != u"Fizzorbs Codes!") return false;
    for (int id = 231; id <= 234; ++id) {
      WCHAR text[128] = {};
      GetDlgItemTextW(active, id, text, 128);
      codes[id] = pk::utf8(text);
    }
    host.tapAt(pk::automation::navigationOk());
    return true;
  });
  std::srand(8);  // only Standard draws a multiplier: 11
  DialogRun run{statisticsDialogProc, {1077, IDOK}};
  for (int id = 1062; id <= 1073; ++id) run.watched.push_back(id);
  EXPECT_EQ(open(DLG_STATISTICS, run), 0);
  EXPECT_EQ(run.handled, (std::vector<INT_PTR>{TRUE, TRUE}));
  std::vector<std::string> figures;
  for (int id = 1062; id <= 1073; ++id) figures.push_back(run.shown[id]);
  EXPECT_EQ(figures, (std::vector<std::string>{"3", "200.00", "250", "0", "0.00", "0", "0", "0.00", "400", "0",
                                               "0.00", "0"}));
  EXPECT_EQ(codes[231], "L226427434659314");
  EXPECT_EQ(codes[232], "0000000000");
  EXPECT_EQ(codes[233], "0000000000");
  EXPECT_EQ(codes[234], "0000000000");
}

TEST_F(DialogFlow, ResetAsksAndOnlyYesErasesTheWholeTable) {
  for (int i = 0; i < kStatisticsRecords; ++i) statistics.styles[i] = {5, 300, 1000, 90, 40, {1, 2, 3, 4, 5}};
  StatisticsTable before = statistics;
  HWND askedOver = nullptr;
  host.steps.push_back([&] {
    askedOver = pk::wm::ownerOf(pk::automation::activeWindow());
    return host.tapControl(u"No");
  });
  DialogRun no{statisticsDialogProc, {1061, IDOK}};
  EXPECT_EQ(open(DLG_STATISTICS, no), 0);
  EXPECT_EQ(no.handled, (std::vector<INT_PTR>{TRUE, TRUE})) << "the dialog stayed open for OK";
  EXPECT_EQ(memcmp(&before, &statistics, sizeof statistics), 0);
  EXPECT_EQ(askedOver, no.dialog);
  ASSERT_FALSE(host.notes.empty());
  EXPECT_EQ(host.notes.front(),
            "messagebox \"Reset Statistics?\" \"Do you really want to reset your statistics?\" 0x124 -> 7");

  host.steps.push_back([&] { return host.tapControl(u"Yes"); });
  DialogRun yes{statisticsDialogProc, {1061, IDOK}};
  EXPECT_EQ(open(DLG_STATISTICS, yes), 0);
  EXPECT_EQ(yes.handled, (std::vector<INT_PTR>{TRUE})) << "Yes closes the dialog";
  StatisticsTable zero = {};
  EXPECT_EQ(memcmp(&zero, &statistics, sizeof statistics), 0);
  EXPECT_FALSE(stateFileWritten()) << "the reset waits for the next write";
}

TEST_F(DialogFlow, AboutClosesOnOkOrCancelAndChangesNothing) {
  for (int command : {IDOK, IDCANCEL}) {
    DialogRun run{aboutDialogProc, {0, 1001, command}};
    EXPECT_EQ(open(DLG_ABOUT, run), 0);
    EXPECT_EQ(run.initResult, FALSE);
    EXPECT_EQ(run.handled, (std::vector<INT_PTR>{FALSE, FALSE, TRUE}));
  }
  EXPECT_FALSE(stateFileWritten());
}

}  // namespace
