// The window as the program's host: X events and keys in (events.cpp), the scaled screen
// out and the window's full-screen state (drawing.cpp), sound through SDL (audio.cpp).
#pragma once
#include <X11/Xlib.h>

#include <bitset>
#include <chrono>
#include <optional>
#include <random>

#include <pocket/interactive.h>

#include "audio.h"
#include "window.h"

namespace pk::x11 {

class WindowHost final : public InteractiveHost {
 public:
  WindowHost(const OpenWindow& window, int screenW, int screenH, bool timing);
  ~WindowHost() override;

  void present(ScreenView screen) override;
  uint64_t milliseconds() override;
  uint32_t random() override { return entropy_(); }
  // Local time, for the navigation bar's clock.
  int clockMinutes() override;
  void playSound(std::vector<int16_t> samples, int rate) override { audio_.play(samples, rate); }
  void stopSound() override { audio_.stop(); }
  // Called from another thread: only the wake pipe is touched there.
  void raise() override;
  bool openDocument(const std::filesystem::path& file) override;

 private:
  using Clock = std::chrono::steady_clock;

  bool waitForEvents(int timeoutMs) override;
  void showBand(uint32_t* pixels, int width, int top, int rows) override;
  void bandsShown() override { XFlush(d_); }
  int msToNextMinute() override;

  // events.cpp
  void translate(XEvent& e);
  void key(XKeyEvent& e, bool down);
  // drawing.cpp
  void toggleFullScreen();
  void bringToFront();

  Display* d_;
  Window window_;
  Atoms atoms_;
  GC gc_;
  Visual* visual_ = nullptr;
  int depth_ = 24;
  std::optional<XRectangle> restore_;  // the window before it covered the screen
  bool timing_;
  int wake_[2] = {-1, -1};  // another thread or a signal asks to raise or close
  std::bitset<256> down_;
  bool altAlone_ = false;
  Audio audio_;
  std::random_device entropy_;
  Clock::time_point start_;
};

}  // namespace pk::x11
