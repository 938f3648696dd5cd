// Devices for the layer's tests: a bare one on a temporary root, and one with the
// shell running and a main window carrying the test module's menu bar.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <aygshell.h>
#include <commctrl.h>
#include <windows.h>
#include <pocket/automation.h>

#include "chrome/shell.h"
#include "fake_host.h"
#include "system/device.h"
#include "system/resource.h"
#include "wm/wm.h"

namespace test {

// The process's open descriptors: a leak shows as one more.
inline auto openDescriptors() { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); }

struct TempDevice {
  FakeHost host;
  std::filesystem::path root = freshRoot();
  TempDevice() {
    pk::DeviceConfig config;
    config.root = root;
    pk::setUpDevice(host, config, &pkProgramModule);
  }
  ~TempDevice() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    pk::device().host = nullptr;
  }
  void write(const std::filesystem::path& relative, const std::string& bytes) {
    std::filesystem::create_directories((root / relative).parent_path());
    std::ofstream(root / relative, std::ios::binary) << bytes;
  }
  std::string read(const std::filesystem::path& relative) {
    std::ifstream in(root / relative, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
};

struct MainRecord {
  std::vector<int> commands;
  std::vector<std::pair<int, LPARAM>> origins;  // each command's HIWORD(wParam) and lParam
  int taps = 0, paints = 0;
  std::vector<bool> panelUpAtChange;  // the input panel's state at each WM_SETTINGCHANGE
  HWND menuBar = nullptr;
};
inline MainRecord record;

inline HINSTANCE testInstance() { return pk::instanceOf(pkProgramModule); }

inline LRESULT CALLBACK mainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      SHMENUBARINFO mb{};
      mb.cbSize = sizeof mb;
      mb.hwndParent = hwnd;
      mb.nToolBarId = 116;
      mb.hInstRes = testInstance();
      if (SHCreateMenuBar(&mb)) record.menuBar = mb.hwndMB;
      static TBBUTTON buttons[2] = {{0, 0, 0, TBSTYLE_SEP, {}, 0, 0}, {0, 106, 0, TBSTYLE_BUTTON, {}, 0, 0}};
      SendMessageW(record.menuBar, TB_ADDBUTTONS, 2, reinterpret_cast<LPARAM>(buttons));
      return 0;
    }
    case WM_COMMAND:
      record.commands.push_back(LOWORD(wParam));
      record.origins.emplace_back(HIWORD(wParam), lParam);
      return 0;
    case WM_SETTINGCHANGE: {
      if (wParam != SPI_SETSIPINFO || lParam) return 0;  // lParam would name a section the panel has none of
      SIPINFO sip{};
      SHSipInfo(SPI_GETSIPINFO, 0, &sip, 0);
      record.panelUpAtChange.push_back(sip.fdwFlags & SIPF_ON);
      return 0;
    }
    case WM_LBUTTONDOWN: ++record.taps; return 0;
    case WM_PAINT: {
      ++record.paints;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc;
      GetClientRect(hwnd, &rc);
      HBRUSH b = CreateSolidBrush(RGB(0, 160, 0));
      FillRect(dc, &rc, b);
      DeleteObject(b);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_CLOSE: return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

class Shell : public ::testing::Test {
 protected:
  FakeHost host;
  HWND main = nullptr;

  void SetUp() override {
    pk::wm::resetWindowSystem();
    pk::DeviceConfig cfg;
    cfg.root = std::filesystem::temp_directory_path() / ("fz-chrome-" + std::to_string(getpid()));
    pk::setUpDevice(host, cfg, &pkProgramModule);
    pk::chrome::startShell();
    record = MainRecord{};
    WNDCLASSW wc{};
    wc.lpfnWndProc = mainProc;
    wc.hInstance = testInstance();
    wc.lpszClassName = u"ChromeTestMain";
    RegisterClassW(&wc);
    main = CreateWindowExW(0, u"ChromeTestMain", u"Fizzorbs", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 240,
                           268, nullptr, nullptr, testInstance(), nullptr);
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
  bool hasNote(const std::string& line) const {
    return std::find(host.notes.begin(), host.notes.end(), line) != host.notes.end();
  }
};

}  // namespace test
