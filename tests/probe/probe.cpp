// A small windowed program for the end-to-end tests: it logs every message it cares
// about as a "probe ..." line on standard output, so a test can check what reached the
// program and in which order, and draws things a screenshot can check.
#include <windows.h>

#include <cstdio>

namespace {

const WCHAR kClassName[] = u"Probe";

// Messages the tests post or send.
const UINT kPostProbe = WM_USER + 2;   // logged when it is taken from the queue
const UINT kQuitWith = WM_USER + 3;    // ends the message loop with wParam as exit code
const UINT kLogRandom = WM_USER + 4;   // logs wParam values of Random()
const UINT kSleepFor = WM_USER + 5;    // Sleep(wParam)

const int kMaxTaps = 64;
POINT taps[kMaxTaps];
int tapCount = 0;
int paintCount = 0;

void logLine(const char* format, long a = 0, long b = 0) {
  char line[160];
  std::snprintf(line, sizeof line, format, a, b);
  // One write per line, so lines from the host's other thread never cut into ours.
  std::printf("probe %s\n", line);
  std::fflush(stdout);
}

int pointX(LPARAM lParam) { return int(int16_t(LOWORD(lParam))); }
int pointY(LPARAM lParam) { return int(int16_t(HIWORD(lParam))); }

void paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, (HBRUSH)GetStockObject(WHITE_BRUSH));

  // A blue box in the top-left corner.
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  RECT box = {10, 10, 50, 50};
  FillRect(dc, &box, blue);
  DeleteObject(blue);

  // A red 5 x 5 marker centred on every tap so far.
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  for (int i = 0; i < tapCount; ++i) {
    RECT mark = {taps[i].x - 2, taps[i].y - 2, taps[i].x + 3, taps[i].y + 3};
    FillRect(dc, &mark, red);
  }
  DeleteObject(red);
  EndPaint(window, &ps);
  ++paintCount;
  logLine("paint %ld", paintCount);
}

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      paint(window);
      return 0;
    case WM_LBUTTONDOWN:
      logLine("down %ld %ld", pointX(lParam), pointY(lParam));
      if (tapCount < kMaxTaps) taps[tapCount++] = POINT{pointX(lParam), pointY(lParam)};
      InvalidateRect(window, nullptr, FALSE);
      // Taps made meanwhile must wait in the queue, neither lost nor early.
      Sleep(300);
      logLine("slept");
      return 0;
    case WM_LBUTTONUP:
      logLine("up %ld %ld", pointX(lParam), pointY(lParam));
      return 0;
    case WM_KEYDOWN:
      logLine("key 0x%lx", long(wParam));
      return 0;
    case WM_HELP:
      logLine("help");
      return 0;
    case kPostProbe:
      logLine("posted %ld", long(wParam));
      return 0;
    case kQuitWith:
      PostQuitMessage(int(wParam));
      return 0;
    case kLogRandom:
      for (WPARAM i = 0; i < wParam && i < 16; ++i) logLine("random %ld", long(Random()));
      return 0;
    case kSleepFor:
      Sleep(DWORD(wParam));
      logLine("slept");
      return 0;
    case WM_CLOSE:
      logLine("close");
      PostQuitMessage(7);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int cmdShow) {
  logLine("start");

  WNDCLASSW wc = {};
  wc.lpfnWndProc = probeProc;
  wc.hInstance = instance;
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszClassName = kClassName;
  if (!RegisterClassW(&wc)) return 1;

  HWND window = CreateWindowExW(0, kClassName, u"Probe", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (!window) return 16;
  ShowWindow(window, cmdShow);
  UpdateWindow(window);
  // A repaint is wanted and two messages wait: the messages come first.
  InvalidateRect(window, nullptr, TRUE);
  PostMessageW(window, kPostProbe, 1, 0);
  PostMessageW(window, kPostProbe, 2, 0);
  logLine("waiting");

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  logLine("loop ended with %ld", long(msg.wParam));
  return int(msg.wParam);
}
