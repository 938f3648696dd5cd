// One voice of sound through SDL: each sound replaces the one playing.
#pragma once
#include <cstdint>
#include <vector>

#include <SDL.h>

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
  bool open();
  void close();

  SDL_AudioDeviceID device_ = 0;
  SDL_AudioSpec output_{};
  bool unavailable_ = false;  // no driver or no device: sounds are silence
  uint32_t quietSince_ = 0;
};

}  // namespace pk
