// The window manager: message order, painting, clipping, input and activation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>
#include <pocket/automation.h>

#include "device.h"
#include "fake_host.h"
#include "wm.h"

namespace {

struct Seen {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> seen;
LRESULT createResult = 0;

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  seen.push_back({hwnd, msg, wParam, lParam});
  if (msg == WM_CREATE) return createResult;
  if (msg == WM_CLOSE) return 0;  // stays open unless a test asks DefWindowProc
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class WindowManager : public ::testing::Test {
 protected:
  test::FakeHost host;
  std::vector<HWND> made;

  void SetUp() override {
    pk::DeviceConfig cfg;
    cfg.root = std::filesystem::temp_directory_path() / ("fz-wm-" + std::to_string(getpid()));
    pk::setUpDevice(host, cfg, nullptr);
    static bool registered = false;
    if (!registered) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = recordingProc;
      wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
      wc.lpszClassName = u"Recorder";
      ASSERT_NE(RegisterClassW(&wc), 0);
      registered = true;
    }
    seen.clear();
    createResult = 0;
    MSG m;
    // Drain what earlier tests left behind.
    host.events.clear();
    while (GetMessageW(&m, nullptr, 0, 0)) DispatchMessageW(&m);
    seen.clear();
  }
  void TearDown() override {
    for (HWND h : made) DestroyWindow(h);
  }

  HWND make(int x, int y, int w, int h, DWORD style = WS_VISIBLE, HWND parent = nullptr, int id = 0) {
    HWND hwnd = CreateWindowExW(0, u"Recorder", u"Rec", style, x, y, w, h, parent,
                                reinterpret_cast<HMENU>(intptr_t(id)), nullptr, nullptr);
    if (hwnd && !(style & WS_CHILD)) made.push_back(hwnd);
    return hwnd;
  }

  // Dispatches everything until the queue and paints run dry.
  std::vector<UINT> pump() {
    std::vector<UINT> order;
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0)) {
      order.push_back(m.message);
      DispatchMessageW(&m);
    }
    return order;
  }

  uint32_t pixel(int x, int y) { return pk::device().screen.row(y)[x]; }
};

TEST_F(WindowManager, CreationSendsCreateAndSizeBeforeReturning) {
  HWND w = make(0, 26, 240, 268);
  ASSERT_NE(w, nullptr);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0].msg, UINT(WM_CREATE));
  EXPECT_EQ(seen[1].msg, UINT(WM_SIZE));
  EXPECT_EQ(LOWORD(seen[1].lParam), 240);
  EXPECT_EQ(HIWORD(seen[1].lParam), 268);
  RECT rc;
  GetClientRect(w, &rc);
  EXPECT_EQ(rc.right, 240);
  EXPECT_EQ(rc.bottom, 268);
}

TEST_F(WindowManager, FailedCreateFailsTheCall) {
  createResult = -1;
  EXPECT_EQ(make(0, 26, 100, 100), nullptr);
  bool destroyed = false;
  for (auto& s : seen) destroyed |= s.msg == WM_DESTROY;
  EXPECT_TRUE(destroyed);
}

TEST_F(WindowManager, DefaultPositionSitsBelowTheNavigationBar) {
  HWND w = make(CW_USEDEFAULT, CW_USEDEFAULT, 240, 268);
  RECT r = pk::wm::screenRect(w);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 26);
}

TEST_F(WindowManager, PaintComesOnlyWhenNothingElseWaits) {
  HWND w = make(0, 26, 100, 100);
  pump();
  InvalidateRect(w, nullptr, FALSE);
  PostMessageW(w, WM_USER + 1, 0, 0);
  PostMessageW(w, WM_USER + 2, 0, 0);
  auto order = pump();
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0], UINT(WM_USER + 1));
  EXPECT_EQ(order[1], UINT(WM_USER + 2));
  EXPECT_EQ(order[2], UINT(WM_PAINT));
}

TEST_F(WindowManager, InvalidationsMergeIntoOnePaint) {
  HWND w = make(0, 26, 100, 100);
  pump();
  RECT a{0, 0, 10, 10}, b{50, 50, 60, 60};
  InvalidateRect(w, &a, FALSE);
  InvalidateRect(w, &b, FALSE);
  auto order = pump();
  EXPECT_EQ(std::count(order.begin(), order.end(), UINT(WM_PAINT)), 1);
}

TEST_F(WindowManager, SendMessageIsSynchronous) {
  HWND w = make(0, 26, 50, 50);
  seen.clear();
  SendMessageW(w, WM_USER + 5, 7, 8);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].msg, UINT(WM_USER + 5));
  EXPECT_EQ(seen[0].wParam, 7u);
}

TEST_F(WindowManager, EraseFillsWithTheClassBrushAndPaintValidates) {
  HWND w = make(0, 26, 40, 40);
  HDC dc = GetDC(w);
  RECT all{0, 0, 40, 40};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(w, dc);
  EXPECT_EQ(pixel(5, 30), 0x000000u);
  InvalidateRect(w, nullptr, TRUE);
  pump();
  EXPECT_EQ(pixel(5, 30), 0xFFFFFFu);
  EXPECT_EQ(pixel(39, 65), 0xFFFFFFu);
}

TEST_F(WindowManager, WindowDcNeverDrawsOverAWindowAbove) {
  HWND below = make(0, 26, 100, 100);
  HWND above = make(50, 50, 30, 30);
  pump();
  HDC dc = GetDC(below);
  RECT all{0, 0, 100, 100};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(below, dc);
  EXPECT_EQ(pixel(10, 30), 0x000000u);
  EXPECT_EQ(pixel(60, 60), 0xFFFFFFu) << "covered by the window above";
  EXPECT_EQ(pixel(79, 79), 0xFFFFFFu);
  EXPECT_EQ(pixel(80, 79), 0x000000u);
  // Once the upper window goes, the uncovered part is repainted by the one below.
  DestroyWindow(above);
  seen.clear();
  pump();
  bool painted = false;
  for (auto& s : seen) painted |= s.hwnd == below && s.msg == WM_PAINT;
  EXPECT_TRUE(painted);
}

TEST_F(WindowManager, ChildrenAreClippedOutOfTheirParent) {
  HWND parent = make(0, 26, 100, 100);
  HWND child = make(10, 10, 20, 20, WS_CHILD | WS_VISIBLE, parent, 42);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(GetDlgItem(parent, 42), child);
  EXPECT_EQ(GetDlgItem(parent, 43), nullptr);
  pump();
  HDC dc = GetDC(parent);
  RECT all{0, 0, 100, 100};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  ReleaseDC(parent, dc);
  EXPECT_EQ(pixel(15, 41), 0xFFFFFFu);
  EXPECT_EQ(pixel(9, 41), 0x000000u);
}

TEST_F(WindowManager, StylusGoesToTheWindowUnderItInClientCoordinates) {
  HWND w = make(20, 40, 100, 100);
  pump();
  seen.clear();
  host.tap(25, 47);
  pump();
  std::vector<Seen> downs;
  for (auto& s : seen)
    if (s.msg == WM_LBUTTONDOWN) downs.push_back(s);
  ASSERT_EQ(downs.size(), 1u);
  EXPECT_EQ(downs[0].hwnd, w);
  EXPECT_EQ(LOWORD(downs[0].lParam), 5);
  EXPECT_EQ(HIWORD(downs[0].lParam), 7);
}

TEST_F(WindowManager, DisabledOwnerRefusesTheStylus) {
  HWND owner = make(0, 26, 240, 268);
  HWND box = make(20, 100, 100, 50, WS_VISIBLE, owner);
  pump();
  pk::wm::enableWindow(owner, false);
  seen.clear();
  host.tap(5, 30);
  host.tap(30, 110);
  pump();
  int toOwner = 0, toBox = 0;
  for (auto& s : seen) {
    if (s.msg != WM_LBUTTONDOWN) continue;
    toOwner += s.hwnd == owner;
    toBox += s.hwnd == box;
  }
  EXPECT_EQ(toOwner, 0);
  EXPECT_EQ(toBox, 1);
  pk::wm::enableWindow(owner, true);
}

TEST_F(WindowManager, ActivationTellsBothWindows) {
  HWND a = make(0, 26, 100, 100);
  HWND b = make(100, 26, 100, 100);
  EXPECT_EQ(GetActiveWindow(), b);
  seen.clear();
  host.tap(10, 30);
  pump();
  EXPECT_EQ(GetActiveWindow(), a);
  int inactiveB = 0, clickA = 0;
  for (auto& s : seen) {
    if (s.msg != WM_ACTIVATE) continue;
    if (s.hwnd == b && LOWORD(s.wParam) == WA_INACTIVE) ++inactiveB;
    if (s.hwnd == a && LOWORD(s.wParam) == WA_CLICKACTIVE) ++clickA;
  }
  EXPECT_EQ(inactiveB, 1);
  EXPECT_EQ(clickA, 1);
}

TEST_F(WindowManager, CloseThroughDefWindowProcDestroys) {
  HWND w = make(0, 26, 50, 50);
  DefWindowProcW(w, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(WindowManager, QuitEndsTheLoopWithItsCode) {
  make(0, 26, 50, 50);
  PostQuitMessage(16);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0)) DispatchMessageW(&m);
  EXPECT_EQ(m.message, UINT(WM_QUIT));
  EXPECT_EQ(m.wParam, 16u);
}

TEST_F(WindowManager, KeysGoToTheActiveWindowAndF1AsksForHelp) {
  HWND w = make(0, 26, 50, 50);
  pump();
  seen.clear();
  host.events.push_back({pk::InputEvent::Kind::KeyF1});
  host.events.push_back({pk::InputEvent::Kind::KeyEscape});
  pump();
  bool help = false, escape = false;
  for (auto& s : seen) {
    help |= s.hwnd == w && s.msg == WM_HELP;
    escape |= s.hwnd == w && s.msg == WM_KEYDOWN && s.wParam == VK_ESCAPE;
  }
  EXPECT_TRUE(help);
  EXPECT_TRUE(escape);
}

TEST_F(WindowManager, TimersFireOnTheHostClock) {
  HWND w = make(0, 26, 50, 50);
  pump();
  pk::wm::setTimer(w, 3, 500);
  seen.clear();
  MSG m;
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_EQ(m.message, UINT(WM_TIMER));
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_GE(host.clock, 500u);
  pk::wm::killTimer(w, 3);
}

TEST_F(WindowManager, HelpViewerOpensAPageOfTheDevice) {
  auto page = pk::hostPath(u"\\Windows\\guide.htm");
  std::filesystem::create_directories(page.parent_path());
  FILE* f = fopen(page.c_str(), "w");
  ASSERT_NE(f, nullptr);
  fputs("<p>hi</p>", f);
  fclose(f);
  WCHAR cmd[] = u"file:guide.htm";
  EXPECT_TRUE(CreateProcessW(u"peghelp.exe", cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
  ASSERT_EQ(host.documents.size(), 1u);
  EXPECT_EQ(host.documents[0], page);
  WCHAR other[] = u"x";
  EXPECT_FALSE(CreateProcessW(u"calc.exe", other, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(host.notes.back(), "process \"calc.exe\" \"x\" -> 0");
}

}  // namespace
