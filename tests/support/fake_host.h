// A host for unit tests: scripted input, a virtual clock, and a record of
// what the layer paused, played and noted.
#pragma once
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>
#include <pocket/automation.h>
#include <pocket/host.h>

namespace test {

// A new empty folder under the system's temporary folder.
inline std::filesystem::path freshRoot() {
  std::string pattern = (std::filesystem::temp_directory_path() / "fztest-XXXXXX").string();
  return mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : std::filesystem::path();
}

class FakeHost : public pk::Host {
 public:
  std::deque<pk::InputEvent> events;
  // Run when the program waits with nothing queued, so a step sees the screen just drawn.
  // A step returns false while what it needs is not up yet, and stays first in line.
  std::deque<std::function<bool()>> steps;
  std::vector<uint32_t> pauses;
  std::vector<std::string> notes, troubles;  // troubles: what the person must act on, "" once over
  std::vector<uint32_t> randoms{1};
  size_t randomIndex = 0;
  uint64_t clock = 0;
  std::vector<std::vector<int16_t>> sounds;

  void present(pk::ScreenView) override {}
  bool nextEvent(pk::InputEvent& out, int timeoutMs) override {
    while (events.empty() && !steps.empty() && steps.front()()) {
      steps.pop_front();
      if (events.empty() && timeoutMs >= 0) break;  // a step that queues nothing lets time pass
    }
    if (!events.empty()) {
      out = events.front();
      events.pop_front();
      return true;
    }
    if (timeoutMs < 0) {
      // Nothing will ever come: end the loop that waits instead of hanging the test.
      PostQuitMessage(-1);
      return false;
    }
    clock += uint64_t(timeoutMs);
    return false;
  }
  void pause(uint32_t ms) override {
    pauses.push_back(ms);
    clock += ms;
  }
  uint64_t milliseconds() override { return clock; }
  uint32_t random() override { return randoms[std::min(randomIndex++, randoms.size() - 1)]; }
  void playSound(std::vector<int16_t> samples, int) override { sounds.push_back(std::move(samples)); }
  int stops = 0;
  void stopSound() override { ++stops; }
  int fileChanges = 0;
  void filesChanged() override { ++fileChanges; }
  void note(std::string_view line) override { notes.emplace_back(line); }
  void trouble(std::string_view text) override { troubles.emplace_back(text); }
  std::vector<std::filesystem::path> opened;
  bool openDocument(const std::filesystem::path& file) override { return opened.push_back(file), true; }

  // Steps that always run to the end, one per wait.
  void script(std::vector<std::function<void()>> actions) {
    steps.clear();
    for (auto& a : actions) steps.push_back([a] { return a(), true; });
  }
  void tap(int x, int y) {
    events.push_back({pk::InputEvent::Kind::StylusDown, x, y});
    events.push_back({pk::InputEvent::Kind::StylusUp, x, y});
  }
  bool tapAt(std::optional<POINT> p) {
    if (p) tap(p->x, p->y);
    return p.has_value();
  }
  bool tapControl(std::u16string_view text) { return tapAt(pk::automation::dialogControl(text)); }
  void key(pk::InputEvent::Kind k) { events.push_back({k, 0, 0}); }
};

}  // namespace test
