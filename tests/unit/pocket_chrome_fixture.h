// A device with the shell running and a main window carrying the test module's
// menu bar, driven by a host whose input is scripted step by step.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <aygshell.h>
#include <commctrl.h>
#include <windows.h>
#include <pocket/automation.h>

#include "chrome.h"
#include "device.h"
#include "fake_host.h"
#include "headless/screenshot.h"
#include "resource.h"
#include "wm.h"

namespace chrometest {

// Steps run when the program waits with nothing queued, so a step can look at the screen
// the program has just drawn before it taps. A step that queues nothing lets time pass.
class ScriptedHost : public test::FakeHost {
 public:
  std::vector<std::function<void()>> steps;
  size_t next = 0;

  bool nextEvent(pk::InputEvent& out, int timeoutMs) override {
    while (events.empty() && next < steps.size()) {
      steps[next++]();
      if (events.empty() && timeoutMs >= 0) {
        clock += uint64_t(timeoutMs);
        return false;
      }
    }
    return FakeHost::nextEvent(out, timeoutMs);
  }
  void down(POINT p) { events.push_back({pk::InputEvent::Kind::StylusDown, p.x, p.y}); }
  void up(POINT p) { events.push_back({pk::InputEvent::Kind::StylusUp, p.x, p.y}); }
  void tapAt(std::optional<POINT> p) {
    ASSERT_TRUE(p.has_value()) << "nothing to tap";
    tap(p->x, p->y);
  }
  void key(pk::InputEvent::Kind k) { events.push_back({k, 0, 0}); }
};

struct MainRecord {
  std::vector<int> commands;
  int taps = 0;
  int paints = 0;
  HWND menuBar = nullptr;
  COLORREF ground = RGB(0, 160, 0);
};

inline MainRecord& mainRecord() {
  static MainRecord r;
  return r;
}

inline HINSTANCE testInstance() { return pk::instanceOf(pkProgramModule); }

inline LRESULT CALLBACK mainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  MainRecord& r = mainRecord();
  switch (msg) {
    case WM_CREATE: {
      SHMENUBARINFO mb{};
      mb.cbSize = sizeof mb;
      mb.hwndParent = hwnd;
      mb.nToolBarId = 116;
      mb.hInstRes = testInstance();
      if (SHCreateMenuBar(&mb)) r.menuBar = mb.hwndMB;
      static TBBUTTON buttons[2] = {};
      buttons[0].fsStyle = TBSTYLE_SEP;
      buttons[1].iBitmap = 0;
      buttons[1].idCommand = 106;
      buttons[1].fsState = 0;
      buttons[1].fsStyle = TBSTYLE_BUTTON;
      SendMessageW(r.menuBar, TB_ADDBUTTONS, 2, reinterpret_cast<LPARAM>(buttons));
      static LPCWSTR tips[3] = {u"", u"", u"Undo Move"};
      SendMessageW(r.menuBar, TB_SETTOOLTIPS, 3, reinterpret_cast<LPARAM>(tips));
      return 0;
    }
    case WM_COMMAND:
      r.commands.push_back(LOWORD(wParam));
      return 0;
    case WM_LBUTTONDOWN:
      ++r.taps;
      return 0;
    case WM_PAINT: {
      ++r.paints;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc;
      GetClientRect(hwnd, &rc);
      HBRUSH b = CreateSolidBrush(r.ground);
      FillRect(dc, &rc, b);
      DeleteObject(b);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_CLOSE:
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

class Shell : public ::testing::Test {
 protected:
  ScriptedHost host;
  HWND main = nullptr;

  void SetUp() override { start(240, 320, 96); }

  void start(int width, int height, int dpi) {
    pk::wm::resetWindowSystem();
    pk::DeviceConfig cfg;
    cfg.width = width;
    cfg.height = height;
    cfg.dpi = dpi;
    cfg.root = std::filesystem::temp_directory_path() / ("fz-chrome-" + std::to_string(getpid()));
    pk::setUpDevice(host, cfg, &pkProgramModule);
    pk::chrome::startShell();
    mainRecord() = MainRecord{};
    WNDCLASSW wc{};
    wc.lpfnWndProc = mainProc;
    wc.hInstance = testInstance();
    wc.lpszClassName = u"ChromeTestMain";
    RegisterClassW(&wc);
    main = CreateWindowExW(0, u"ChromeTestMain", u"Fizzorbs", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, width,
                           height - 52, nullptr, nullptr, testInstance(), nullptr);
    ASSERT_NE(main, nullptr);
    pump();
  }

  void TearDown() override { pk::wm::resetWindowSystem(); }

  // Runs the message loop until the script and the queue are used up.
  void pump() {
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0)) DispatchMessageW(&m);
  }

  uint32_t pixel(int x, int y) const { return pk::device().screen.row(y)[x] & 0xFFFFFF; }

  void screenshot(const std::string& name) {
    const pk::Surface& s = pk::device().screen;
    std::string err = pk::writePng(std::filesystem::temp_directory_path() / name, s.pixels.data(), s.width,
                                   s.height, false);
    EXPECT_EQ(err, "");
  }

  static LPCDLGTEMPLATEW dialogTemplate(int id) {
    HRSRC r = FindResourceW(testInstance(), MAKEINTRESOURCEW(id), RT_DIALOG);
    if (!r) return nullptr;
    return static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(testInstance(), r)));
  }

  bool hasNote(const std::string& line) const {
    for (const auto& n : host.notes)
      if (n == line) return true;
    return false;
  }
};

}  // namespace chrometest
