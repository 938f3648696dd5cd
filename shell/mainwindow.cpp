// The program's entry, its one window and the two dispatch tables.
#include <windows.h>
#include <aygshell.h>
#include <commctrl.h>

#include "core/board.h"
#include "core/game.h"
#include "core/records.h"
#include "core/tap.h"
#include "res/resource.h"
#include "shell/menubar.h"
#include "shell/shell.h"
#include "store/statefile.h"
#include "view/view.h"

HWND mainWindow = nullptr;
HINSTANCE appInstance = nullptr;
HDC bubbleBacking = nullptr;
HBITMAP bubbleBackingBitmap = nullptr;

namespace {

// Class name and title are separate copies: both are used to find a running instance.
const WCHAR kClassName[] = u"Fizzorbs";
const WCHAR kWindowTitle[] = u"Fizzorbs";

constexpr int EXIT_NORMAL = 0;
constexpr int EXIT_CLASS_REFUSED = 1;
constexpr int EXIT_NO_WINDOW = 16;

constexpr int kBackingSize = 320;
constexpr UINT WM_FIZZORBS_RESERVED = WM_USER + 10;
constexpr DWORD kSipInfoSize = sizeof(SIPINFO);

typedef LRESULT (*MessageHandler)(HWND, UINT, WPARAM, LPARAM);
typedef LRESULT (*CommandHandler)(HWND, int, HWND, int);

struct MessageEntry {
  UINT message;
  MessageHandler handler;
};

struct CommandEntry {
  int id;
  CommandHandler handler;
};

LRESULT onCreate(HWND window, UINT, WPARAM, LPARAM);
LRESULT onCommand(HWND window, UINT, WPARAM wParam, LPARAM lParam);
LRESULT onSize(HWND window, UINT, WPARAM, LPARAM);
LRESULT onSettingChange(HWND window, UINT, WPARAM wParam, LPARAM);
LRESULT onActivate(HWND window, UINT, WPARAM wParam, LPARAM);
LRESULT onClose(HWND window, UINT, WPARAM, LPARAM);

// Messages and commands that the program knows but leaves alone.
LRESULT answerZero(HWND, UINT, WPARAM, LPARAM) { return 0; }
LRESULT commandAnswerZero(HWND, int, HWND, int) { return 0; }

const MessageEntry MessageTable[] = {
    {WM_CREATE, onCreate},
    {WM_COMMAND, onCommand},
    {WM_PAINT, onPaint},
    {WM_SIZE, onSize},
    {WM_SETTINGCHANGE, onSettingChange},
    {WM_HIBERNATE, answerZero},
    {WM_ACTIVATE, onActivate},
    {WM_LBUTTONDOWN, onTap},
    {WM_DESTROY, onClose},
    {WM_CLOSE, onClose},
    {WM_HELP, onHelp},
    {WM_FIZZORBS_RESERVED, answerZero},
};
static_assert(sizeof(MessageTable) / sizeof(MessageTable[0]) == 12);

const CommandEntry CommandTable[] = {
    {CMD_ABOUT, onAbout},
    {CMD_NEW_GAME, onNewGame},
    {CMD_END_GAME, onEndGame},
    {CMD_OPTIONS, onOptions},
    {CMD_STATISTICS, onStatistics},
    {CMD_UNDO, undoMove},
    {CMD_NOTHING, commandAnswerZero},
};
static_assert(sizeof(CommandTable) / sizeof(CommandTable[0]) == 7);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  for (const MessageEntry& entry : MessageTable)
    if (entry.message == message) return entry.handler(window, message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT onCommand(HWND window, UINT, WPARAM wParam, LPARAM lParam) {
  int id = LOWORD(wParam);
  int notification = HIWORD(wParam);
  for (const CommandEntry& entry : CommandTable)
    if (entry.id == id) return entry.handler(window, id, reinterpret_cast<HWND>(lParam), notification);
  // Unknown commands are answered here and never reach DefWindowProcW.
  return 0;
}

LRESULT onCreate(HWND window, UINT, WPARAM, LPARAM) {
  // Recorded early so that a game dealt here is laid out in this window.
  mainWindow = window;
  createMenuBar(window);

  HDC display = GetDC(window);
  bubbleBacking = CreateCompatibleDC(display);
  // Compatible with the display, not with the memory context, so it has the display's colours.
  bubbleBackingBitmap = CreateCompatibleBitmap(display, kBackingSize, kBackingSize);
  SelectObject(bubbleBacking, bubbleBackingBitmap);
  ReleaseDC(window, display);

  if (playStatus.gameInProgress == 0 && options.showStartupDemo == 0) onNewGame(window, CMD_NEW_GAME, nullptr, 0);
  return 0;
}

LRESULT onSize(HWND window, UINT, WPARAM, LPARAM) {
  if (playStatus.gameInProgress == 1) layoutBoard();
  InvalidateRect(window, nullptr, TRUE);
  return 0;
}

LRESULT onSettingChange(HWND window, UINT, WPARAM wParam, LPARAM) {
  if (wParam != SPI_SETSIPINFO) return 0;
  hideInputPanel();
  SHACTIVATEINFO info;
  memset(&info, 0, sizeof(info));
  SHHandleWMSettingChange(window, WPARAM(-1), 0, &info);
  return 0;
}

LRESULT onActivate(HWND, UINT, WPARAM wParam, LPARAM) {
  if (LOWORD(wParam) == WA_INACTIVE) return 0;
  hideInputPanel();
  InvalidateRect(mainWindow, nullptr, TRUE);
  return 0;
}

// Runs for WM_CLOSE and WM_DESTROY alike; handles are cleared so the second
// of the two releases nothing twice. The state file was written after every
// change, so nothing is saved here.
LRESULT onClose(HWND, UINT, WPARAM, LPARAM) {
  if (menuBar) {
    DestroyWindow(menuBar);
    menuBar = nullptr;
  }
  // The context first: a bitmap still selected into one cannot be deleted.
  if (bubbleBacking) {
    DeleteDC(bubbleBacking);
    bubbleBacking = nullptr;
  }
  if (bubbleBackingBitmap) {
    DeleteObject(bubbleBackingBitmap);
    bubbleBackingBitmap = nullptr;
  }
  PostQuitMessage(EXIT_NORMAL);
  return 0;
}

// Width of the visible desktop; height without the task bar and the menu bar,
// whether or not the input panel is up.
void mainWindowSize(int* width, int* height) {
  SIPINFO sip;
  memset(&sip, 0, sizeof(sip));
  sip.cbSize = kSipInfoSize;
  SHSipInfo(SPI_GETSIPINFO, 0, &sip, 0);
  *width = sip.rcVisibleDesktop.right - sip.rcVisibleDesktop.left;
  if (sip.fdwFlags & SIPF_ON)
    *height = (sip.rcVisibleDesktop.bottom - sip.rcVisibleDesktop.top) + (sip.rcSipRect.bottom - sip.rcSipRect.top);
  else
    *height = (sip.rcVisibleDesktop.bottom - sip.rcVisibleDesktop.top) - kMenuBarHeight;
}

}  // namespace

void hideInputPanel() { SHSipPreference(mainWindow, SIP_FORCEDOWN); }

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int cmdShow) {
  HWND running = FindWindowW(kClassName, kWindowTitle);
  if (running) {
    SetForegroundWindow(running);
    return EXIT_NORMAL;
  }

  initGameCore();
  loadStateFile();
  if (playStatus.gameInProgress == 1) resumeGame();

  WNDCLASSW wc;
  memset(&wc, 0, sizeof(wc));
  wc.lpfnWndProc = mainWindowProc;
  wc.hInstance = instance;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kClassName;
  if (!RegisterClassW(&wc)) return EXIT_CLASS_REFUSED;

  INITCOMMONCONTROLSEX icc;
  icc.dwSize = sizeof(icc);
  icc.dwICC = ICC_BAR_CLASSES | ICC_COOL_CLASSES;
  InitCommonControlsEx(&icc);

  appInstance = instance;
  int width = 0;
  int height = 0;
  mainWindowSize(&width, &height);

  HWND window = CreateWindowExW(0, kClassName, kWindowTitle, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, width, height,
                                nullptr, nullptr, instance, nullptr);
  if (!IsWindow(window)) {
    mainWindow = nullptr;
    return EXIT_NO_WINDOW;
  }

  SHSipPreference(window, SIP_FORCEDOWN);
  ShowWindow(window, cmdShow);
  UpdateWindow(window);
  mainWindow = window;
  updateCommandState();

  if (playStatus.gameInProgress == 1) {
    layoutBoard();
    InvalidateRect(mainWindow, nullptr, TRUE);
  } else if (options.showStartupDemo == 1) {
    runStartupDemo();
  } else {
    onNewGame(mainWindow, CMD_NEW_GAME, nullptr, 0);
  }
  firstShow = 0;

  HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_MENU));
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0)) {
    if (TranslateAcceleratorW(mainWindow, accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return int(msg.wParam);
}
