// What a host gives the platform layer: a screen to show, input, a clock,
// randomness and a sound output. Hosts: a window, a script, and a browser page.
#pragma once
#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <optional>
#include <string_view>
#include <vector>

#include <windows.h>
#include <pocket/module.h>

namespace pk {

struct DeviceConfig {
  int width = 240;
  int height = 320;
  int bits = 16;  // colour bits; under 8 the screen shows grey levels
  // 192, 288...: programs run on a 96-dpi screen of dpi/96 times fewer pixels each
  // way, shown enlarged to fill this one.
  int dpi = 96;
  std::filesystem::path root;     // host folder that holds the device's file system
  std::filesystem::path shipped;  // files that ship on the device; empty: shippedDeviceFiles()
};

struct InputEvent {
  // Arrow keys reach the program only when the host's stylus cursor does not take them;
  // KeyMenu opens the first menu of the menu bar (or closes the open one). KeyStroke is any
  // other key, as the program's window gets it: x is its virtual-key code, y its modifiers.
  // ClockChanged: the minute the device's clock shows has turned.
  enum class Kind { StylusDown, StylusUp, StylusMove, KeyEscape, KeyEnter, KeyF1, CloseWindow,
                    KeyUp, KeyDown, KeyLeft, KeyRight, KeyMenu, KeyStroke, ClockChanged };
  static constexpr int kCtrl = 1;  // KeyStroke's y: the Control key is held
  Kind kind = Kind::StylusDown;
  int x = 0;  // pixels of the screen the host shows, for stylus events
  int y = 0;
};

// Pixels are 0x00RRGGBB, row by row, width x height of the DeviceConfig.
struct ScreenView {
  const uint32_t* pixels;
  int width;
  int height;
};

class Host {
 public:
  virtual ~Host() = default;
  // Shows the device screen; called whenever the program waits and the screen changed.
  virtual void present(ScreenView screen) = 0;
  // The program waits for input (message loop or modal loop). Returns false when nothing
  // arrived within timeoutMs (-1 waits for ever). Events that came during pause() come first.
  virtual bool nextEvent(InputEvent& out, int timeoutMs) = 0;
  // Sleep(): a real pause that keeps the screen shown and keeps input for later, or a
  // virtual one.
  virtual void pause(uint32_t ms) = 0;
  virtual uint64_t milliseconds() = 0;
  virtual uint32_t random() = 0;
  // Mono signed 16-bit samples; replaces whatever is playing.
  virtual void playSound(std::vector<int16_t> samples, int rate) = 0;
  virtual void stopSound() = 0;
  // The time of day the device's clock shows, in minutes after midnight. A virtual
  // device's clock stands at noon.
  virtual int clockMinutes() { return 12 * 60; }
  // Something worth a line in a log (sounds, message boxes, dialogs, processes).
  virtual void note(std::string_view line) {}
  // Something the person at the machine must act on ("cannot save ..."), already said on
  // standard error; empty once it is over. A host without a console shows it where its
  // user looks.
  virtual void trouble(std::string_view text) {}
  // Another process asked for this program's window; may be called from another thread.
  virtual void raise() {}
  // A file of the device was written and closed. A host that keeps the files somewhere
  // slower stores them before it hands over the next input.
  virtual void filesChanged() {}
  // Opens a device document with the desktop's viewer; false when that is impossible.
  virtual bool openDocument(const std::filesystem::path& file) = 0;
};

using ProgramEntry = int (*)(HINSTANCE, HINSTANCE, LPWSTR, int);

// What keeps this machine from running any program (its fonts missing, with what to
// install), or nothing. runProgram refuses to start while there is something.
std::string deviceFault();

// The process ends in the middle of the program's run (a power cut): other
// processes stop finding its window. Nothing more reaches the program.
void withdrawProgram();

// Sets up the device (its root folder and shipped files, its screen), runs the program's
// entry on this thread, and returns the program's exit code.
int runProgram(Host& host, const DeviceConfig& config, ProgramEntry entry, const ModuleImage& module);

// The lattice of equal square pictures the main window's last paint put on screen (a
// board of cells), in pixels of the screen the host shows; nothing while another window, a dialog
// or a pop-up menu, has the user's attention, or when the last paint drew no such lattice.
struct CellGrid {
  int left = 0;
  int top = 0;
  int size = 0;  // of one cell, in pixels
  int cols = 0;
  int rows = 0;
};
std::optional<CellGrid> paintedCells();

// The keys every host's keyboard gives alike: the window's (Escape, Enter, F1), the stylus
// cursor's (the arrows; Space, or the keypad's 5, taps at the cursor), the menus' (F10, or Alt
// pressed and let go alone) and the desktop's shortcuts.
enum class Key { Escape, Enter, F1, Up, Down, Left, Right, Space, Menu, CtrlN, CtrlZ, CtrlQ };

// The stylus of a keyboard: a cell of the painted grid that arrow keys move and that a
// key taps at its centre. Hosts draw its outline over the screen, never into it.
class KeyboardStylus {
 public:
  // What a key does: the events it gives the program are added to `out`. True when the
  // cursor showed or moved instead, and the host shows the screen again.
  bool press(Key key, std::deque<InputEvent>& out);
  // An arrow: the first one shows the cursor, the next ones move it a cell, stopping at
  // the edges. False when no grid is on screen; the key is then the program's.
  bool arrow(int dx, int dy);
  // The point a tap at the cursor lands on; nothing while the cursor is hidden or has
  // no grid under it.
  std::optional<POINT> tapPoint() const;
  // The outlined cell (host screen pixels, right and bottom excluded), when shown.
  std::optional<RECT> outline() const;
  // The mouse took over.
  void hide() { shown_ = false; }

 private:
  bool shown_ = false;
  int col_ = 0;
  int row_ = 0;
};

// Draws the cursor's outline, `thickness` pixels wide inside `outline`, into an image
// of `width` columns of which `pixels` holds `rows` rows from row `firstRow` on.
void drawStylusCursor(uint32_t* pixels, int width, int rows, RECT outline, int thickness = 1, int firstRow = 0);

}  // namespace pk
