// What every interactive host shares: its input queue, the clock's minute, the screen
// scaled into the window in bands with the stylus cursor over it, and the command line.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include <pocket/command_line.h>
#include <pocket/interactive.h>

namespace {

using Kind = pk::InputEvent::Kind;
constexpr int W = 240, H = 320;

// A window whose platform is a script: each wait runs the next arrival, or lets the time
// asked for pass. The window's picture is put together from the bands it is sent.
class ScriptedWindow : public pk::InteractiveHost {
 public:
  ScriptedWindow(int ww, int wh) : InteractiveHost(W, H, ww, wh), picture(size_t(ww) * wh, 0xDEAD) {}

  uint64_t now = 0;
  std::deque<std::function<void()>> arrivals;
  std::vector<int> waits;
  std::vector<uint32_t> picture;
  std::vector<std::pair<int, int>> bands;  // top, rows
  int pictures = 0;

  uint64_t milliseconds() override { return now; }
  int clockMinutes() override { return 9 * 60 + int(now / 60000); }
  uint32_t random() override { return 4; }
  void playSound(std::vector<int16_t>, int) override {}
  void stopSound() override {}
  bool openDocument(const std::filesystem::path&) override { return false; }

  using InteractiveHost::keyPressed;
  using InteractiveHost::redraw;
  using InteractiveHost::stylusDown;
  using InteractiveHost::stylusMove;
  using InteractiveHost::stylusUp;
  using InteractiveHost::windowResized;

  std::vector<pk::InputEvent> drain() {
    std::vector<pk::InputEvent> out;
    pk::InputEvent e;
    while (nextEvent(e, 0)) out.push_back(e);
    return out;
  }

 private:
  bool waitForEvents(int timeoutMs) override {
    waits.push_back(timeoutMs);
    if (!arrivals.empty()) {
      auto a = std::move(arrivals.front());
      arrivals.pop_front();
      a();
      return true;
    }
    now += uint64_t(timeoutMs);
    return false;
  }
  void showBand(uint32_t* pixels, int width, int top, int rows) override {
    bands.push_back({top, rows});
    std::copy(pixels, pixels + size_t(width) * rows, picture.begin() + ptrdiff_t(top) * width);
  }
  void bandsShown() override { ++pictures; }
  int msToNextMinute() override { return int(60000 - now % 60000); }
};

// A device screen where every pixel differs from its neighbours.
std::vector<uint32_t> pattern() {
  std::vector<uint32_t> s(size_t(W) * H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) s[size_t(y) * W + x] = uint32_t(y << 12 | x);
  return s;
}

bool same(const pk::InputEvent& e, Kind k, int x, int y) { return e.kind == k && e.x == x && e.y == y; }

TEST(InteractiveHost, InputComesOutInOrderInScreenPixels) {
  // 800 x 700 shows the screen at 2x, centred: from (160, 30) to (640, 670).
  ScriptedWindow w(800, 700);
  w.stylusDown(10, 300);  // on the bar beside the screen: nothing, nor its release
  w.stylusUp(10, 300);
  w.stylusDown(161, 31);
  w.stylusDown(300, 300);  // a second press while one is held
  w.stylusMove(160, 30);   // the same screen pixel: no move
  w.stylusMove(900, -5);   // off the window: kept at the screen's edge
  w.stylusUp(900, -5);
  w.keyPressed(pk::Key::Escape);
  w.keyPressed(pk::Key::Down);  // no board painted: the program's arrow
  auto got = w.drain();
  ASSERT_EQ(got.size(), 5u);
  EXPECT_TRUE(same(got[0], Kind::StylusDown, 0, 0));
  EXPECT_TRUE(same(got[1], Kind::StylusMove, W - 1, 0));
  EXPECT_TRUE(same(got[2], Kind::StylusUp, W - 1, 0));
  EXPECT_EQ(got[3].kind, Kind::KeyEscape);
  EXPECT_EQ(got[4].kind, Kind::KeyDown);
  // Resized to 1x and below: whole pixels, then a fraction.
  w.windowResized(W, H);
  w.stylusDown(W - 1, H - 1);
  w.windowResized(W / 2, H / 2);
  w.stylusUp(W / 2 - 1, H / 2 - 1);
  got = w.drain();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_TRUE(same(got[0], Kind::StylusDown, W - 1, H - 1));
  EXPECT_TRUE(same(got[1], Kind::StylusUp, W - 2, H - 2));
}

TEST(InteractiveHost, TheClockTicksOnceAMinuteAndWaitsEndOnTime) {
  ScriptedWindow w(W, H);
  w.now = 59000;
  pk::InputEvent e;
  // Nothing for 300 ms: one wait, no tick.
  EXPECT_FALSE(w.nextEvent(e, 300));
  EXPECT_EQ(w.waits, std::vector<int>{300});
  // Waiting for ever wakes at the minute, once.
  w.waits.clear();
  ASSERT_TRUE(w.nextEvent(e, -1));
  EXPECT_EQ(e.kind, Kind::ClockChanged);
  EXPECT_EQ(w.waits, std::vector<int>{700});
  // Input that comes first is handed out first; the tick waits its turn.
  w.arrivals.push_back([&] {
    w.now += 60000;
    w.keyPressed(pk::Key::Enter);
  });
  ASSERT_TRUE(w.nextEvent(e, -1));
  EXPECT_EQ(e.kind, Kind::KeyEnter);
  ASSERT_TRUE(w.nextEvent(e, 0));
  EXPECT_EQ(e.kind, Kind::ClockChanged);
  EXPECT_FALSE(w.nextEvent(e, 0));
  // A pause keeps what comes for later and lasts its whole time.
  w.waits.clear();
  uint64_t start = w.now;
  w.arrivals.push_back([&] {
    w.now += 100;
    w.stylusDown(3, 4);
  });
  w.pause(250);
  EXPECT_EQ(w.now, start + 250);
  EXPECT_EQ(w.waits, (std::vector<int>{250, 150}));
  ASSERT_TRUE(w.nextEvent(e, 0));
  EXPECT_TRUE(same(e, Kind::StylusDown, 3, 4));
}

TEST(InteractiveHost, TheWindowShowsTheScreenScaledFromItsOwnCopy) {
  std::vector<uint32_t> screen = pattern();
  ScriptedWindow w(800, 700);
  w.present(pk::ScreenView{screen.data(), W, H});
  ASSERT_EQ(w.pictures, 1);
  std::fill(screen.begin(), screen.end(), 0x123456);  // the program draws on
  std::vector<uint32_t> shown = w.picture;
  std::fill(w.picture.begin(), w.picture.end(), 0);
  w.redraw();  // an expose: what was presented, not what is drawn now
  EXPECT_EQ(w.picture, shown);
  EXPECT_EQ(shown[size_t(30) * 800 + 160], pattern()[0]);
  EXPECT_EQ(shown[size_t(669) * 800 + 639], pattern().back());
  EXPECT_EQ(shown[size_t(29) * 800 + 160], 0u);  // the bars are black
  EXPECT_EQ(shown[size_t(30) * 800 + 640], 0u);
  // Of the wrong size: not shown.
  w.present(pk::ScreenView{screen.data(), W / 2, H});
  EXPECT_EQ(w.pictures, 2);
}

// Bands put together make the picture a whole window computes pixel by pixel, at every zoom.
TEST(PresentScaled, BandsMakeTheWholeWindow) {
  const std::vector<uint32_t> screen = pattern();
  const pk::ScreenView view{screen.data(), W, H};
  struct Case { int ww, wh; RECT fit; } cases[] = {
      {W, H, {0, 0, W, H}},                  // the browser's canvas: the screen itself
      {3 * W, 3 * H, {0, 0, 3 * W, 3 * H}},  // the window at 3x
      {800, 700, {160, 30, 640, 670}},       // 2x, centred, with bars
      {W + 1, 2 * H + 5, {0, 162, W, H + 162}},  // the width allows only 1x
      {120, 100, {22, 0, 97, 100}},          // smaller than the screen: a fraction
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.ww) + "x" + std::to_string(c.wh));
    RECT r = pk::fittedScreen(W, H, c.ww, c.wh);
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}),
              std::vector<LONG>({c.fit.left, c.fit.top, c.fit.right, c.fit.bottom}));
    std::vector<uint32_t> whole(size_t(c.ww) * c.wh);
    for (int y = 0; y < c.wh; ++y)
      for (int x = 0; x < c.ww; ++x) {
        bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
        int sx = int((x - r.left) * W / (r.right - r.left)), sy = int((y - r.top) * H / (r.bottom - r.top));
        whole[size_t(y) * c.ww + x] = in ? screen[size_t(sy) * W + sx] : 0;
      }
    std::vector<uint32_t> banded(whole.size(), 0xDEAD);
    std::vector<uint32_t> band;
    int nextTop = 0;
    pk::presentScaled(view, c.ww, c.wh, std::nullopt, band, [&](uint32_t* px, int width, int top, int rows) {
      EXPECT_EQ(width, c.ww);
      EXPECT_EQ(top, nextTop);
      EXPECT_EQ(rows, std::min(pk::kBandRows, c.wh - top));
      std::copy(px, px + size_t(width) * rows, banded.begin() + ptrdiff_t(top) * width);
      nextTop = top + rows;
    });
    EXPECT_EQ(nextTop, c.wh);
    EXPECT_TRUE(banded == whole);
  }
}

TEST(PresentScaled, TheCursorIsDrawnOverTheScreenNeverIntoIt) {
  const std::vector<uint32_t> screen = pattern();
  std::vector<uint32_t> band, picture(size_t(3 * W) * 3 * H);
  // Cells 20 screen pixels wide from (20, 20): at 3x an outline from (60, 60) to (120, 120), crossing bands.
  pk::presentScaled(pk::ScreenView{screen.data(), W, H}, 3 * W, 3 * H, RECT{20, 20, 40, 40}, band,
                    [&](uint32_t* px, int width, int top, int rows) {
                      std::copy(px, px + size_t(width) * rows, picture.begin() + ptrdiff_t(top) * width);
                    });
  EXPECT_EQ(screen, pattern());
  auto at = [&](int x, int y) { return picture[size_t(y) * 3 * W + x]; };
  constexpr uint32_t kOrange = 0xFF7F00;
  for (int i = 60; i < 120; ++i) {
    // Two pixels thick, one less than a screen pixel, all the way round.
    for (int edge : {60, 61, 118, 119}) {
      EXPECT_EQ(at(i, edge), kOrange) << i << "," << edge;
      EXPECT_EQ(at(edge, i), kOrange) << edge << "," << i;
    }
  }
  EXPECT_EQ(at(62, 62), screen[size_t(20) * W + 20]);
  EXPECT_EQ(at(117, 117), screen[size_t(39) * W + 39]);
  EXPECT_EQ(at(59, 90), screen[size_t(30) * W + 19]);
  EXPECT_EQ(at(120, 90), screen[size_t(30) * W + 40]);
}

// The command line every host program reads.
struct Line {
  std::string root;
  std::vector<std::string> seen;
  int run(std::vector<const char*> args, std::string* out = nullptr, std::string* err = nullptr) {
    pk::ProgramCommandLine line{"prog", "1.2", {}, [](FILE* to) { std::fputs("usage: prog\n", to); }};
    line.options.push_back({"--root", 1, [&](char* const* v) { return root = v[0], true; }});
    line.options.push_back({"--even", 1, [&](char* const* v) { return std::atoi(v[0]) % 2 == 0; }});
    args.insert(args.begin(), "/usr/games/prog");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    std::optional<int> code = pk::readCommandLine(int(args.size()), const_cast<char* const*>(args.data()), line);
    std::string o = testing::internal::GetCapturedStdout(), e = testing::internal::GetCapturedStderr();
    if (out) *out = o;
    if (err) *err = e;
    return code.value_or(-1);
  }
};

TEST(CommandLine, HelpVersionOptionsAndWhatItDoesNotUnderstand) {
  Line l;
  std::string out, err;
  EXPECT_EQ(l.run({"--root", "/x", "--even", "4"}, &out, &err), -1);
  EXPECT_EQ(l.root, "/x");
  EXPECT_EQ(out + err, "");
  EXPECT_EQ(l.run({"--root", "/y", "-h", "--bogus"}, &out, &err), 0);
  EXPECT_EQ(out, "usage: prog\n");
  EXPECT_EQ(l.run({"--version"}, &out), 0);
  EXPECT_EQ(out, "prog 1.2\n");
  const char* hint = "Try 'prog --help' for more information.\n";
  EXPECT_EQ(l.run({"--bogus"}, &out, &err), 2);
  EXPECT_EQ(err, std::string("prog: unknown option --bogus\n") + hint);
  EXPECT_EQ(l.run({"--root"}, &out, &err), 2);
  EXPECT_EQ(err, std::string("prog: missing value after --root\n") + hint);
  EXPECT_EQ(l.run({"--even", "3"}, &out, &err), 2);
  EXPECT_EQ(err, std::string("prog: wrong value after --even\n") + hint);
  EXPECT_EQ(out, "");
  pk::ModuleImage module{"game", nullptr, 0};
  EXPECT_EQ(pk::invokedName("/usr/games/fizz", module), "fizz");
  EXPECT_EQ(pk::invokedName("", module), "game");
}

TEST(CommandLine, TheSelfTestsClicksAreQueuedInScreenPixels) {
  pk::SelfTest test;
  pk::ProgramCommandLine line{"prog", "1", pk::selfTestOptions(test), [](FILE*) {}};
  std::vector<const char*> args{"prog", "--self-test-window", "800", "700", "--self-test-click", "161", "31",
                                "--self-test-click", "5", "5", "--self-test-close", "--self-test-timing"};
  ASSERT_FALSE(pk::readCommandLine(int(args.size()), const_cast<char* const*>(args.data()), line));
  ASSERT_TRUE(test.windowSize);
  EXPECT_EQ(test.windowSize->x, 800);
  EXPECT_TRUE(test.timing);
  ScriptedWindow w(int(test.windowSize->x), int(test.windowSize->y));
  w.queueSelfTest(test);
  auto got = w.drain();
  ASSERT_EQ(got.size(), 3u);  // the click on the bar touches nothing
  EXPECT_TRUE(same(got[0], Kind::StylusDown, 0, 0));
  EXPECT_TRUE(same(got[1], Kind::StylusUp, 0, 0));
  EXPECT_EQ(got[2].kind, Kind::CloseWindow);
  std::vector<const char*> bad{"prog", "--self-test-click", "1", "x"};
  testing::internal::CaptureStderr();
  EXPECT_EQ(pk::readCommandLine(int(bad.size()), const_cast<char* const*>(bad.data()), line), 2);
  testing::internal::GetCapturedStderr();
}

}  // namespace
