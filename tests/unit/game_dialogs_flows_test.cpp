// The dialogs run by the layer's dialog manager from the game's own templates:
// what they show, what each command does to the records, and what they return.
#include <map>

#include "dialogs/dialogs.h"
#include "controls/controls.h"
#include "game_fixture.h"

namespace gametest {
namespace {

// What one run of a dialog showed and answered.
struct DialogRun {
  DialogRun(DLGPROC p, std::vector<int> c, std::vector<int> w = {}) : proc(p), commands(c), watched(w) {}
  DLGPROC proc;
  std::vector<int> commands;  // sent one at a time, each after the last was handled
  std::vector<int> watched;   // control ids whose texts are read after WM_INITDIALOG
  size_t sent = 0;
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
    EXPECT_TRUE(pk::chrome::hasDoneButton(dialog)) << "every dialog of the game is a page with its ok";
    for (int id : current->watched) {
      WCHAR text[128] = {};
      GetDlgItemTextW(dialog, id, text, 128);
      current->shown[id] = pk::utf8(text);
    }
    sendNext(dialog);
  } else if (message == WM_COMMAND) {
    current->handled.push_back(r);
    sendNext(dialog);
  } else {
    EXPECT_EQ(r, FALSE) << "message " << message << " kept from the dialog manager";  // its paint, keys and close
  }
  return r;
}

struct DialogFlow : Game {
  // Opens template id modally over the main window, as the game does, and returns its result.
  INT_PTR open(int id, DialogRun& run) {
    HRSRC found = FindResourceW(appInstance, MAKEINTRESOURCE(id), RT_DIALOG);
    EXPECT_NE(found, nullptr) << "template " << id;
    if (!found) return -1;
    current = &run;
    INT_PTR result = 0;
    EXPECT_NO_GDI_LEAK(result = DialogBoxIndirectParamW(
        appInstance, static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(appInstance, found))), mainWindow, driver, 0));
    current = nullptr;
    return result;
  }
  static void endedGame(int style, int32_t finalScore, int32_t bonus) {
    gameState.style = style;
    playStatus.scoreSlot = 0;
    gameState.scores[0] = finalScore;
    endBonus = bonus;
  }
};

TEST_F(DialogFlow, ScoreDialogsShowTheGameAndItsStyleFigures) {
  // Two counted games of 1000 and 501 in Shifter; the second just ended with 2 bubbles left.
  endedGame(STYLE_SHIFTER, 501, 60);
  statistics.styles[STYLE_SHIFTER] = {2, 1000, 1501, 0, 0, {}};
  statistics.styles[STYLE_STANDARD] = {7, 9999, 9999, 0, 0, {}};
  for (int decimals : {0, 1}) {
    options.decimalAverages = decimals;
    DialogRun run{yourScoreDialogProc, {IDOK}, {IDC_YOUR_GAME_SCORE, IDC_YOUR_BONUS, IDC_YOUR_TOTAL, IDC_YOUR_AVERAGE, IDC_YOUR_GAMES}};
    EXPECT_EQ(open(DLG_YOUR_SCORE, run), 0);
    EXPECT_EQ(run.initResult, TRUE);
    EXPECT_EQ(run.shown, (std::map<int, std::string>{
                             {IDC_YOUR_GAME_SCORE, "441"}, {IDC_YOUR_BONUS, "60"}, {IDC_YOUR_TOTAL, "501"}, {IDC_YOUR_AVERAGE, decimals ? "750.50" : "750"}, {IDC_YOUR_GAMES, "2"}}));
  }
  // The high score dialog raises it as it opens.
  endedGame(STYLE_SHIFTER, 1200, 0);
  DialogRun high{highScoreDialogProc, {IDOK}, {IDC_HIGH_TOTAL, IDC_HIGH_GAMES}};
  EXPECT_EQ(open(DLG_HIGH_SCORE, high), 0);
  EXPECT_EQ(high.shown, (std::map<int, std::string>{{IDC_HIGH_TOTAL, "1200"}, {IDC_HIGH_GAMES, "2"}}));
  EXPECT_EQ(statistics.styles[STYLE_SHIFTER].highScore, 1200u);

  // A guest game shows its own figures.
  endedGame(STYLE_MEGASHIFT, 1234, 34);
  DialogRun guest{guestScoreDialogProc, {IDOK}, {IDC_GUEST_GAME_SCORE, IDC_GUEST_BONUS, IDC_GUEST_TOTAL}};
  EXPECT_EQ(open(DLG_GUEST_SCORE, guest), 0);
  EXPECT_EQ(guest.shown, (std::map<int, std::string>{{IDC_GUEST_GAME_SCORE, "1200"}, {IDC_GUEST_BONUS, "34"}, {IDC_GUEST_TOTAL, "1234"}}));
}

// From inside the Options dialog, flips every box it shows and picks the last style
// and set, as a player would.
INT_PTR CALLBACK optionsReader(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR r = optionsDialogProc(dialog, message, wParam, lParam);
  if (message == WM_INITDIALOG) {
    for (int id : {IDC_PLAY_SOUNDS, IDC_STARTUP_DEMO, IDC_CONFIRM_END, IDC_GUEST_MODE, IDC_DECIMAL_AVERAGES}) {
      bool checked = SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0);
      SendDlgItemMessageW(dialog, id, BM_SETCHECK, checked ? BST_UNCHECKED : BST_CHECKED, 0);
    }
    SendDlgItemMessageW(dialog, IDC_GAME_STYLE, CB_SETCURSEL, 3, 0);
    SendDlgItemMessageW(dialog, IDC_BUBBLE_SET, CB_SETCURSEL, 1, 0);
  }
  return r;
}

TEST_F(DialogFlow, OptionsOkStoresEverythingAndTheRunningGameBecomesAGuestGame) {
  options = {1, 1, 1, 0, STYLE_STANDARD, 1, 0, 1, BUBBLES_COLORFUL, {}};
  playStatus.gameInProgress = 1;
  gameState.style = STYLE_STANDARD;
  gameState.countsForStats = 1;
  DialogRun run{optionsReader, {IDOK}};
  EXPECT_EQ(open(DLG_OPTIONS, run), 1);
  EXPECT_EQ(std::tuple(options.playSounds, options.showStartupDemo, options.confirmEndGame, options.decimalAverages,
                       options.guestMode, options.gameStyle, options.bubbleSet, options.scoreSlotCount),
            std::tuple(0, 0, 0, 0, 1, STYLE_MEGASHIFT, BUBBLES_GRAYSCALE, 1u));
  EXPECT_EQ(gameState.style, STYLE_STANDARD) << "the running game keeps its style";
  EXPECT_TRUE(std::filesystem::exists(stateFile())) << "stored options are saved at once";

  // Clearing guest mode leaves the running guest game one.
  DialogRun again{optionsReader, {IDOK}};
  open(DLG_OPTIONS, again);
  EXPECT_EQ(options.guestMode, 0);
  EXPECT_EQ(std::tuple(playStatus.guestGame, gameState.countsForStats), std::tuple(1u, 0));

  // Without a game the header shows the new style at once, on a main window that paints nothing.
  mainWindow = openWindow(u"Plain", DefWindowProcW);
  UpdateWindow(mainWindow);
  ASSERT_EQ(countPixels(0, 0, 240, 20, kBlue), 0);
  playStatus.gameInProgress = 0;
  DialogRun third{optionsReader, {IDOK}};
  open(DLG_OPTIONS, third);
  EXPECT_GT(countPixels(0, 0, 240, 20, kBlue), 0);
}

TEST_F(DialogFlow, StatisticsShowEveryStyleAndCodesOpensOverIt) {
  statistics = {};
  statistics.styles[STYLE_STANDARD] = {3, 250, 600, 0, 0, {}};
  statistics.styles[STYLE_SHIFTER] = {0, 400, 1000, 0, 0, {}};
  options.decimalAverages = 1;
  std::vector<std::string> codes;
  host.steps.push_back([&] {
    HWND active = pk::automation::activeWindow();
    if (!active || pk::wm::text(active) != u"Fizzorbs Codes!") return false;
    for (int id = IDC_STANDARD_CODE; id <= IDC_MEGASHIFT_CODE; ++id) {
      WCHAR text[128] = {};
      GetDlgItemTextW(active, id, text, 128);
      codes.push_back(pk::utf8(text));
    }
    host.tapAt(pk::automation::navigationOk());
    return true;
  });
  std::srand(8);  // only Standard draws a multiplier: 11
  DialogRun run{statisticsDialogProc, {IDC_CODES, IDOK}};
  for (int id = IDC_STANDARD_GAMES; id <= IDC_MEGASHIFT_HIGH; ++id) run.watched.push_back(id);
  EXPECT_EQ(open(DLG_STATISTICS, run), 0);
  EXPECT_EQ(run.handled, (std::vector<INT_PTR>{TRUE, TRUE}));
  std::vector<std::string> figures;
  for (int id = IDC_STANDARD_GAMES; id <= IDC_MEGASHIFT_HIGH; ++id) figures.push_back(run.shown[id]);
  EXPECT_EQ(figures, (std::vector<std::string>{"3", "200.00", "250", "0", "0.00", "0", "0", "0.00", "400", "0",
                                               "0.00", "0"}));
  EXPECT_EQ(codes, (std::vector<std::string>{"L226427434659314", "0000000000", "0000000000", "0000000000"}));
}

TEST_F(DialogFlow, EachDialogEndsOnItsOwnButtonsOnly) {
  endedGame(STYLE_STANDARD, 500, 60);
  statistics.styles[STYLE_STANDARD] = {1, 500, 500, 0, 0, {}};
  // Other dialogs' buttons are not theirs; the guest dialog swallows them, and a
  // New Game after its Cancel would end it with 1 had Cancel not closed it.
  struct Case {
    DLGPROC proc;
    int id;
    std::vector<int> commands;
    std::vector<INT_PTR> handled;
    INT_PTR result;
  } cases[] = {
      {yourScoreDialogProc, DLG_YOUR_SCORE, {IDCANCEL, IDC_HIGH_NEW_GAME, IDC_GUEST_NEW_GAME, IDC_YOUR_NEW_GAME}, {FALSE, FALSE, FALSE, TRUE}, 1},
      {highScoreDialogProc, DLG_HIGH_SCORE, {IDCANCEL, IDC_YOUR_NEW_GAME, IDC_HIGH_NEW_GAME}, {FALSE, FALSE, TRUE}, 1},
      {highScoreDialogProc, DLG_HIGH_SCORE, {IDOK}, {TRUE}, 0},
      {guestScoreDialogProc, DLG_GUEST_SCORE, {0, IDC_YOUR_NEW_GAME, IDCANCEL, IDC_GUEST_NEW_GAME}, {TRUE, TRUE, TRUE}, 0},
      {guestScoreDialogProc, DLG_GUEST_SCORE, {IDC_GUEST_NEW_GAME}, {TRUE}, 1},
      {aboutDialogProc, DLG_ABOUT, {0, IDC_YOUR_NEW_GAME, IDOK}, {FALSE, FALSE, TRUE}, 0},
      {aboutDialogProc, DLG_ABOUT, {0, IDC_YOUR_NEW_GAME, IDCANCEL}, {FALSE, FALSE, TRUE}, 0},
      {scoreCodesDialogProc, DLG_SCORE_CODES, {0, IDC_CODES, IDCANCEL}, {FALSE, FALSE, TRUE}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "template " << c.id << ", command " << c.commands.back());
    DialogRun run{c.proc, c.commands};
    EXPECT_EQ(open(c.id, run), c.result);
    EXPECT_EQ(run.handled, c.handled);
  }
  EXPECT_FALSE(std::filesystem::exists(stateFile()));
}

TEST_F(DialogFlow, ResetAsksAndOnlyYesErasesTheWholeTable) {
  for (int i = 0; i < kStatisticsRecords; ++i) statistics.styles[i] = {5, 300, 1000, 90, 40, {1, 2, 3, 4, 5}};
  StatisticsTable before = statistics;
  host.steps.push_back([&] { return host.tapControl(u"No"); });
  DialogRun no{statisticsDialogProc, {IDC_RESET, IDOK}};
  EXPECT_EQ(open(DLG_STATISTICS, no), 0);
  EXPECT_EQ(memcmp(&before, &statistics, sizeof statistics), 0);

  host.steps.push_back([&] { return host.tapControl(u"Yes"); });
  DialogRun yes{statisticsDialogProc, {IDC_RESET, IDOK}};
  EXPECT_EQ(open(DLG_STATISTICS, yes), 0);
  EXPECT_EQ(yes.handled, (std::vector<INT_PTR>{TRUE})) << "Yes closes the dialog";
  StatisticsTable zero = {};
  EXPECT_EQ(memcmp(&zero, &statistics, sizeof statistics), 0);
}

}  // namespace
}  // namespace gametest
