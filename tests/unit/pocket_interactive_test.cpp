// What every interactive host shares: its input queue, the clock's minute, the screen
// scaled into the window in bands with the stylus cursor over it.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>

#include <pocket/command_line.h>
#include <pocket/interactive.h>

#include "pocket_fixture.h"

namespace {

using Kind = pk::InputEvent::Kind;
using E = std::vector<std::tuple<Kind, int, int>>;
constexpr int W = 240, H = 320;

// A window whose platform is a script: each wait runs the next arrival, or lets the time
// asked for pass. Its picture is put together from the bands it is sent.
class ScriptedWindow : public pk::InteractiveHost {
 public:
  ScriptedWindow(int ww, int wh, int sw = W, int sh = H) : InteractiveHost(sw, sh, ww, wh), picture(size_t(ww) * wh) {}
  uint64_t now = 0;
  std::deque<std::function<void()>> arrivals;
  std::vector<int> waits;
  std::vector<uint32_t> picture;
  int frames = 0;

  uint64_t milliseconds() override { return now; }
  int clockMinutes() override { return 9 * 60 + int(now / 60000); }
  uint32_t random() override { return 4; }
  void playSound(std::vector<int16_t>, int) override {}
  void stopSound() override {}
  bool openDocument(const std::filesystem::path&) override { return false; }
  using InteractiveHost::keyPressed, InteractiveHost::redraw, InteractiveHost::stylusDown,
      InteractiveHost::stylusMove, InteractiveHost::stylusUp, InteractiveHost::windowResized;

  E drain() {
    E out;
    for (pk::InputEvent e; nextEvent(e, 0);) out.emplace_back(e.kind, e.x, e.y);
    return out;
  }

 private:
  bool waitForEvents(int timeoutMs) override {
    waits.push_back(timeoutMs);
    if (arrivals.empty()) return now += uint64_t(timeoutMs), false;
    auto a = std::move(arrivals.front());
    arrivals.pop_front();
    return a(), true;
  }
  void showBand(uint32_t* pixels, int width, int top, int rows) override {
    std::copy(pixels, pixels + size_t(width) * rows, picture.begin() + ptrdiff_t(top) * width);
  }
  void bandsShown() override { ++frames; }
  int msToNextMinute() override { return int(60000 - now % 60000); }
};

// A device screen where every pixel differs from its neighbours.
std::vector<uint32_t> pattern() {
  std::vector<uint32_t> s(size_t(W) * H);
  for (size_t i = 0; i < s.size(); ++i) s[i] = uint32_t((i / W) << 12 | (i % W));
  return s;
}

TEST(InteractiveHost, InputComesOutInOrderInScreenPixels) {
  // 800 x 700 shows the screen at 2x, centred: from (160, 30) to (640, 670).
  ScriptedWindow w(800, 700);
  // On the bars around the screen, even half a screen pixel off it: nothing, nor its release.
  for (auto [x, y] : {std::pair{10, 300}, {159, 31}, {161, 29}, {640, 100}, {200, 670}})
    w.stylusDown(x, y), w.stylusUp(x, y);
  w.stylusDown(161, 31);
  w.stylusDown(300, 300);  // a second press while one is held
  w.stylusMove(160, 30);   // the same screen pixel: no move
  w.stylusMove(900, -5);   // off the window: kept at the screen's edges
  w.stylusMove(900, 900), w.stylusMove(901, 901);
  w.stylusUp(900, -5);
  w.keyPressed(pk::Key::Escape);
  w.keyPressed(pk::Key::Down);  // no board painted: the program's arrow
  w.queueSelfTest(pk::SelfTest{std::nullopt, {{161, 33}, {10, 10}}, true});  // window points too
  EXPECT_EQ(w.drain(), (E{{Kind::StylusDown, 0, 0}, {Kind::StylusMove, W - 1, 0}, {Kind::StylusMove, W - 1, H - 1},
                          {Kind::StylusUp, W - 1, 0}, {Kind::KeyEscape, 0, 0}, {Kind::KeyDown, 0, 0},
                          {Kind::StylusDown, 0, 1}, {Kind::StylusUp, 0, 1}, {Kind::CloseWindow, 0, 0}}));
  w.windowResized(W / 2, H / 2);  // below 1x: a fraction
  w.stylusDown(W / 2 - 1, H / 2 - 1);
  w.windowResized(1, 1), w.stylusMove(0, 0), w.stylusUp(0, 0);  // no room for the screen: let go where it was
  w.windowResized(1, H), w.stylusDown(0, 159), w.stylusUp(0, 159);  // one side changed is a new size too
  w.windowResized(W, H), w.stylusDown(5, 6);
  EXPECT_EQ(w.drain(), (E{{Kind::StylusDown, W - 2, H - 2}, {Kind::StylusUp, W - 2, H - 2}, {Kind::StylusDown, 0, 0},
                          {Kind::StylusUp, 0, 0}, {Kind::StylusDown, 5, 6}}));
  ScriptedWindow wide(H, W, H, W);  // a screen wider than tall, in a window that loses its height
  wide.stylusDown(5, 5), wide.windowResized(1, 1), wide.stylusMove(0, 0);
  EXPECT_EQ(wide.drain(), (E{{Kind::StylusDown, 5, 5}}));
}

TEST(InteractiveHost, TheClockTicksOnceAMinuteAndWaitsEndOnTime) {
  ScriptedWindow w(W, H);
  w.now = 59000;
  pk::InputEvent e;
  w.arrivals.push_back([&] { w.now += 400; });  // window business past the wait's end: one last look
  EXPECT_FALSE(w.nextEvent(e, 300));
  EXPECT_TRUE(w.nextEvent(e, -1) && e.kind == Kind::ClockChanged);  // waiting for ever wakes at the minute, once
  EXPECT_EQ(w.waits, (std::vector<int>{300, 0, 600}));
  // Input that came first is handed out first; the tick waits its turn.
  w.arrivals.push_back([&] { w.now += 60000, w.keyPressed(pk::Key::Enter); });
  EXPECT_TRUE(w.nextEvent(e, -1) && e.kind == Kind::KeyEnter);
  EXPECT_EQ(w.drain(), (E{{Kind::ClockChanged, 0, 0}}));
  // A pause keeps what comes for later and lasts its whole time.
  w.waits.clear();
  uint64_t start = w.now;
  w.arrivals.push_back([&] { w.now += 100, w.stylusDown(3, 4); });
  w.pause(250);
  w.pause(1u << 31);  // longer than one wait of the platform may be
  EXPECT_EQ(w.now, start + 250 + (1u << 31));
  EXPECT_EQ(w.waits, (std::vector<int>{250, 150, 1 << 30, 1 << 30}));
  EXPECT_EQ(w.drain(), (E{{Kind::StylusDown, 3, 4}, {Kind::ClockChanged, 0, 0}}));
}

// Bands put together make the picture the window computes pixel by pixel, at every zoom.
TEST(PresentScaled, BandsMakeTheWholeWindow) {
  const std::vector<uint32_t> screen = pattern();
  struct Case { int ww, wh; RECT fit; } cases[] = {
      {W, H, {0, 0, W, H}},                      // the browser's canvas: the screen itself
      {800, 700, {160, 30, 640, 670}},           // 2x, centred, with bars
      {W + 1, 2 * H + 5, {0, 162, W, H + 162}},  // the width allows only 1x
      {120, 100, {22, 0, 97, 100}},              // smaller than the screen: a fraction
      {W, 0, {0, 0, 0, 0}},                      // no room at all: nothing
      {0, H, {0, 0, 0, 0}},
      {W, 1, {120, 0, 120, 1}},                  // a row of bars alone
      {1, H, {0, 159, 1, 160}},                  // one pixel of the screen
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.ww) + "x" + std::to_string(c.wh));
    RECT r = pk::fittedScreen(W, H, c.ww, c.wh);
    EXPECT_TRUE(r.left == c.fit.left && r.top == c.fit.top && r.right == c.fit.right && r.bottom == c.fit.bottom);
    std::vector<uint32_t> whole(size_t(c.ww) * c.wh), banded(whole.size(), 0xDEAD), band;
    for (int y = r.top; y < r.bottom; ++y)  // the bars stay black
      for (int x = r.left, sy = int((y - r.top) * H / (r.bottom - r.top)); x < r.right; ++x)
        whole[size_t(y) * c.ww + x] = screen[size_t(sy) * W + size_t((x - r.left) * W / (r.right - r.left))];
    int nextTop = 0;
    pk::presentScaled(pk::ScreenView{screen.data(), W, H}, c.ww, c.wh, std::nullopt, band,
                      [&](uint32_t* px, int width, int top, int rows) {
                        EXPECT_EQ(top, nextTop);
                        EXPECT_TRUE(rows > 0 && rows == std::min(pk::kBandRows, c.wh - top));
                        std::copy(px, px + size_t(width) * rows, banded.begin() + ptrdiff_t(top) * width);
                        nextTop = top + rows;
                      });
    EXPECT_EQ(nextTop, c.ww > 0 ? c.wh : 0);
    EXPECT_TRUE(banded == whole);
  }
  EXPECT_EQ(pk::fittedScreen(1, 1, 3, 2).bottom, 2);
  EXPECT_EQ(pk::fittedScreen(0, 1, 3, 2).bottom, 0);  // a screen of no width fits nowhere
  int shown = 0;
  std::vector<uint32_t> band;
  for (auto [w, h] : {std::pair{1, 1}, {0, H}, {W, 0}})
    pk::presentScaled(pk::ScreenView{screen.data(), w, h}, 3, 2, std::nullopt, band,
                      [&](uint32_t* px, int, int, int) { shown += px[4] == screen[0]; });
  EXPECT_EQ(shown, 1) << "a screen of one pixel fills the window; one of none shows nothing";
}

TEST(PresentScaled, TheCursorIsDrawnOverTheScreenNeverIntoIt) {
  std::vector<uint32_t> screen = pattern(), band, picture(size_t(3 * W) * 3 * H);
  // A cell 20 screen pixels wide at (20, 20): at 3x an outline from (60, 60) to (120, 120), across bands.
  auto show = [&](uint32_t* px, int width, int top, int rows) {
    std::copy(px, px + size_t(width) * rows, picture.begin() + ptrdiff_t(top) * width);
  };
  pk::presentScaled(pk::ScreenView{screen.data(), W, H}, 3 * W, 3 * H, RECT{20, 20, 40, 40}, band, show);
  auto at = [&](int x, int y) { return picture[size_t(y) * 3 * W + x]; };
  for (int i = 60; i < 120; ++i)
    for (int edge : {60, 61, 118, 119})  // two pixels thick: one less than a screen pixel
      EXPECT_TRUE(at(i, edge) == 0xFF7F00u && at(edge, i) == 0xFF7F00u) << i << "," << edge;
  EXPECT_TRUE(at(62, 62) == screen[size_t(20) * W + 20] && at(59, 117) == screen[size_t(39) * W + 19]);
  // At 2x the outline is one pixel thick.
  pk::presentScaled(pk::ScreenView{screen.data(), W, H}, 2 * W, 2 * H, RECT{20, 20, 40, 40}, band, show);
  auto at2 = [&](int x, int y) { return picture[size_t(y) * 2 * W + x]; };
  EXPECT_TRUE(at2(50, 40) == 0xFF7F00u && at2(50, 41) == screen[size_t(20) * W + 25]);
  // A host that is asked for its window again shows what was presented, not what is drawn since.
  ScriptedWindow w(3 * W, 3 * H);
  w.present(pk::ScreenView{screen.data(), W, H});
  std::vector<uint32_t> shown = w.picture;
  std::fill(screen.begin(), screen.end(), 0x123456);
  w.present(pk::ScreenView{screen.data(), W, H - 1});  // not this host's screen: ignored
  w.windowResized(3 * W, 3 * H);  // the same size: nothing to draw
  w.redraw();
  EXPECT_TRUE(w.picture == shown && shown[3 * 3 * W + 3] == pattern()[W + 1] && shown.back() == pattern().back());
  w.windowResized(W, H);  // drawn again at its new size
  EXPECT_TRUE(w.frames == 3 && std::equal(w.picture.begin(), w.picture.begin() + W * H, pattern().begin()));
}

// The keyboard's cursor goes on the cells the program painted.
using KeyboardCursor = test::Shell;
TEST_F(KeyboardCursor, IsDrawnOverThePresentedScreenUntilTheStylusTakesOver) {
  PAINTSTRUCT ps;  // two by two cells of 20 pixels at (40, 60) of the main window
  HDC dc = BeginPaint(main, &ps), cell = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(cell, CreateCompatibleBitmap(dc, 20, 20));
  for (int i = 0; i < 4; ++i) BitBlt(dc, 40 + i % 2 * 20, 60 + i / 2 * 20, 20, 20, cell, 0, 0, SRCCOPY);
  EndPaint(main, &ps), DeleteObject(SelectObject(cell, old)), DeleteDC(cell);
  const POINT c{pk::wm::screenRect(main).left + 40, pk::wm::screenRect(main).top + 60};
  std::vector<uint32_t> screen = pattern();
  ScriptedWindow w(W, H);
  w.present(pk::ScreenView{screen.data(), W, H});
  w.keyPressed(pk::Key::Down);  // the first arrow shows the cursor on the first cell
  auto at = [&](int dx, int dy) { return w.picture[size_t(c.y + dy) * W + size_t(c.x + dx)]; };
  EXPECT_TRUE(at(0, 0) == 0xFF7F00u && at(19, 19) == 0xFF7F00u && at(1, 1) == screen[size_t(c.y + 1) * W + c.x + 1]);
  w.stylusDown(0, 0);
  EXPECT_TRUE(w.picture == screen && w.frames == 3 && w.drain().size() == 1);
}

// What a host makes of its arguments: the exit code, what it says, and what the self-test options hold.
TEST(CommandLine, OptionsValuesAndMistakes) {
  struct Case { std::vector<const char*> args; std::optional<int> exit; const char* says; } cases[] = {
      {{"--self-test-window", "300", "-100000", "--self-test-close", "--self-test-timing"}, std::nullopt, ""},
      {{"--self-test-click", "1", "2", "--self-test-click", "100000", "4"}, std::nullopt, ""},
      {{"--version", "--bogus"}, 0, "fz 1.2\n"},
      {{"-h"}, 0, "usage\n"},
      {{"--self-test-window", "300"}, 2,
       "fz: missing value after --self-test-window\nTry 'fz --help' for more information.\n"},
      {{"--self-test-click", "5", "7x"}, 2, "fz: wrong value after --self-test-click\n"},
      {{"--self-test-click", "", "7"}, 2, "fz: wrong value after --self-test-click\n"},
      {{"--self-test-window", "100001", "7"}, 2, "fz: wrong value after --self-test-window\n"},
      {{"--self-test-close", "--self-test", "1"}, 2, "fz: unknown option --self-test\n"},
  };
  for (const Case& c : cases) {
    pk::SelfTest test;
    pk::ProgramCommandLine line{"fz", "1.2", pk::selfTestOptions(test), [](std::FILE* f) { std::fputs("usage\n", f); }};
    std::vector<char*> argv{const_cast<char*>("/usr/bin/fz")};
    for (const char* a : c.args) argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    std::optional<int> exit = pk::readCommandLine(int(argv.size() - 1), argv.data(), line);
    std::string said = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    SCOPED_TRACE(said);
    EXPECT_EQ(exit, c.exit);
    EXPECT_EQ(said.substr(0, std::strlen(c.says)), c.says);
    if (c.exit) continue;
    EXPECT_EQ(test.windowSize && test.windowSize->x == 300 && test.windowSize->y == -100000 && test.close &&
                  test.timing, c.args.size() == 5);
    EXPECT_EQ(test.clicks.size() == 2 && test.clicks[1].x == 100000 && test.clicks[1].y == 4, c.args.size() == 6);
  }
  const pk::ModuleImage module{"fizzorbs", nullptr, 0};
  EXPECT_EQ(pk::invokedName("/usr/games/fz", module), "fz");
  EXPECT_EQ(pk::invokedName("C:\\Games\\fz.exe", module), "fz.exe");
  EXPECT_EQ(pk::invokedName("", module), "fizzorbs");
  EXPECT_EQ(pk::invokedName(nullptr, module), "fizzorbs");
}

}  // namespace
