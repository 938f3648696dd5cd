// Messages: the posted queue, sending, dispatch, timers, the stylus and keys
// from the host, and the loops that wait.
#include <algorithm>
#include <bitset>
#include <deque>
#include <map>
#include <utility>

#include <pocket/automation.h>

#include "system/device.h"
#include "wm/window_internal.h"
#include "wm/wm.h"

namespace pk::wm {
namespace {

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  uint32_t interval;
  uint64_t due;
};

struct Queue {
  std::deque<MSG> posted;
  std::vector<Timer> timers;
  bool quitPending = false;
  int quitCode = 0;
  bool stylusDown = false;
  std::bitset<256> keys;  // down as of the last key message taken
};

ShellHooks& hooks() {
  static ShellHooks h;
  return h;
}

Queue& queue() {
  static Queue q;
  return q;
}

uint64_t now() { return device().host ? device().host->milliseconds() : 0; }

MSG makeMsg(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG m{};
  m.hwnd = hwnd;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = DWORD(now());
  return m;
}

LPARAM packPoint(int x, int y) { return MAKELPARAM(WORD(int16_t(x)), WORD(int16_t(y))); }

// Turns one host event into the messages it means, posted in order.
void routeInput(const InputEvent& ev) {
  auto& q = queue();
  switch (ev.kind) {
    case InputEvent::Kind::StylusDown:
    case InputEvent::Kind::StylusUp:
    case InputEvent::Kind::StylusMove: {
      if (ev.kind == InputEvent::Kind::StylusMove && !q.stylusDown) return;
      if (ev.kind == InputEvent::Kind::StylusDown) q.stylusDown = true;
      if (ev.kind == InputEvent::Kind::StylusUp) q.stylusDown = false;
      POINT p = fromHost(ev.x, ev.y);
      HWND target = capture();
      if (!target) target = windowAt(p);
      Window* w = find(target);
      if (!w) return;
      // A disabled window, or one whose top-level is disabled (the owner of a modal
      // dialog), refuses the stylus.
      HWND top = topLevelOf(target);
      if (!capture() && (!w->enabled || !isEnabled(top))) return;
      // activate() itself refuses a window that takes no activation.
      if (ev.kind == InputEvent::Kind::StylusDown && !capture() && activeHandle() != top) activate(top, true);
      POINT o = screenOrigin(*w);
      UINT msg = ev.kind == InputEvent::Kind::StylusDown ? WM_LBUTTONDOWN
                 : ev.kind == InputEvent::Kind::StylusUp ? WM_LBUTTONUP
                                                         : WM_MOUSEMOVE;
      WPARAM keys = ev.kind == InputEvent::Kind::StylusUp ? 0 : 1;  // MK_LBUTTON
      q.posted.push_back(makeMsg(target, msg, keys, packPoint(p.x - o.x, p.y - o.y)));
      return;
    }
    case InputEvent::Kind::KeyEscape:
    case InputEvent::Kind::KeyEnter: {
      if (shellMenuKey(ev.kind)) return;
      HWND a = activeHandle();
      if (!a) return;
      WPARAM vk = ev.kind == InputEvent::Kind::KeyEscape ? VK_ESCAPE : VK_RETURN;
      q.posted.push_back(makeMsg(a, WM_KEYDOWN, vk, 1));
      q.posted.push_back(makeMsg(a, WM_KEYUP, vk, LPARAM(0xC0000001u)));
      return;
    }
    case InputEvent::Kind::KeyF1:
      if (HWND a = activeHandle()) q.posted.push_back(makeMsg(a, WM_HELP, 0, 0));
      return;
    case InputEvent::Kind::CloseWindow:
      if (HWND m = automation::mainWindow()) q.posted.push_back(makeMsg(m, WM_CLOSE, 0, 0));
      return;
    case InputEvent::Kind::ClockChanged:
      shellActiveChanged();  // the navigation bar shows the clock
      return;
    case InputEvent::Kind::KeyUp:
    case InputEvent::Kind::KeyDown:
    case InputEvent::Kind::KeyLeft:
    case InputEvent::Kind::KeyRight:
    case InputEvent::Kind::KeyMenu:
      shellMenuKey(ev.kind);
      return;
    case InputEvent::Kind::KeyStroke: {
      // The key as a keyboard sends it: the modifier down first and up last.
      HWND a = activeHandle();
      if (!a) return;
      const bool ctrl = ev.y & InputEvent::kCtrl;
      const WPARAM vk = WPARAM(ev.x & 0xFF);
      if (ctrl) q.posted.push_back(makeMsg(a, WM_KEYDOWN, VK_CONTROL, 1));
      q.posted.push_back(makeMsg(a, WM_KEYDOWN, vk, 1));
      q.posted.push_back(makeMsg(a, WM_KEYUP, vk, LPARAM(0xC0000001u)));
      if (ctrl) q.posted.push_back(makeMsg(a, WM_KEYUP, VK_CONTROL, LPARAM(0xC0000001u)));
      return;
    }
  }
}

bool takeDueTimer(MSG& out) {
  auto& q = queue();
  uint64_t t = now();
  for (auto& timer : q.timers) {
    if (timer.due <= t) {
      timer.due = t + std::max<uint32_t>(timer.interval, 1);
      out = makeMsg(timer.hwnd, WM_TIMER, timer.id, 0);
      return true;
    }
  }
  return false;
}

int msUntilNextTimer() {
  auto& q = queue();
  if (q.timers.empty()) return -1;
  uint64_t t = now();
  uint64_t next = UINT64_MAX;
  for (auto& timer : q.timers) next = std::min(next, timer.due);
  return next <= t ? 0 : int(std::min<uint64_t>(next - t, 1u << 30));
}

}  // namespace

void forgetWindow(HWND hwnd) {
  auto& q = queue();
  q.posted.erase(std::remove_if(q.posted.begin(), q.posted.end(), [&](const MSG& m) { return m.hwnd == hwnd; }),
                 q.posted.end());
  q.timers.erase(std::remove_if(q.timers.begin(), q.timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
                 q.timers.end());
}

void clearQueue() { queue() = Queue{}; }

void setShellHooks(const ShellHooks& h) { hooks() = h; }

void shellActiveChanged() {
  if (hooks().activeChanged) hooks().activeChanged();
}

bool shellMenuKey(InputEvent::Kind key) { return hooks().menuKey && hooks().menuKey(key); }

bool shellMenuOpen() { return hooks().menuOpen && hooks().menuOpen(); }

bool keyWasDown(int vk) { return vk >= 0 && vk < 256 && queue().keys[size_t(vk)]; }

void setTimer(HWND hwnd, UINT_PTR id, uint32_t ms) {
  killTimer(hwnd, id);
  queue().timers.push_back(Timer{hwnd, id, ms, now() + ms});
}

void killTimer(HWND hwnd, UINT_PTR id) {
  auto& t = queue().timers;
  t.erase(std::remove_if(t.begin(), t.end(), [&](const Timer& x) { return x.hwnd == hwnd && x.id == id; }),
          t.end());
}

namespace {

// Takes and dispatches messages until `done` turns true; a WM_QUIT that comes meanwhile
// ends it and is posted again for the outer loop.
void runModalLoop(const bool& done) {
  MSG msg;
  while (!done) {
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      PostQuitMessage(int(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

void runModal(HWND hwnd, HWND owner, const bool& done) {
  bool ownerWasEnabled = owner && isEnabled(owner);
  if (!done) {
    if (owner) enableWindow(owner, false);
    ShowWindow(hwnd, SW_SHOW);
    runModalLoop(done);
  }
  if (owner && ownerWasEnabled) enableWindow(owner, true);
  DestroyWindow(hwnd);
  if (owner && IsWindow(owner) && isVisible(owner) && isEnabled(owner)) activate(owner);
}

}  // namespace pk::wm

using namespace pk::wm;

BOOL GetMessageW(LPMSG msg, HWND, UINT, UINT) {
  auto& q = queue();
  for (;;) {
    if (!q.posted.empty()) {
      *msg = q.posted.front();
      q.posted.pop_front();
      if (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP)
        q.keys[msg->wParam & 0xFF] = msg->message == WM_KEYDOWN;
      return msg->message == WM_QUIT ? FALSE : TRUE;
    }
    if (q.quitPending) {
      q.quitPending = false;
      *msg = makeMsg(nullptr, WM_QUIT, WPARAM(q.quitCode), 0);
      return FALSE;
    }
    if (HWND h = nextWindowToPaint()) {
      *msg = makeMsg(h, WM_PAINT, 0, 0);
      return TRUE;
    }
    if (takeDueTimer(*msg)) return TRUE;
    pk::presentIfChanged();
    pk::Host* host = pk::device().host;
    if (!host) {
      // No host to wait on: nothing can ever arrive.
      *msg = makeMsg(nullptr, WM_QUIT, 0, 0);
      return FALSE;
    }
    pk::InputEvent ev;
    if (host->nextEvent(ev, msUntilNextTimer())) routeInput(ev);
  }
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !IsWindow(hwnd)) return FALSE;
  queue().posted.push_back(makeMsg(hwnd, message, wParam, lParam));
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  queue().quitPending = true;
  queue().quitCode = exitCode;
}

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = find(hwnd);
  if (!w || !w->proc) return 0;
  return w->proc(hwnd, message, wParam, lParam);
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  Window* w = find(msg->hwnd);
  if (!w || !w->proc) return 0;
  unsigned paints = w->paintCount;
  LRESULT r = w->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
  // A WM_PAINT that the window left unvalidated must not come back for ever.
  if (msg->message == WM_PAINT) {
    Window* after = find(msg->hwnd);
    if (after && after->paintCount == paints) after->needsPaint = after->needsErase = false;
  }
  return r;
}

namespace pk {

void presentIfChanged() {
  Device& d = device();
  if (!d.host || !d.screenChanged) return;
  d.screenChanged = false;
  const Surface& s = d.screen;
  const bool grey = d.config.bits < 8;
  if (!grey && d.scale == 1) {
    d.host->present(ScreenView{s.pixels.data(), s.width, s.height});
    return;
  }
  // A device with few colour bits shows grey levels.
  const int levels = 1 << std::max(1, d.config.bits);
  auto look = [&](uint32_t p) {
    if (!grey) return p;
    int luma = lumaMilli(p) / 1000;
    int level = (luma * (levels - 1) + 127) / 255;
    uint32_t v = uint32_t(level * 255 / (levels - 1));
    return (v << 16) | (v << 8) | v;
  };
  // Host pixels past the last whole device pixel stay black, like a bezel.
  static std::vector<uint32_t> shown;
  const int w = d.hostWidth, h = d.hostHeight, scale = d.scale;
  shown.assign(size_t(w) * size_t(h), 0);
  for (int y = 0; y < h && y / scale < s.height; ++y) {
    const uint32_t* from = s.row(y / scale);
    uint32_t* to = shown.data() + size_t(y) * size_t(w);
    for (int x = 0; x < w && x / scale < s.width; ++x) to[x] = look(from[x / scale]);
  }
  d.host->present(ScreenView{shown.data(), w, h});
}

}  // namespace pk
