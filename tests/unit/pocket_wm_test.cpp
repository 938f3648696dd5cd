// The window manager: message order, painting, clipping, input and activation.
#include <signal.h>
#include <sys/wait.h>

#include <array>
#include <future>
#include <set>

#include "pocket_fixture.h"
#include "system/hostos.h"
#include "wm/window_internal.h"

namespace {

constexpr RECT kAll{0, 0, 100, 100};
const HWND kNotAWindow = reinterpret_cast<HWND>(0x7FFE);

struct Seen {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Seen> seen;

LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  seen.push_back({hwnd, msg, wParam, lParam});
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

class WindowManager : public ::testing::Test {
 protected:
  test::FakeHost host;

  void SetUp() override {
    pk::wm::resetWindowSystem();
    pk::DeviceConfig cfg;
    cfg.root = std::filesystem::temp_directory_path() / ("fz-wm-" + std::to_string(getpid()));
    pk::setUpDevice(host, cfg, nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = recordingProc;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = u"Recorder";
    RegisterClassW(&wc);
    seen.clear();
  }
  void TearDown() override { pk::wm::resetWindowSystem(); }

  HWND make(int x, int y, int w, int h, HWND owner = nullptr) {
    return CreateWindowExW(0, u"Recorder", u"Rec", WS_VISIBLE, x, y, w, h, owner, nullptr, nullptr, nullptr);
  }
  // Dispatches until the queue and paints run dry; what came through the loop, in order.
  std::vector<UINT> pump() {
    std::vector<UINT> order;
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0)) {
      order.push_back(m.message);
      DispatchMessageW(&m);
    }
    return order;
  }
  int count(HWND hwnd, UINT msg, WPARAM w = WPARAM(-1)) {
    return int(std::count_if(seen.begin(), seen.end(), [&](const Seen& s) {
      return s.hwnd == hwnd && s.msg == msg && (w == WPARAM(-1) || LOWORD(s.wParam) == w);
    }));
  }
  // {message, wParam, lParam} of the listed messages the window was sent, in order.
  using Sent = std::vector<std::array<LPARAM, 3>>;
  Sent sentTo(HWND hwnd, std::initializer_list<UINT> msgs) {
    Sent out;
    for (const Seen& s : seen)
      if (s.hwnd == hwnd && std::find(msgs.begin(), msgs.end(), s.msg) != msgs.end()) out.push_back({LPARAM(s.msg), LPARAM(s.wParam), s.lParam});
    return out;
  }
  uint32_t pixel(int x, int y) { return pk::device().screen.row(y)[x]; }
  // Fills the window's whole DC with a stock brush; what ReleaseDC says.
  int fill(HWND h, int brush) {
    HDC dc = GetDC(h);
    FillRect(dc, &kAll, static_cast<HBRUSH>(GetStockObject(brush)));
    return ReleaseDC(h, dc);
  }
};

TEST_F(WindowManager, CreationSendsCreateBeforeReturningAndSendIsSynchronous) {
  HWND w = make(5, 26, 240, 268);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(sentTo(w, {WM_SIZE}), (Sent{{WM_SIZE, SIZE_RESTORED, MAKELPARAM(240, 268)}}));
  MSG length{w, WM_GETTEXTLENGTH, 0, 0, 0, {}};
  EXPECT_EQ(DispatchMessageW(&length), 3);  // what the procedure returns: "Rec"
  EXPECT_TRUE(!DefWindowProcW(nullptr, WM_ERASEBKGND, 0, 0) && !DispatchMessageW(nullptr) && !TranslateMessage(&length))
      << "not a window, not a key: nothing done";
  EXPECT_EQ(SendMessageW(w, BM_GETCHECK, 0, 0), 0) << "a message left to the system reads 0: not a check box, not checked";
  // Moved at its size: no WM_SIZE; resized: one. A window may be created flat.
  seen.clear();
  pk::wm::moveWindow(w, 10, 40, 240, 268);
  pk::wm::moveWindow(w, 12, 40, 240, 268);
  pk::wm::moveWindow(w, 10, 40, 0, 268);
  pk::wm::moveWindow(w, 10, 40, 0, 0);
  EXPECT_EQ(sentTo(w, {WM_SIZE}), (Sent{{WM_SIZE, SIZE_RESTORED, MAKELPARAM(0, 268)}, {WM_SIZE, SIZE_RESTORED, 0}}));
  RECT rc;
  EXPECT_TRUE(GetClientRect(w, &rc) && rc.right == 0 && rc.bottom == 0);
  GetClientRect(make(0, 26, 0, 0), &rc);
  EXPECT_TRUE(rc.right == 0 && rc.bottom == 0);
  // Left to the system, a window fills the screen right of x between the two bars; a child, nothing.
  GetClientRect(make(10, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT), &rc);
  EXPECT_TRUE(rc.right == 230 && rc.bottom == 320 - 26 - 26) << rc.right << "x" << rc.bottom;
  HWND child = CreateWindowExW(0, u"Recorder", u"", WS_CHILD, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, w, nullptr, nullptr, nullptr);
  RECT r = pk::wm::screenRect(child);
  EXPECT_TRUE(r.left == 10 && r.top == 40 && r.right == 10 && r.bottom == 40);
  static int told;  // a top-level window's new title shows in the shell; a child's does not
  told = 0;
  pk::wm::setShellHooks({[] { ++told; }});
  SendMessageW(child, WM_SETTEXT, 0, LPARAM(u"Inner"));
  EXPECT_EQ(told, 0);
  SendMessageW(w, WM_SETTEXT, 0, LPARAM(u"New"));
  EXPECT_EQ(told, 1);
  // A window whose WM_CREATE refuses is destroyed, and none is made.
  WNDCLASSW refusing{0, [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    return m == WM_CREATE ? -1 : recordingProc(h, m, wp, lp);
  }, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, u"Refusing"};
  WNDCLASSW noProc{0, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, u"NoProc"};
  EXPECT_TRUE(RegisterClassW(&refusing) && !RegisterClassW(&refusing) && !RegisterClassW(nullptr) && !RegisterClassW(&noProc));
  EXPECT_EQ(CreateWindowExW(0, MAKEINTRESOURCEW(1), u"", 0, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr), nullptr);
  seen.clear();
  EXPECT_EQ(CreateWindowExW(0, u"Refusing", u"", 0, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr), nullptr);
  const Seen gone = seen.at(0);  // gone whole: from the z-order, its parent's children and every call
  auto tops = pk::wm::topLevels();
  EXPECT_TRUE(gone.msg == WM_DESTROY && !gone.wParam && !gone.lParam && count(gone.hwnd, WM_DESTROY) == 1);
  EXPECT_TRUE(!IsWindow(gone.hwnd) && !GetClientRect(gone.hwnd, &rc) && !InvalidateRect(gone.hwnd, nullptr, FALSE) &&
              !DestroyWindow(gone.hwnd) && !DestroyWindow(nullptr));
  EXPECT_TRUE(std::find(tops.begin(), tops.end(), gone.hwnd) == tops.end() && DestroyWindow(child) &&
              pk::wm::children(w).empty());
  std::set<HWND> made;  // a long session's windows, a dialog after another, never run out of handles
  for (int i = 0; i < 1100; ++i) {
    HWND h = make(0, 26, 1, 1);
    made.insert(h), DestroyWindow(h);
  }
  EXPECT_TRUE(made.size() == 1100 && !made.count(nullptr));
  for (HWND h : pk::wm::topLevels()) ShowWindow(h, h == w ? SW_SHOW : SW_HIDE);
  told = 0;
  ShowWindow(w, SW_HIDE);
  EXPECT_TRUE(!GetActiveWindow() && told == 1) << "the last window hidden: none active, and the shell told so";
}

TEST_F(WindowManager, PaintComesOnlyWhenTheQueueIsEmptyAndOnce) {
  HWND w = make(0, 26, 100, 100);
  pump();
  RECT a{0, 0, 10, 10}, b{50, 50, 55, 60};
  EXPECT_TRUE(InvalidateRect(w, &a, FALSE));
  HDC screen = GetDC(nullptr);  // the whole screen, from its corner
  FillRect(screen, &a, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  EXPECT_TRUE(ReleaseDC(nullptr, screen) == 1 && !ReleaseDC(w, nullptr) && pixel(0, 0) == 0 && pixel(10, 10) == 0xFFFFFFu);
  EXPECT_TRUE(!BeginPaint(w, nullptr) && EndPaint(w, nullptr) && PostMessageW(w, WM_USER + 1, 0, 0));
  const MSG stale{kNotAWindow, WM_USER, 0, 0, 0, {}};  // its window gone before it was dispatched
  EXPECT_FALSE(PostMessageW(kNotAWindow, WM_USER, 0, 0) || DispatchMessageW(&stale));
  InvalidateRect(w, &b, FALSE);
  PostMessageW(w, WM_USER + 2, 0, 0);
  EXPECT_EQ(pump(), (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_PAINT}));
  // BeginPaint hands out what was invalidated, children's parts included, and validates it;
  // only a class with a brush erases, and only inside what is painted.
  WNDCLASSW bare{0, recordingProc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, u"Bare"};
  RegisterClassW(&bare);
  HWND child = CreateWindowExW(0, u"Bare", u"", WS_CHILD | WS_VISIBLE, 10, 20, 50, 50, w, nullptr, nullptr, nullptr);
  pump();
  EXPECT_EQ(fill(w, BLACK_BRUSH), 1);
  using Painted = std::array<LONG, 6>;  // the rectangle to paint, whether to erase, what EndPaint said
  auto paint = [](HWND h) {
    PAINTSTRUCT ps;
    BeginPaint(h, &ps);
    const BOOL ended = EndPaint(h, &ps);
    return Painted{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom, ps.fErase, ended};
  };
  InvalidateRect(w, &a, TRUE);
  InvalidateRect(w, &b, TRUE);
  EXPECT_EQ(paint(w), (Painted{0, 0, 55, 60, FALSE, TRUE}));
  EXPECT_EQ(paint(child), (Painted{40, 30, 45, 40, TRUE, TRUE}));
  InvalidateRect(w, nullptr, FALSE);
  EXPECT_EQ(paint(w), (Painted{0, 0, 100, 100, FALSE, TRUE}));
  EXPECT_EQ(paint(child), (Painted{0, 0, 50, 50, FALSE, TRUE}));
  EXPECT_EQ(pixel(9, 26 + 9), 0xFFFFFFu);
  EXPECT_EQ(pixel(70, 26 + 10), 0x000000u);
  for (RECT none : {RECT{10, 10, 10, 20}, RECT{10, 10, 20, 10}, RECT{200, 0, 300, 10}}) InvalidateRect(w, &none, TRUE);
  EXPECT_TRUE(pump().empty()) << "nothing, or nothing of the window, to paint";
  // A window that leaves its WM_PAINT unvalidated gets it once, not for ever.
  WNDCLASSW lazy{0, [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_DESTROY) seen.push_back({FindWindowW(u"Lazy", nullptr), WM_USER + 7, 0, 0});  // gone already for it
    return m == WM_PAINT ? 0 : recordingProc(h, m, wp, lp);
  }, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, u"Lazy"};
  RegisterClassW(&lazy);
  HWND lazyOne = CreateWindowExW(0, u"Lazy", u"", WS_VISIBLE, -10, -10, 20, 20, nullptr, nullptr, nullptr, nullptr);
  MSG m;
  EXPECT_TRUE(GetMessageW(&m, nullptr, 0, 0) && m.message == WM_PAINT);
  DispatchMessageW(&m);
  EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0));
  InvalidateRect(lazyOne, nullptr, FALSE);  // whole, though it starts off the screen
  EXPECT_EQ(paint(lazyOne), (Painted{0, 0, 20, 20, FALSE, TRUE}));
  EXPECT_TRUE(InvalidateRect(nullptr, nullptr, FALSE));  // every window, whole
  EXPECT_EQ(paint(w), (Painted{0, 0, 100, 100, FALSE, TRUE}));
  EXPECT_EQ(paint(child), (Painted{0, 0, 50, 50, FALSE, TRUE}));
  paint(lazyOne);
  HWND tip = CreateWindowExW(0, u"Bare", u"", 0, 0, 0, 4, 4, nullptr, nullptr, nullptr, nullptr);
  pk::wm::setNoActivate(tip);  // as a tool tip's: neither its coming nor its going raises a window
  ShowWindow(tip, SW_SHOW), ShowWindow(tip, SW_HIDE);
  EXPECT_EQ(paint(lazyOne), (Painted{10, 10, 14, 14, TRUE, TRUE})) << "what a hidden window uncovered, in the pixels of the one under it";
  DestroyWindow(lazyOne);
  EXPECT_TRUE(count(nullptr, WM_USER + 7) == 1 && !FindWindowW(MAKEINTRESOURCEW(7), nullptr));  // no class by number
}

TEST_F(WindowManager, WindowDcNeverDrawsOverAWindowAbove) {
  HWND below = make(0, 26, 100, 100);
  HWND above = make(50, 50, 30, 30);
  HWND kid[3];  // nor a child over a shown sibling above it, nor a parent over its children
  for (int i : {0, 1, 2})
    kid[i] = CreateWindowExW(0, u"Recorder", u"", WS_CHILD | (i < 2 ? WS_VISIBLE : 0), 10 * (i % 2), 10 * (i % 2),
                             20 + 10 * (i / 2), 20 + 10 * (i / 2), below, nullptr, nullptr, nullptr);
  pump();
  for (auto [h, brush] : {std::pair{kid[1], BLACK_BRUSH}, {kid[0], GRAY_BRUSH}, {above, GRAY_BRUSH}, {below, BLACK_BRUSH}}) fill(h, brush);
  for (auto [x, y] : {std::pair{40, 30}, {49, 79}, {80, 79}, {79, 80}, {15, 41}, {25, 28}}) EXPECT_EQ(pixel(x, y), 0u) << x << "," << y;
  for (auto [x, y] : {std::pair{2, 28}, {60, 60}, {79, 79}}) EXPECT_EQ(pixel(x, y), 0x808080u) << "covered";
  // Moved, a window is drawn whole at its new place, and what it uncovered is drawn again.
  pk::wm::moveWindow(above, 20, 90, 30, 30);
  pump();
  for (auto [x, y] : {std::pair{60, 60}, {20, 90}, {49, 119}}) EXPECT_EQ(pixel(x, y), 0xFFFFFFu) << x << "," << y;
  // Shown later, a window erases what lay under it.
  HWND late = CreateWindowExW(0, u"Recorder", u"", 0, 5, 90, 10, 10, nullptr, nullptr, nullptr, nullptr);
  for (POINT p : {POINT{6, 91}, {25, 31}, {25, 120}, {25, 56}, {30, 40}, {0, 100}})
    EXPECT_EQ(pk::wm::windowAt(p), below) << "a hidden window, or the row below or column right of one, takes no tap; its own left column does";
  EXPECT_TRUE(pk::wm::windowAt({25, 36}) == kid[1] && pk::wm::windowAt({100, 100}) != below) << "a child's top row is its own";
  EXPECT_TRUE(!ShowWindow(late, SW_SHOW) && !ShowWindow(kid[2], SW_HIDE) && !ShowWindow(nullptr, SW_SHOW)) << "hidden";
  EXPECT_TRUE(ShowWindow(late, SW_SHOW));
  pump();
  EXPECT_EQ(pixel(6, 91), 0xFFFFFFu);
  fill(below, BLACK_BRUSH);  // raised, a window is drawn again whole; already on top, not again
  seen.clear();
  host.events.push_back({pk::InputEvent::Kind::StylusMove, 10, 30});  // a hover, with no stylus down yet: nothing
  host.tap(10, 30);
  pump();
  EXPECT_EQ(pixel(0, 26), 0xFFFFFFu);
  EXPECT_EQ(sentTo(kid[0], {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP}),  // wParam 1: the button is held, until it is up
            (Sent{{WM_LBUTTONDOWN, 1, MAKELPARAM(10, 4)}, {WM_LBUTTONUP, 0, MAKELPARAM(10, 4)}}));
  EXPECT_EQ(count(below, WM_ACTIVATE, WA_CLICKACTIVE), 1) << "activated by the tap, and told so";
  auto first = [](HWND h, UINT m) { return std::find_if(seen.begin(), seen.end(), [&](const Seen& s) { return s.hwnd == h && s.msg == m; }); };
  EXPECT_LT(first(below, WM_ACTIVATE), first(kid[0], WM_LBUTTONDOWN)) << "as the stylus goes down, not as it lifts";
  EXPECT_TRUE(SetForegroundWindow(below) && !SetForegroundWindow(kNotAWindow));
  pump();
  EXPECT_EQ(count(below, WM_PAINT), 1);
  EXPECT_EQ(pk::wm::topLevels()[0], below) << "a tap raises its window";
  HWND veil = CreateWindowExW(0, u"Recorder", u"", 0, 0, 26, 5, 5, nullptr, nullptr, nullptr, nullptr);
  pk::wm::setNoActivate(veil);
  ShowWindow(veil, SW_SHOW), pk::wm::enableWindow(above, false), pk::wm::enableWindow(veil, false);
  SetForegroundWindow(veil), SetForegroundWindow(above), host.tap(10, 30), host.tap(2, 28), pump();
  EXPECT_TRUE(GetActiveWindow() == below && pk::wm::topLevels()[0] == veil && count(veil, WM_LBUTTONDOWN) == 0)
      << "neither may take the activation nor a disabled one a tap; a tap on the active window does not raise it";
  SetForegroundWindow(below), pk::wm::enableWindow(above, true);
  EXPECT_EQ(pk::wm::topLevels()[0], below) << "already active, it is still raised";
  DestroyWindow(veil);
  HWND owned = make(60, 60, 5, 5, below);  // raised with its owner, and above it
  SetForegroundWindow(above), SetForegroundWindow(below);
  EXPECT_TRUE(pk::wm::topLevels()[0] == owned && pk::wm::topLevels()[1] == below && count(above, WM_ACTIVATE, WA_INACTIVE) == 1);
  SetForegroundWindow(above), SetForegroundWindow(owned), DestroyWindow(owned);
  EXPECT_EQ(GetActiveWindow(), below) << "gone, it hands the activation to its owner, not to the topmost";
  // A window on its way out draws nothing, not even from its WM_DESTROY.
  WNDCLASSW dying{0, [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    HDC dc = m == WM_DESTROY && !DestroyWindow(h) ? GetDC(h) : nullptr;  // refused: already going
    if (dc) FillRect(dc, &kAll, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), ReleaseDC(h, dc);
    return DefWindowProcW(h, m, wp, lp);
  }, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, u"Dying"};
  RegisterClassW(&dying);
  HWND dies = CreateWindowExW(0, u"Dying", u"", WS_VISIBLE, 150, 200, 20, 20, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(SendMessageW(dies, WM_CLOSE, 0, 0), 0) << "closed by default: destroyed";
  EXPECT_TRUE(pixel(155, 205) == 0xFFFFFFu && GetActiveWindow() == below) << "the topmost took the activation";
  // A hidden owner does not take the activation back when the modal window it owns goes.
  EXPECT_TRUE(ShowWindow(below, SW_HIDE) && GetActiveWindow() != below) << "hidden, it passes the activation on";
  bool done = true;
  pk::wm::runModal(make(0, 26, 10, 10, below), below, done);
  EXPECT_NE(GetActiveWindow(), below);
  HWND doomed = make(0, 26, 10, 10);  // an owner gone while its modal window runs: nothing to enable
  bool over = false;
  host.script({[&] { DestroyWindow(doomed), over = true, PostMessageW(below, WM_USER, 0, 0); }});
  pk::wm::runModal(make(0, 26, 10, 10, doomed), doomed, over);
  EXPECT_FALSE(IsWindow(doomed));
  PostMessageW(nullptr, WM_QUIT, 7, 0);  // a quit ends a modal loop, and is passed on to the outer one
  pk::wm::runModal(make(0, 26, 10, 10, below), below, false);
  MSG quit;
  EXPECT_TRUE(!GetMessageW(&quit, nullptr, 0, 0) && quit.wParam == 7);
}

TEST_F(WindowManager, TimersFireOnTheHostClock) {
  HWND w = make(0, 26, 50, 50);
  pump();
  // Set again, a timer is replaced. Longer than one wait can be: the host wakes to wait again,
  // until exactly when it is due.
  pk::wm::setTimer(w, 3, 10), pk::wm::setTimer(w, 3, 0xFFFFFFFFu);
  MSG m;
  ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
  EXPECT_TRUE(m.message == WM_TIMER && m.wParam == 3 && m.lParam == 0);  // no callback
  EXPECT_TRUE(host.clock == 0xFFFFFFFFu && m.time == 0xFFFFFFFFu);
  pk::wm::setTimer(w, 4, 0);  // due at once, then at every tick of the clock
  GetMessageW(&m, nullptr, 0, 0), GetMessageW(&m, nullptr, 0, 0);
  EXPECT_TRUE(m.wParam == 4 && host.clock == 1 + uint64_t(0xFFFFFFFFu));
  pk::wm::killTimer(w, 4);
  pk::wm::killTimer(w, 3);
  EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0)) << "a killed timer fired";
  HWND other = make(0, 26, 9, 9);  // another window's timers and messages outlive w; w's go with it
  pk::wm::setTimer(other, 3, 10), pk::wm::setTimer(w, 6, 10), pk::wm::killTimer(w, 3);
  PostMessageW(w, WM_USER, 0, 0), PostMessageW(other, WM_USER, 0, 0);
  DestroyWindow(w);
  std::vector<std::pair<HWND, UINT>> got;
  for (int i = 0; i < 3 && GetMessageW(&m, nullptr, 0, 0); ++i) got.push_back({m.hwnd, m.message}), DispatchMessageW(&m);
  EXPECT_EQ(got, (std::vector<std::pair<HWND, UINT>>{{other, WM_USER}, {other, WM_PAINT}, {other, WM_TIMER}}));
  pk::wm::killTimer(other, 3);
  pk::device().host = nullptr;  // nothing can ever arrive: the loop ends
  EXPECT_TRUE(!GetMessageW(&m, nullptr, 0, 0) && m.message == WM_QUIT && m.time == 0);
}

// A device of more dots per inch shows each pixel as a square of host pixels, those past the
// last whole square black, and takes a touch to the pixel under it; one of few colour bits
// shows grey levels.
TEST(DeviceScreen, ScaledAndGreyPictures) {
  struct Shown : test::FakeHost {
    pk::Surface picture;
    int shows = 0;
    void present(pk::ScreenView s) override {
      ++shows, picture = pk::Surface(s.width, s.height), picture.pixels.assign(s.pixels, s.pixels + picture.pixels.size());
    }
  } host;
  struct Case { int dpi, bits, width, height; uint32_t pale, dark; } cases[] = {
      {192, 16, 481, 641, 0x909090, 0x123456},  // 240 x 320 pixels of 2 x 2
      {96, 1, 240, 320, 0xFFFFFF, 0x000000},
      {96, 2, 240, 320, 0xAAAAAA, 0x555555},
      {96, 8, 240, 320, 0x909090, 0x123456},  // eight bits and more: colours
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dpi + c.bits);
    pk::DeviceConfig config;
    config.dpi = c.dpi, config.bits = c.bits, config.width = c.width, config.height = c.height;
    pk::setUpDevice(host, config, nullptr);
    pk::Surface& screen = pk::device().screen;
    ASSERT_EQ(screen.width, 240);
    std::fill(screen.pixels.begin(), screen.pixels.end(), 0x909090);
    screen.row(1)[1] = 0x123456;
    host.shows = 0;
    Sleep(0), Sleep(0);  // a pause shows the step, once: nothing changed since
    const int s = c.dpi / 96;
    ASSERT_TRUE(host.shows == 1 && host.picture.width == c.width && host.picture.height == c.height);
    auto at = [&](int x, int y) { return host.picture.row(y)[x]; };
    EXPECT_EQ(std::tuple(at(s, s), at(2 * s - 1, 2 * s - 1), at(2 * s, s)), std::tuple(c.dark, c.dark, c.pale));  // its square, and past it
    for (auto [x, y] : {std::pair{0, c.height - 1}, {c.width - 1, c.height - 1}, {c.width - 1, 0}})
      EXPECT_EQ(at(x, y), s == 2 ? 0u : c.pale);
    POINT p = pk::toHost(POINT{1, 1}), back = pk::fromHost(p.x, p.y), off = pk::fromHost(-1, 2 * s);
    EXPECT_TRUE(p.x == s + s / 2 && p.y == p.x && back.x == 1 && back.y == 1 && off.x == -1 && off.y == 2);
  }
  pk::setUpDevice(host, pk::DeviceConfig{}, nullptr);
  pk::device().host = nullptr;
}

// A second start of the program finds the first by its announcement, in a folder only this
// user reaches, and raises it; a withdrawn one is found no more.
TEST(Announce, FoundRaisedAndWithdrawn) {
  namespace fs = std::filesystem;
  const fs::path run = test::freshRoot();  // made for this user alone
  const std::string was = std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
  setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
  std::promise<void> raised;
  // One left by a process that was killed is found no more, and its place is taken.
  if (pid_t child = fork(); child == 0) {
    pk::hostos::announce("fztest", "key", nullptr);
    kill(getpid(), SIGKILL);
  } else {
    waitpid(child, nullptr, 0);
  }
  EXPECT_FALSE(pk::hostos::findAnnounced("fztest", "key"));
  const int input = dup(0);
  close(0);  // started without standard input: the socket may be descriptor 0
  pk::hostos::announce("fztest", "key", [&] { raised.set_value(); });
  EXPECT_FALSE(pk::hostos::findAnnounced("fztest", "other"));
  EXPECT_TRUE(pk::hostos::findAnnounced("fztest", "key") && pk::hostos::raiseAnnounced());
  EXPECT_EQ(raised.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
  EXPECT_FALSE(fs::is_empty(run));
  for (auto& e : fs::directory_iterator(run))
    EXPECT_EQ(e.status().permissions(), fs::perms::owner_read | fs::perms::owner_write);
  pk::hostos::announce("fztest", "moved", nullptr);  // announced again: under the new key alone
  EXPECT_TRUE(!pk::hostos::findAnnounced("fztest", "key") && pk::hostos::findAnnounced("fztest", "moved"));
  // Standard input closed only once it listens: a raise's connection may be descriptor 0.
  pk::hostos::withdraw();
  dup2(input, 0);
  std::promise<void> again;
  pk::hostos::announce("fztest", "moved", [&] { again.set_value(); });
  close(0);
  const auto before = test::openDescriptors();
  if (pid_t child = fork(); child == 0) _exit(pk::hostos::raiseAnnounced() ? 0 : 1);
  else waitpid(child, nullptr, 0);
  EXPECT_EQ(again.get_future().wait_for(std::chrono::seconds(20)), std::future_status::ready);
  EXPECT_EQ(test::openDescriptors(), before);  // and closed before the raise
  pk::hostos::withdraw();
  EXPECT_EQ(test::openDescriptors(), before - 1) << "the listener stays open";
  dup2(input, 0), close(input);
  const auto unannounced = test::openDescriptors();
  EXPECT_FALSE(pk::hostos::findAnnounced("fztest", "moved") || pk::hostos::raiseAnnounced());
  EXPECT_EQ(test::openDescriptors(), unannounced) << "a knock that finds no one keeps no descriptor";
  // A runtime folder others may enter is passed over, for one of this user's own, closed to others.
  fs::permissions(run, fs::perms::others_exec, fs::perm_options::add);
  const fs::path own = "/tmp/fztest-" + std::to_string(getuid());
  fs::remove_all(own);
  fs::create_directory_symlink(run, own);  // planted in its place: not followed
  pk::hostos::announce("fztest", "key", nullptr);
  EXPECT_FALSE(pk::hostos::findAnnounced("fztest", "key"));
  fs::remove(own);
  pk::hostos::announce("fztest", "key", nullptr);
  EXPECT_TRUE(pk::hostos::findAnnounced("fztest", "key") && fs::is_empty(run));
  pk::hostos::withdraw();
  fs::permissions(own, fs::perms::all);  // opened to others since: closed again
  pk::hostos::announce("fztest", "key", nullptr);
  EXPECT_EQ(fs::status(own).permissions(), fs::perms::owner_all);
  pk::hostos::withdraw();
  was.empty() ? unsetenv("XDG_RUNTIME_DIR") : setenv("XDG_RUNTIME_DIR", was.c_str(), 1);
  fs::remove_all(run);
}

}  // namespace
