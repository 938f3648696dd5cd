// A host driven by a script, shared by the headless device and the browser's test mode.
// Commands after `start` are carried out when the program waits for input, so a script
// reads as a sequence of things a person does between the program's reactions.
#pragma once
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <pocket/host.h>

#include "script.h"

namespace pk::script {

// What the lines up to `start` set: device settings and random values apply at once,
// other commands wait for the program's first wait.
struct Prelude {
  DeviceConfig config;
  std::vector<int64_t> randoms;
  std::deque<Command> early;
};

// Reads up to and including `start`. Returns an error message, or an empty string.
std::string readPrelude(Reader& reader, Prelude& out);

// A virtual clock whose pauses return at once and are logged, scripted random numbers,
// and the script's commands as input. The concrete host says where the log goes and how
// the run ends.
class ScriptedHost : public Host {
 public:
  ScriptedHost(Reader& reader, Prelude prelude);

  void present(ScreenView s) override;
  bool nextEvent(InputEvent& out, int timeoutMs) override;
  void pause(uint32_t ms) override;
  uint64_t milliseconds() override { return clock_; }
  uint32_t random() override;
  void playSound(std::vector<int16_t>, int) override {}
  void stopSound() override {}
  void note(std::string_view line) override { log(line); }
  void raise() override { log("foreground"); }
  // The scripted viewer only reads the page: one it cannot read, or an empty one, is not shown.
  bool openDocument(const std::filesystem::path& file) override;

  // Runs the program to its end and logs its exit code.
  int run(ProgramEntry entry, const ModuleImage& module);

 protected:
  // One event of the log.
  virtual void log(std::string_view line) = 0;
  // Ends the run where it stands: 0 when the script ran out (a power cut), 2 for a script
  // error with its message (and the line it is about, when known).
  [[noreturn]] virtual void stop(int code, int line, const std::string& message) = 0;
  // `screenshot FILE` and `copy DEVICEPATH HOSTPATH`; an error message, or empty.
  virtual std::string screenshot(const std::string& file, ScreenView screen) = 0;
  virtual std::string copyOut(const std::string& devicePath, const std::string& hostFile) = 0;
  // `wait MS`: real time passes (the virtual clock moves on too).
  virtual void waitReal(uint32_t ms) = 0;

  const DeviceConfig& config() const { return config_; }

 private:
  struct FollowUp {
    enum class Kind { PopupItem, DropItem } kind;
    std::string text;
    int index = 0;
    int line = 0;
  };

  std::optional<Command> nextCommand();
  void tap(POINT p);
  void key(Key k);
  POINT need(std::optional<POINT> p, int line, const std::string& what);
  HWND mainWindowFor(int line);
  void runFollowUp(const FollowUp& f);
  bool carryOut(const Command& c);

  Reader& reader_;
  DeviceConfig config_;
  std::deque<Command> early_;
  std::deque<InputEvent> pending_;
  std::optional<FollowUp> followUp_;
  uint64_t clock_ = 0;
  std::vector<uint32_t> randoms_;
  size_t randomIndex_ = 0;
  KeyboardStylus stylus_;
  std::vector<uint32_t> shown_;
  int shownWidth_ = 0;
  int shownHeight_ = 0;
};

}  // namespace pk::script
