// The window on the Windows desktop: one top-level window, painted with SetDIBitsToDevice;
// the mouse (and the pen and touch, which Windows gives as the mouse) as the stylus; the
// keys as the device's; F11 and Alt+Enter full screen; sound through the wave mapper.
#include "desktop.h"

#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace pk::desktop {
namespace {

constexpr UINT kRaise = WM_APP + 1;
const wchar_t kClass[] = L"PocketDeviceWindow";

std::wstring wide(const std::string& text) {
  int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring out(size_t(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n);
  return out;
}

struct State {
  HWND window = nullptr;
  std::function<void()> repaint;
  std::vector<Input>* out = nullptr;  // where the window procedure puts what it is given
  bool stylusDown = false;
  bool altAlone = false;
  bool fullScreen = false;
  WINDOWPLACEMENT placement{};
  LONG_PTR style = 0;
};

State& state() {
  static State s;
  return s;
}

void put(Input in) {
  if (state().out) state().out->push_back(in);
}

void press(Press p) { put(Input{Input::Kind::Press, 0, 0, p}); }

void toggleFullScreen(HWND w) {
  State& s = state();
  if (!s.fullScreen) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    s.placement.length = sizeof s.placement;
    if (!GetWindowPlacement(w, &s.placement) || !GetMonitorInfoW(MonitorFromWindow(w, MONITOR_DEFAULTTOPRIMARY), &monitor))
      return;
    s.style = GetWindowLongPtrW(w, GWL_STYLE);
    SetWindowLongPtrW(w, GWL_STYLE, (s.style & ~WS_OVERLAPPEDWINDOW) | WS_POPUP);
    const RECT& r = monitor.rcMonitor;
    SetWindowPos(w, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
  } else {
    SetWindowLongPtrW(w, GWL_STYLE, s.style);
    SetWindowPlacement(w, &s.placement);
    SetWindowPos(w, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
  }
  s.fullScreen = !s.fullScreen;
  InvalidateRect(w, nullptr, FALSE);
}

// A key pressed; true when it was the device's or the window's.
bool keyDown(HWND w, WPARAM key, LPARAM flags, bool alt) {
  bool repeat = (flags & (1 << 30)) != 0;
  bool ctrl = GetKeyState(VK_CONTROL) < 0;
  state().altAlone = key == VK_MENU && !repeat;
  switch (key) {
    case VK_UP: press(Press::Up); return true;
    case VK_DOWN: press(Press::Down); return true;
    case VK_LEFT: press(Press::Left); return true;
    case VK_RIGHT: press(Press::Right); return true;
    default: break;
  }
  if (repeat) return key != VK_F4;
  switch (key) {
    case VK_ESCAPE: press(Press::Escape); return true;
    case VK_RETURN:
      if (alt)
        toggleFullScreen(w);
      else
        press(Press::Enter);
      return true;
    case VK_F1: press(Press::F1); return true;
    case VK_F10: press(Press::Menu); return true;
    case VK_F11: toggleFullScreen(w); return true;
    case VK_SPACE:
    case VK_NUMPAD5:
    case VK_CLEAR: press(Press::Space); return true;
    case 'N': if (ctrl) press(Press::CtrlN); return ctrl;
    case 'Z': if (ctrl) press(Press::CtrlZ); return ctrl;
    case 'Q': if (ctrl) press(Press::CtrlQ); return ctrl;
    default: return false;
  }
}

LRESULT CALLBACK windowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  State& s = state();
  using K = Input::Kind;
  switch (msg) {
    case WM_CLOSE:
      put({K::Close});
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(w, &ps);
      EndPaint(w, &ps);
      if (s.repaint) s.repaint();
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the repaint covers every pixel
    case WM_SIZE:
      InvalidateRect(w, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      if (s.stylusDown) return 0;
      s.stylusDown = true;
      SetCapture(w);
      put({K::StylusDown, short(LOWORD(lp)), short(HIWORD(lp))});
      return 0;
    case WM_MOUSEMOVE:
      if (s.stylusDown) put({K::StylusMove, short(LOWORD(lp)), short(HIWORD(lp))});
      return 0;
    case WM_LBUTTONUP:
      if (!s.stylusDown) return 0;
      s.stylusDown = false;
      ReleaseCapture();
      put({K::StylusUp, short(LOWORD(lp)), short(HIWORD(lp))});
      return 0;
    case WM_CAPTURECHANGED:
      if (s.stylusDown && HWND(lp) != w) {
        s.stylusDown = false;
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(w, &p);
        put({K::StylusUp, int(p.x), int(p.y)});
      }
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (keyDown(w, wp, lp, msg == WM_SYSKEYDOWN && (lp & (1 << 29)))) return 0;
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      // Alt pressed and let go alone opens the device's menus, not the window's.
      if (wp == VK_MENU) {
        if (s.altAlone) press(Press::Menu);
        s.altAlone = false;
        return 0;
      }
      s.altAlone = false;
      break;
    case WM_SYSCHAR:
      if (wp == VK_RETURN) return 0;  // no beep for Alt+Enter
      break;
    case WM_SYSCOMMAND:
      if ((wp & 0xFFF0) == SC_KEYMENU) return 0;
      break;
    case WM_KILLFOCUS:
      s.altAlone = false;
      break;
    case kRaise:
      if (IsIconic(w)) ShowWindow(w, SW_RESTORE);
      SetForegroundWindow(w);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

// The window's outside for a client area of w x h.
SIZE outerSize(int w, int h, DWORD style) {
  RECT r{0, 0, w, h};
  AdjustWindowRectEx(&r, style, FALSE, 0);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// Sound: one buffer at a time through the wave mapper.
struct Sound {
  std::mutex lock;
  HWAVEOUT out = nullptr;
  int rate = 0;
  WAVEHDR header{};
  std::vector<int16_t> samples;

  void stop() {
    if (!out) return;
    waveOutReset(out);
    if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(out, &header, sizeof header);
    header = WAVEHDR{};
  }
};

Sound& sound() {
  static Sound s;
  return s;
}

}  // namespace

bool open(const std::string& title, int width, int height, int fixedWidth, int fixedHeight,
          std::function<void()> repaint, std::string& error) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW cls{};
  cls.cbSize = sizeof cls;
  cls.lpfnWndProc = windowProc;
  cls.hInstance = instance;
  cls.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  cls.hIconSm = HICON(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                 GetSystemMetrics(SM_CYSMICON), 0));
  cls.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  cls.lpszClassName = kClass;
  if (!RegisterClassExW(&cls)) {
    error = "cannot register the window class";
    return false;
  }
  RECT work{0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  DWORD style = WS_OVERLAPPEDWINDOW;
  SIZE frame = outerSize(0, 0, style);
  int zoom = std::max(1L, std::min((work.right - work.left - frame.cx) / width, (work.bottom - work.top - frame.cy) / height));
  SIZE outer = fixedWidth > 0 && fixedHeight > 0 ? outerSize(fixedWidth, fixedHeight, style)
                                                 : outerSize(width * zoom, height * zoom, style);
  int x = work.left + std::max(0L, (work.right - work.left - outer.cx) / 2);
  int y = work.top + std::max(0L, (work.bottom - work.top - outer.cy) / 2);
  state().repaint = std::move(repaint);
  HWND w = CreateWindowExW(0, kClass, wide(title).c_str(), style, x, y, outer.cx, outer.cy, nullptr, nullptr, instance,
                           nullptr);
  if (!w) {
    error = "cannot create the window";
    return false;
  }
  state().window = w;
  ShowWindow(w, SW_SHOWNORMAL);
  SetForegroundWindow(w);
  return true;
}

void close() {
  stopSound();
  if (state().window) DestroyWindow(state().window);
  state().window = nullptr;
}

int clientWidth() {
  RECT r{};
  GetClientRect(state().window, &r);
  return r.right - r.left;
}

int clientHeight() {
  RECT r{};
  GetClientRect(state().window, &r);
  return r.bottom - r.top;
}

void show(const uint32_t* pixels, int width, int rows, int top) {
  if (!state().window || rows <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -rows;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = GetDC(state().window);
  SetDIBitsToDevice(dc, 0, top, DWORD(width), DWORD(rows), 0, 0, 0, UINT(rows), pixels, &info, DIB_RGB_COLORS);
  ReleaseDC(state().window, dc);
}

bool wait(int timeoutMs, std::vector<Input>& out) {
  state().out = &out;
  size_t before = out.size();
  bool any = false;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    any = true;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (!any && out.size() == before) {
    DWORD r = MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs < 0 ? INFINITE : DWORD(timeoutMs), QS_ALLINPUT,
                                          MWMO_INPUTAVAILABLE);
    any = r == WAIT_OBJECT_0;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  state().out = nullptr;
  return any || out.size() != before;
}

void raise() {
  if (HWND w = state().window) PostMessageW(w, kRaise, 0, 0);
}

void setTitle(const std::string& title) {
  if (state().window) SetWindowTextW(state().window, wide(title).c_str());
}

void play(const std::vector<int16_t>& samples, int rate) {
  Sound& s = sound();
  std::lock_guard<std::mutex> hold(s.lock);
  s.stop();
  if (samples.empty() || rate <= 0) return;
  if (s.out && s.rate != rate) {
    waveOutClose(s.out);
    s.out = nullptr;
  }
  if (!s.out) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = DWORD(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = DWORD(rate) * 2;
    // No sound device: the game plays silently.
    if (waveOutOpen(&s.out, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
      s.out = nullptr;
      return;
    }
    s.rate = rate;
  }
  s.samples = samples;
  s.header.lpData = reinterpret_cast<LPSTR>(s.samples.data());
  s.header.dwBufferLength = DWORD(s.samples.size() * sizeof(int16_t));
  if (waveOutPrepareHeader(s.out, &s.header, sizeof s.header) == MMSYSERR_NOERROR)
    waveOutWrite(s.out, &s.header, sizeof s.header);
}

void stopSound() {
  Sound& s = sound();
  std::lock_guard<std::mutex> hold(s.lock);
  s.stop();
}

bool openDocument(const std::filesystem::path& file) {
  auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(state().window, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

int localMinutes() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return t.wHour * 60 + t.wMinute;
}

int msToNextMinute() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return 60000 - (t.wSecond * 1000 + t.wMilliseconds) + 5;
}

uint64_t milliseconds() { return GetTickCount64(); }

std::filesystem::path applicationData() {
  wchar_t folder[MAX_PATH];
  if (SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder) != S_OK) return {};
  return std::filesystem::path(folder);
}

void message(const std::string& title, const std::string& text) {
  MessageBoxW(state().window, wide(text).c_str(), wide(title).c_str(), MB_OK | MB_ICONINFORMATION);
}

}  // namespace pk::desktop

namespace pk::desktop {

void useParentConsole() {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out && out != INVALID_HANDLE_VALUE) return;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
}

}  // namespace pk::desktop
