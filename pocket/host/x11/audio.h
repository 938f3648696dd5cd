// One voice of sound through SDL: each sound replaces the one playing. SDL and the
// sound libraries it needs are loaded at the first sound, so a game played silently
// never maps them.
#pragma once
#include <chrono>
#include <cstdint>
#include <vector>

namespace pk {

class Audio {
 public:
  Audio() = default;
  Audio(const Audio&) = delete;
  Audio& operator=(const Audio&) = delete;
  ~Audio();

  void play(const std::vector<int16_t>& samples, int rate);
  void stop();
  // How long the caller may wait before `tick` has work to do (-1: nothing pending).
  int msUntilTick() const;
  // Closes the device once it has been quiet for a while, so an idle program keeps no
  // audio thread busy.
  void tick();

 private:
  struct Sdl;
  bool open();
  void close();

  const Sdl* sdl_ = nullptr;  // loaded at the first sound
  uint32_t device_ = 0;  // SDL's audio device
  struct Format {
    uint16_t format = 0;  // SDL's sample format
    uint8_t channels = 0;
    int rate = 0;
  } output_;  // what the device plays
  bool unavailable_ = false;  // no library, driver or device: sounds are silence
  std::chrono::steady_clock::time_point quietSince_{};
  bool quiet_ = false;
};

}  // namespace pk
