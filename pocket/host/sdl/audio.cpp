#include "audio.h"

#include "quiet.h"

namespace pk {
namespace {

constexpr uint32_t kKeepOpenMs = 3000;

}  // namespace

Audio::~Audio() { close(); }

bool Audio::open() {
  if (device_) return true;
  if (unavailable_) return false;
  // Audio back ends print their own complaints when there is no sound server; a game
  // without sound is no reason to fill the terminal.
  QuietStderr quiet;
  if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    unavailable_ = true;
    return false;
  }
  SDL_AudioSpec want{};
  want.freq = 22050;
  want.format = AUDIO_S16SYS;
  want.channels = 1;
  want.samples = 1024;
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &output_, SDL_AUDIO_ALLOW_ANY_CHANGE);
  if (!device_) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    unavailable_ = true;
    return false;
  }
  return true;
}

void Audio::close() {
  if (!device_) return;
  SDL_CloseAudioDevice(device_);
  device_ = 0;
}

void Audio::play(const std::vector<int16_t>& samples, int rate) {
  if (samples.empty() || rate <= 0 || !open()) return;
  SDL_ClearQueuedAudio(device_);
  SDL_AudioStream* stream =
      SDL_NewAudioStream(AUDIO_S16SYS, 1, rate, output_.format, output_.channels, output_.freq);
  if (!stream) return;
  std::vector<uint8_t> out;
  if (SDL_AudioStreamPut(stream, samples.data(), int(samples.size() * sizeof(int16_t))) == 0 &&
      SDL_AudioStreamFlush(stream) == 0) {
    out.resize(size_t(SDL_AudioStreamAvailable(stream)));
    int got = SDL_AudioStreamGet(stream, out.data(), int(out.size()));
    out.resize(got > 0 ? size_t(got) : 0);
  }
  SDL_FreeAudioStream(stream);
  if (out.empty()) return;
  SDL_QueueAudio(device_, out.data(), uint32_t(out.size()));
  SDL_PauseAudioDevice(device_, 0);
  quietSince_ = 0;
}

void Audio::stop() {
  if (device_) SDL_ClearQueuedAudio(device_);
}

int Audio::msUntilTick() const {
  if (!device_) return -1;
  uint32_t queued = SDL_GetQueuedAudioSize(device_);
  if (queued > 0) {
    uint32_t frame = uint32_t(SDL_AUDIO_BITSIZE(output_.format) / 8) * output_.channels;
    uint32_t rate = output_.freq > 0 ? uint32_t(output_.freq) : 1;
    return int(uint64_t(queued) * 1000 / (uint64_t(frame ? frame : 1) * rate)) + 20;
  }
  if (!quietSince_) return 0;
  uint32_t quiet = SDL_GetTicks() - quietSince_;
  return quiet >= kKeepOpenMs ? 0 : int(kKeepOpenMs - quiet);
}

void Audio::tick() {
  if (!device_) return;
  if (SDL_GetQueuedAudioSize(device_) > 0) {
    quietSince_ = 0;
    return;
  }
  if (!quietSince_) {
    quietSince_ = SDL_GetTicks();
    if (!quietSince_) quietSince_ = 1;
    return;
  }
  if (SDL_GetTicks() - quietSince_ >= kKeepOpenMs) close();
}

}  // namespace pk
