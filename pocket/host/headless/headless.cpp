// The headless host: the program runs on a virtual device driven by a script. Commands
// after `start` are carried out when the program waits for input, so a script reads as
// a sequence of things a person does between the program's reactions.
#include "headless.h"

#include <stdio.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include <pocket/automation.h>
#include <pocket/host.h>

#include <pocket/unicode.h>

#include "screenshot.h"
#include "script.h"

namespace pk {
namespace {

// "<program>-headless", from the program's module image: the name people type.
std::string& hostName() {
  static std::string name = "headless";
  return name;
}

std::mutex& outputLock() {
  static std::mutex m;
  return m;
}

// One event a line, flushed at once: the log is read while the program runs.
void logLine(std::string_view line) {
  std::string text(line);
  text += '\n';
  std::lock_guard<std::mutex> lock(outputLock());
  // One locked write per line: the program itself may print too.
  flockfile(stdout);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  funlockfile(stdout);
}

// A device root made for this run only.
std::filesystem::path& temporaryRoot() {
  static std::filesystem::path p;
  return p;
}

void removeTemporaryRoot() {
  std::error_code ec;
  if (!temporaryRoot().empty()) std::filesystem::remove_all(temporaryRoot(), ec);
  temporaryRoot().clear();
}

// Ends the process in the middle of the program's run: nothing more reaches the program.
[[noreturn]] void endNow(int code) {
  {
    std::lock_guard<std::mutex> lock(outputLock());
    std::fflush(stdout);
    std::fflush(stderr);
  }
  withdrawProgram();
  removeTemporaryRoot();
  std::_Exit(code);
}

[[noreturn]] void scriptError(int line, const std::string& message) {
  {
    std::lock_guard<std::mutex> lock(outputLock());
    std::fflush(stdout);
    if (line > 0)
      std::fprintf(stderr, "%s: line %d: %s\n", hostName().c_str(), line, message.c_str());
    else
      std::fprintf(stderr, "%s: %s\n", hostName().c_str(), message.c_str());
  }
  endNow(2);
}

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

class HeadlessHost final : public Host {
 public:
  HeadlessHost(script::Reader& reader, std::deque<script::Command> early, bool grey)
      : reader_(reader), early_(std::move(early)), grey_(grey) {}

  void setRandom(std::vector<int64_t> values) {
    randoms_.assign(values.begin(), values.end());
    randomIndex_ = 0;
  }
  void addEarly(script::Command c) { early_.push_back(std::move(c)); }

  void present(ScreenView s) override {
    shown_.assign(s.pixels, s.pixels + size_t(s.width) * size_t(s.height));
    shownWidth_ = s.width;
    shownHeight_ = s.height;
  }

  bool nextEvent(InputEvent& out, int timeoutMs) override {
    for (;;) {
      if (!pending_.empty()) {
        out = pending_.front();
        pending_.pop_front();
        return true;
      }
      if (followUp_) {
        FollowUp f = *followUp_;
        followUp_.reset();
        runFollowUp(f);
        continue;
      }
      std::optional<script::Command> c = nextCommand();
      if (!c) endNow(0);  // the script ran out while the program runs: a power cut
      if (!run(*c)) return false;
    }
  }

  void pause(uint32_t ms) override {
    clock_ += ms;
    logLine("sleep " + std::to_string(ms));
  }
  uint64_t milliseconds() override { return clock_; }
  uint32_t random() override {
    if (randoms_.empty()) return 1;
    size_t i = std::min(randomIndex_, randoms_.size() - 1);
    ++randomIndex_;
    return randoms_[i];
  }
  void playSound(std::vector<int16_t>, int) override {}
  void stopSound() override {}
  void note(std::string_view line) override { logLine(line); }
  void raise() override { logLine("foreground"); }
  // The headless viewer only reads the page: one it cannot read, or an empty one, is not shown.
  bool openDocument(const std::filesystem::path& file) override {
    std::ifstream page(file, std::ios::binary);
    return page.peek() != std::ifstream::traits_type::eof();
  }

 private:
  struct FollowUp {
    enum class Kind { PopupItem, DropItem } kind;
    std::string text;
    int index = 0;
    int line = 0;
  };

  std::optional<script::Command> nextCommand() {
    if (!early_.empty()) {
      script::Command c = std::move(early_.front());
      early_.pop_front();
      return c;
    }
    std::string error;
    std::optional<script::Command> c = reader_.next(error);
    if (!error.empty()) scriptError(0, error);
    return c;
  }

  void tap(POINT p) {
    stylus_.hide();
    pending_.push_back({InputEvent::Kind::StylusDown, int(p.x), int(p.y)});
    pending_.push_back({InputEvent::Kind::StylusUp, int(p.x), int(p.y)});
  }

  void key(script::Key k) {
    using K = InputEvent::Kind;
    using S = script::Key;
    auto arrow = [&](int dx, int dy, K kind) {
      if (!stylus_.arrow(dx, dy)) pending_.push_back({kind, 0, 0});
    };
    switch (k) {
      case S::Escape: pending_.push_back({K::KeyEscape, 0, 0}); return;
      case S::Enter: pending_.push_back({K::KeyEnter, 0, 0}); return;
      case S::F1: pending_.push_back({K::KeyF1, 0, 0}); return;
      case S::Up: arrow(0, -1, K::KeyUp); return;
      case S::Down: arrow(0, 1, K::KeyDown); return;
      case S::Left: arrow(-1, 0, K::KeyLeft); return;
      case S::Right: arrow(1, 0, K::KeyRight); return;
      case S::Space:
      case S::Keypad5:
        if (std::optional<POINT> p = stylus_.tapPoint()) {
          pending_.push_back({K::StylusDown, int(p->x), int(p->y)});
          pending_.push_back({K::StylusUp, int(p->x), int(p->y)});
        } else {
          stylus_.arrow(0, 0);
        }
        return;
      case S::F10:
      case S::Alt: pending_.push_back({K::KeyMenu, 0, 0}); return;
      case S::CtrlN: pending_.push_back({K::ShortcutNew, 0, 0}); return;
      case S::CtrlZ: pending_.push_back({K::ShortcutUndo, 0, 0}); return;
      case S::CtrlQ: pending_.push_back({K::CloseWindow, 0, 0}); return;
    }
  }

  POINT need(std::optional<POINT> p, int line, const std::string& what) {
    if (!p) scriptError(line, "not on screen: " + what);
    return *p;
  }

  HWND mainWindowFor(int line) {
    HWND w = automation::mainWindow();
    if (!w) scriptError(line, "the program has no main window");
    return w;
  }

  void runFollowUp(const FollowUp& f) {
    if (f.kind == FollowUp::Kind::PopupItem)
      tap(need(automation::popupMenuItem(utf16(f.text)), f.line, "pop-up menu item " + quoted(f.text)));
    else
      tap(need(automation::dropListItem(f.index), f.line, "drop-down list item " + std::to_string(f.index)));
  }

  // Carries out one command; false when the program should look at its queue before the
  // next command (a message was posted, or time went by).
  bool run(const script::Command& c) {
    using script::Op;
    switch (c.op) {
      case Op::Device:
        scriptError(c.line, "device settings must come before start");
      case Op::Start:
        scriptError(c.line, "the program is already running");
      case Op::Random:
        setRandom(c.values);
        return true;
      case Op::Tap:
        tap(POINT{LONG(c.values[0]), LONG(c.values[1])});
        return true;
      case Op::Menu:
        tap(need(automation::menuBarButton(utf16(c.texts[0])), c.line, "menu bar button " + quoted(c.texts[0])));
        followUp_ = FollowUp{FollowUp::Kind::PopupItem, c.texts[1], 0, c.line};
        return true;
      case Op::Toolbar:
        tap(need(automation::menuBarButtonById(int(c.values[0])), c.line,
                 "menu bar button with command " + std::to_string(c.values[0])));
        return true;
      case Op::Ok:
        tap(need(automation::navigationOk(), c.line, "the ok of the navigation bar"));
        return true;
      case Op::Key:
        key(c.key);
        return true;
      case Op::Click:
        if (c.id)
          tap(need(automation::dialogControl(*c.id), c.line, "control #" + std::to_string(*c.id)));
        else
          tap(need(automation::dialogControl(utf16(c.texts[0])), c.line, "control " + quoted(c.texts[0])));
        return true;
      case Op::Check: {
        std::optional<bool> state = automation::checkState(*c.id);
        if (!state) scriptError(c.line, "not on screen: check box #" + std::to_string(*c.id));
        if (*state != c.on)
          tap(need(automation::dialogControl(*c.id), c.line, "check box #" + std::to_string(*c.id)));
        return true;
      }
      case Op::Select:
        tap(need(automation::dialogControl(*c.id), c.line, "drop-down list #" + std::to_string(*c.id)));
        followUp_ = FollowUp{FollowUp::Kind::DropItem, {}, int(c.values[0]), c.line};
        return true;
      case Op::Send:
        PostMessageW(mainWindowFor(c.line), UINT(c.values[0]), WPARAM(uint32_t(c.values[1])),
                     LPARAM(int32_t(uint32_t(c.values[2]))));
        return false;
      case Op::Close:
        PostMessageW(mainWindowFor(c.line), WM_CLOSE, 0, 0);
        return false;
      case Op::Screenshot:
        screenshot(c);
        return true;
      case Op::Copy:
        copyOut(c);
        return true;
      case Op::Dump: {
        std::string text = automation::dump();
        while (!text.empty() && text.back() == '\n') text.pop_back();
        logLine(text);
        return true;
      }
      case Op::Wait:
        std::this_thread::sleep_for(std::chrono::milliseconds(c.values[0]));
        clock_ += uint64_t(c.values[0]);
        return false;
    }
    return true;
  }

  // What the device's own screen shows: at 192 dpi every program pixel is 2 x 2 here.
  void screenshot(const script::Command& c) {
    if (shown_.empty() || shownWidth_ <= 0 || shownHeight_ <= 0)
      scriptError(c.line, "the device has shown nothing yet");
    const uint32_t* pixels = shown_.data();
    std::vector<uint32_t> withCursor;
    if (std::optional<RECT> r = stylus_.outline()) {
      withCursor = shown_;
      drawStylusCursor(withCursor.data(), shownWidth_, shownHeight_, *r);
      pixels = withCursor.data();
    }
    std::string error = writePng(c.texts[0], pixels, shownWidth_, shownHeight_, grey_);
    if (!error.empty()) scriptError(c.line, error);
  }

  void copyOut(const script::Command& c) {
    std::filesystem::path from = automation::hostFile(utf16(c.texts[0]));
    std::error_code ec;
    if (from.empty() || !std::filesystem::is_regular_file(from, ec))
      scriptError(c.line, "no device file " + c.texts[0]);
    std::filesystem::copy_file(from, c.texts[1], std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) scriptError(c.line, "cannot copy " + c.texts[0] + " to " + c.texts[1] + ": " + ec.message());
  }

  script::Reader& reader_;
  std::deque<script::Command> early_;
  bool grey_;
  std::deque<InputEvent> pending_;
  std::optional<FollowUp> followUp_;
  uint64_t clock_ = 0;
  std::vector<uint32_t> randoms_;
  size_t randomIndex_ = 0;
  std::vector<uint32_t> shown_;
  KeyboardStylus stylus_;
  int shownWidth_ = 0;
  int shownHeight_ = 0;
};

void usage(const std::string& name) {
  std::printf(
      "usage: %s [--device-root DIR] [--script FILE]\n"
      "Runs the program on a virtual device driven by a script (standard input without\n"
      "--script), one command a line, and logs what happens on standard output.\n"
      "Without --device-root the device's files live in a temporary folder.\n"
      "The commands and the log are described in the manual page %s(6).\n",
      name.c_str(), name.c_str());
}

}  // namespace

int headlessMain(int argc, char** argv, ProgramEntry entry, const ModuleImage& module) {
  hostName() = std::string(module.name) + "-headless";
  std::optional<std::filesystem::path> root;
  std::optional<std::string> scriptFile;
  const std::string& name = hostName();
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-h" || a == "--help") {
      usage(name);
      return 0;
    }
    if (a == "--version") {
      std::printf("%s %s\n", name.c_str(), PK_PROGRAM_VERSION);
      return 0;
    }
    if (a == "--device-root" && i + 1 < argc) {
      root = argv[++i];
      continue;
    }
    if (a == "--script" && i + 1 < argc) {
      scriptFile = argv[++i];
      continue;
    }
    bool known = a == "--device-root" || a == "--script";
    std::fprintf(stderr, "%s: %s %s\nTry '%s --help' for more information.\n", name.c_str(),
                 known ? "missing value after" : "unknown option", a.c_str(), name.c_str());
    return 2;
  }

  std::ifstream file;
  if (scriptFile) {
    file.open(*scriptFile);
    if (!file) {
      std::fprintf(stderr, "%s: cannot read the script %s\n", hostName().c_str(), scriptFile->c_str());
      return 2;
    }
  }
  script::Reader reader(scriptFile ? static_cast<std::istream&>(file) : std::cin);

  // Up to `start`: device settings and random values apply now, anything else waits for
  // the program's first wait.
  DeviceConfig config;
  std::vector<int64_t> randoms;
  std::deque<script::Command> early;
  for (;;) {
    std::string error;
    std::optional<script::Command> c = reader.next(error);
    if (!error.empty()) {
      std::fprintf(stderr, "%s: %s\n", hostName().c_str(), error.c_str());
      return 2;
    }
    if (!c) {
      std::fprintf(stderr, "%s: the script ends before start\n", hostName().c_str());
      return 2;
    }
    if (c->op == script::Op::Start) break;
    if (c->op == script::Op::Device) {
      config.width = int(c->values[0]);
      config.height = int(c->values[1]);
      config.bits = int(c->values[2]);
      config.dpi = int(c->values[3]);
    } else if (c->op == script::Op::Random) {
      randoms = c->values;
    } else {
      early.push_back(std::move(*c));
    }
  }

  std::error_code ec;
  if (root) {
    std::filesystem::create_directories(*root, ec);
    if (ec || !std::filesystem::is_directory(*root, ec)) {
      std::fprintf(stderr, "%s: cannot use %s as the device root\n", hostName().c_str(), root->c_str());
      return 2;
    }
    config.root = *root;
  } else {
    std::string pattern = (std::filesystem::temp_directory_path(ec) / (std::string(module.name) + "-device-XXXXXX")).string();
    if (ec || !mkdtemp(pattern.data())) {
      std::fprintf(stderr, "%s: cannot make a temporary device root\n", hostName().c_str());
      return 2;
    }
    temporaryRoot() = pattern;
    config.root = pattern;
  }

  if (std::string fault = deviceFault(); !fault.empty()) {
    std::fprintf(stderr, "%s: %s\n", hostName().c_str(), fault.c_str());
    removeTemporaryRoot();
    return 1;
  }
  HeadlessHost host(reader, std::move(early), config.bits < 8);
  host.setRandom(randoms);
  int code = runProgram(host, config, entry, module);
  logLine("exit " + std::to_string(code));
  removeTemporaryRoot();
  return code;
}

}  // namespace pk
