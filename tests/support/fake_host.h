// A host for unit tests: scripted input, a virtual clock, and a record of
// what the layer showed, paused, played and noted.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include <windows.h>
#include <pocket/host.h>

namespace test {

class FakeHost : public pk::Host {
 public:
  std::deque<pk::InputEvent> events;
  std::vector<uint32_t> pauses;
  std::vector<std::string> notes;
  std::vector<uint32_t> randoms{1};
  size_t randomIndex = 0;
  uint64_t clock = 0;
  int presents = 0;
  int raises = 0;
  std::vector<std::vector<int16_t>> sounds;
  std::vector<std::filesystem::path> documents;
  bool documentsOpen = true;

  void present(pk::ScreenView) override { ++presents; }
  bool nextEvent(pk::InputEvent& out, int timeoutMs) override {
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
  uint32_t random() override {
    uint32_t v = randoms[std::min(randomIndex, randoms.size() - 1)];
    ++randomIndex;
    return v;
  }
  void playSound(std::vector<int16_t> samples, int) override { sounds.push_back(std::move(samples)); }
  void stopSound() override {}
  void note(std::string_view line) override { notes.emplace_back(line); }
  void raise() override { ++raises; }
  bool openDocument(const std::filesystem::path& file) override {
    documents.push_back(file);
    return documentsOpen;
  }

  void tap(int x, int y) {
    events.push_back({pk::InputEvent::Kind::StylusDown, x, y});
    events.push_back({pk::InputEvent::Kind::StylusUp, x, y});
  }
};

}  // namespace test
