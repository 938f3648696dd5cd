// The Windows desktop's own calls the window host rests on. Compiled apart from the
// layer: desktop.cpp includes the machine's windows.h, and this header shows nothing of it.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace pk::desktop {

// The keys of the device's keyboard, in the order of pk::Key.
enum class Press { Escape, Enter, F1, Up, Down, Left, Right, Space, Menu, CtrlN, CtrlZ, CtrlQ };

struct Input {
  enum class Kind { StylusDown, StylusMove, StylusUp, Press, Close };
  Kind kind = Kind::Close;
  int x = 0;  // window pixels, for the stylus
  int y = 0;
  Press press = Press::Escape;
};

// Opens the window at the largest whole zoom of a width x height screen that fits the
// work area (or with an inside of exactly fixedWidth x fixedHeight, when given), centred.
// `repaint` draws the whole window (with show()) whenever Windows asks. False, with the
// reason, when no window opens.
bool open(const std::string& title, int width, int height, int fixedWidth, int fixedHeight,
          std::function<void()> repaint, std::string& error);
void close();
// The window's inside, in pixels.
int clientWidth();
int clientHeight();
// Rows of 0x00RRGGBB pixels, `width` wide, to window row `top`.
void show(const uint32_t* pixels, int width, int rows, int top);
// Handles what arrives for the window within `timeoutMs` (-1: until something does), adding
// what the program should see to `out`. False when nothing arrived.
bool wait(int timeoutMs, std::vector<Input>& out);
// From any thread: the window comes to the front (restored when minimised).
void raise();
void setTitle(const std::string& title);

// Mono signed 16-bit samples through the wave mapper; nothing without a sound device.
void play(const std::vector<int16_t>& samples, int rate);
void stopSound();

bool openDocument(const std::filesystem::path& file);
int localMinutes();
// Until just after the local clock's next minute.
int msToNextMinute();
uint64_t milliseconds();
// %APPDATA%: the user's roaming application data; empty when Windows gives none.
std::filesystem::path applicationData();
void message(const std::string& title, const std::string& text);
// A program of the desktop has no console of its own: started from a command prompt without
// its output redirected, it writes (--help, --version, warnings) to that prompt's console.
void useParentConsole();

}  // namespace pk::desktop
