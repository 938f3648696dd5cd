#include "web.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <pocket/interactive.h>
#include <script/runner.h>

// The page's side (pocket.js). Those that wait return to the program only when the page
// has something for it; the program's stack is kept meanwhile (Asyncify).
// The page starts the program once it has the script to run, or holds this browser
// profile's lock and has read the files kept from the last visit.
extern "C" {
// With ?script=NAME: its name, and its text (malloc'd) or 0 when it could not be read.
// Without: -1.
intptr_t pk_web_script(char* name, int size);
void pk_web_root(char* folder, int size);       // where the kept files are
void pk_web_persist();                          // waits until the files are stored
int pk_web_wait(int timeoutMs);                 // waits; 1 when input is there
int pk_web_take(int* event);                    // kind, x, y
void pk_web_sleep(int ms);                      // waits
void pk_web_halt();                             // waits for ever
double pk_web_now();
int pk_web_clock();        // local time of day, in minutes after midnight
int pk_web_minute_left();  // milliseconds until the local clock's next minute
uint32_t pk_web_random();
// Rows top..top+rows of a width x height screen, as bytes R, G, B, A.
void pk_web_present(const uint32_t* rgba, int width, int height, int top, int rows);
void pk_web_play(const int16_t* samples, int count, int rate);
void pk_web_stop();
int pk_web_open(const char* name);
void pk_web_log(const char* line);
void pk_web_fail(const char* message);  // on the console and the page
void pk_web_show(const char* text);     // on the page
}

namespace pk {
namespace {

constexpr const char* kShipped = "/shipped/Windows";

// What the page sends for a key (pocket.js): this, with the key's number in x.
constexpr int kPageKey = 100;
static_assert(int(Key::Escape) == 0 && int(Key::Enter) == 1 && int(Key::F1) == 2 && int(Key::Up) == 3 &&
                  int(Key::Down) == 4 && int(Key::Left) == 5 && int(Key::Right) == 6 && int(Key::Space) == 7 &&
                  int(Key::Menu) == 8 && int(Key::CtrlN) == 9 && int(Key::CtrlZ) == 10,
              "pocket.js sends keys by these numbers");
static_assert(int(InputEvent::Kind::StylusDown) == 0 && int(InputEvent::Kind::StylusUp) == 1 &&
                  int(InputEvent::Kind::StylusMove) == 2,
              "pocket.js sends the stylus by these numbers");

// The canvas takes bytes R, G, B, A. Reordered here, in compiled code: a loop in the page's
// script runs interpreted the first time, when it would hold up the first frame. A band of
// rows at a time, as the canvas copies each: fresh memory costs the first frame more than
// the extra calls (a page fault for every 4 KB of a second screen).
void toCanvas(uint32_t* band, int width, int height, int top, int rows) {
  for (size_t i = 0, n = size_t(rows) * size_t(width); i < n; ++i) {
    uint32_t p = band[i];
    band[i] = 0xFF000000u | (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF);
  }
  pk_web_present(band, width, height, top, rows);
}

// The canvas is the device screen, pixel for pixel; the page scales it.
class PageHost final : public InteractiveHost {
 public:
  explicit PageHost(const DeviceConfig& c) : InteractiveHost(c.width, c.height, c.width, c.height, Screen::Borrowed) {}

  int clockMinutes() override { return pk_web_clock(); }
  void pause(uint32_t ms) override { pk_web_sleep(int(ms)); }
  uint64_t milliseconds() override { return uint64_t(pk_web_now()); }
  uint32_t random() override { return pk_web_random(); }
  void playSound(std::vector<int16_t> samples, int rate) override {
    pk_web_play(samples.data(), int(samples.size()), rate);
  }
  void stopSound() override { pk_web_stop(); }
  void filesChanged() override { filesChanged_ = true; }
  bool openDocument(const std::filesystem::path& file) override {
    return pk_web_open(file.filename().string().c_str()) != 0;
  }

 private:
  bool waitForEvents(int timeoutMs) override {
    bool got = false;
    int e[3];
    while (pk_web_take(e)) {
      got = true;
      using K = InputEvent::Kind;
      switch (e[0]) {
        case kPageKey: keyPressed(Key(e[1])); break;
        case int(K::StylusDown): stylusDown(e[1], e[2]); break;
        case int(K::StylusMove): stylusMove(e[1], e[2]); break;
        case int(K::StylusUp): stylusUp(e[1], e[2]); break;
        default: break;
      }
    }
    if (got) return true;
    // Whatever was saved is in the browser's storage before the next input is handled.
    if (filesChanged_) {
      filesChanged_ = false;
      pk_web_persist();
    }
    return pk_web_wait(timeoutMs) != 0;
  }
  void showBand(uint32_t* pixels, int width, int top, int rows) override {
    toCanvas(pixels, width, windowHeight(), top, rows);
  }
  int msToNextMinute() override { return pk_web_minute_left(); }

  bool filesChanged_ = false;
};

// The headless device's script mode; the log goes to the console, and the run stops where
// it stands (the page stays as it is).
class ScriptPageHost final : public script::ScriptedHost {
 public:
  using ScriptedHost::ScriptedHost;

  void present(ScreenView s) override {
    ScriptedHost::present(s);
    presentScaled(s, s.width, s.height, std::nullopt, band_,
                  [&](uint32_t* pixels, int width, int top, int rows) { toCanvas(pixels, width, s.height, top, rows); });
  }

 protected:
  void log(std::string_view line) override { pk_web_log(std::string(line).c_str()); }

  [[noreturn]] void stop(int code, int line, const std::string& message) override {
    if (code == 0)
      pk_web_log("end of script");
    else
      pk_web_fail((line > 0 ? "line " + std::to_string(line) + ": " + message : message).c_str());
    for (;;) pk_web_halt();
  }

  // The browser keeps no host files: accepted, and nothing is written.
  std::string screenshot(const std::string&, ScreenView) override { return {}; }
  std::string copyOut(const std::string&, const std::string&) override { return {}; }
  void waitReal(uint32_t ms) override { pk_web_sleep(int(ms)); }

 private:
  std::vector<uint32_t> band_;
};

int runScript(const std::string& name, char* script, ProgramEntry entry, const ModuleImage& module) {
  std::unique_ptr<char, decltype(&free)> text(script, free);
  if (!text) {
    pk_web_fail(("cannot read the script " + name).c_str());
    return 2;
  }
  // A memory stream refuses an empty buffer; a lone blank line reads the same.
  char blank[] = "\n";
  size_t size = strlen(text.get());
  std::unique_ptr<FILE, int (*)(FILE*)> in(fmemopen(size ? text.get() : blank, size ? size : 1, "r"), fclose);
  if (!in) {
    pk_web_fail(("cannot read the script " + name).c_str());
    return 2;
  }
  script::Reader reader(in.get());
  script::Prelude prelude;
  if (std::string error = script::readPrelude(reader, prelude); !error.empty()) {
    pk_web_fail(error.c_str());
    return 2;
  }
  char root[] = "/tmp/device-XXXXXX";
  if (!mkdtemp(root)) {
    pk_web_fail("cannot make a temporary device root");
    return 2;
  }
  prelude.config.root = root;
  prelude.config.shipped = kShipped;
  ScriptPageHost host(reader, std::move(prelude));
  return host.run(entry, module);
}

}  // namespace

int webMain(ProgramEntry entry, const ModuleImage& module) {
  char name[256];
  intptr_t script = pk_web_script(name, sizeof name);
  if (script >= 0) return runScript(name, reinterpret_cast<char*>(script), entry, module);

  char root[256];
  pk_web_root(root, sizeof root);
  DeviceConfig config;
  config.root = root;
  config.shipped = kShipped;
  PageHost host(config);
  int code = runProgram(host, config, entry, module);
  pk_web_show("The game has closed. Reload the page to start it again.");
  return code;
}

}  // namespace pk
