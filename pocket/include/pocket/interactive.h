// What every host with a window and a person in front of it does alike, written once: the
// input queue the program reads, the keyboard stylus, the clock's minute, and the device
// screen shown at the largest whole zoom that fits the window, a band of rows at a time,
// with the stylus cursor over it. A host adds only its platform's calls.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include <pocket/command_line.h>
#include <pocket/host.h>

namespace pk {

// Rows sent to the platform at a time: no copy of the whole window is ever made.
constexpr int kBandRows = 32;

// Where a `screenWidth` x `screenHeight` screen lies in a window: the largest whole zoom
// that fits (a fraction when even 1 does not fit), centred. Empty when the window is.
RECT fittedScreen(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

// Hands `show` the picture of a `windowWidth` x `windowHeight` window, kBandRows rows at a
// time from the top (fewer in the last): `screen` scaled into fittedScreen, bars around it
// black, the stylus cursor's outline (`cursor`, in screen pixels) over it. The rows are
// `band`'s, pixels 0x00RRGGBB, and `show` may rewrite them.
using ShowBand = std::function<void(uint32_t* pixels, int width, int top, int rows)>;
void presentScaled(ScreenView screen, int windowWidth, int windowHeight, std::optional<RECT> cursor,
                   std::vector<uint32_t>& band, const ShowBand& show);

class InteractiveHost : public Host {
 public:
  // Whether the host keeps its own copy of the last screen shown. A host whose platform asks
  // for the window again at any time (an expose, a paint) needs one; one that only redraws
  // while the program waits for input shows the program's screen as it stands.
  enum class Screen { Copied, Borrowed };

  // `screenWidth` x `screenHeight`: the screen the layer presents (the device's, in the
  // host's pixels); the window starts at `windowWidth` x `windowHeight`.
  InteractiveHost(int screenWidth, int screenHeight, int windowWidth, int windowHeight, Screen keep = Screen::Copied);

  void present(ScreenView screen) override;
  // Hands out what the platform reported, in order; the clock's turning minute; or waits.
  bool nextEvent(InputEvent& out, int timeoutMs) override;
  // Waits, gathering input for later and keeping the window drawn.
  void pause(uint32_t ms) override;

  // The self-test's clicks (window points) and close, queued before the program starts.
  void queueSelfTest(const SelfTest& test);

 protected:
  // ---- The platform's calls ----
  // Reports whatever the platform has through the calls below; when it has nothing, waits
  // up to `timeoutMs` (never -1 here: the clock wakes the host once a minute) for something.
  // True when something came, if only window business.
  virtual bool waitForEvents(int timeoutMs) = 0;
  // Puts rows top..top+rows-1 of the window's picture on screen: `rows` rows of the
  // window's width, pixels 0x00RRGGBB, which the host may rewrite in place.
  virtual void showBand(uint32_t* pixels, int width, int top, int rows) = 0;
  // After the last band of a picture.
  virtual void bandsShown() {}
  // Milliseconds until the clock the host shows turns its next minute.
  virtual int msToNextMinute() = 0;

  // ---- What the platform reports ----
  // The left button or a pen, at a point of the window (pixels). A press off the screen, on
  // the bars around it, touches nothing; moves and the release follow the press even off it.
  void stylusDown(int x, int y);
  void stylusMove(int x, int y);
  void stylusUp(int x, int y);
  // A key of the keyboard every host gives alike (host.h).
  void keyPressed(Key key);
  // The window's close button, or the desktop asking the program to end.
  void closeRequested() { queue_.push_back({InputEvent::Kind::CloseWindow, 0, 0}); }
  // The window's new size; it is drawn again.
  void windowResized(int width, int height);
  // Draws the window again (an expose, a paint), from the last screen shown.
  void redraw();

  // Where the screen lies in the window (fittedScreen).
  RECT screenRect() const;
  // A window point as a point of the screen; nothing off the screen unless `clamp`.
  std::optional<POINT> toScreen(int x, int y, bool clamp) const;
  int windowWidth() const { return windowW_; }
  int windowHeight() const { return windowH_; }

 private:
  const int width_;
  const int height_;
  int windowW_;
  int windowH_;
  const Screen keep_;
  ScreenView shown_{nullptr, 0, 0};
  std::vector<uint32_t> copy_;  // the last screen shown, for Screen::Copied
  std::vector<uint32_t> band_;  // rows on their way to the window
  std::deque<InputEvent> queue_;
  KeyboardStylus stylus_;
  bool stylusDown_ = false;
  POINT last_{0, 0};
  std::optional<int> shownMinutes_;
};

}  // namespace pk
