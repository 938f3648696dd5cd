#include "audio.h"

#include <SDL.h>
#include <dlfcn.h>

#include "quiet.h"

namespace pk {
namespace {

constexpr auto kKeepOpen = std::chrono::milliseconds(3000);

}  // namespace

// The SDL calls the sound needs, looked up in the library loaded at the first sound.
struct Audio::Sdl {
#define PK_SDL_CALLS(X)                                                                                  \
  X(SDL_WasInit) X(SDL_InitSubSystem) X(SDL_QuitSubSystem) X(SDL_OpenAudioDevice) X(SDL_CloseAudioDevice) \
  X(SDL_ClearQueuedAudio) X(SDL_QueueAudio) X(SDL_GetQueuedAudioSize) X(SDL_PauseAudioDevice)            \
  X(SDL_NewAudioStream) X(SDL_AudioStreamPut) X(SDL_AudioStreamFlush) X(SDL_AudioStreamAvailable)       \
  X(SDL_AudioStreamGet) X(SDL_FreeAudioStream)
#define PK_SDL_FIELD(name) decltype(&::name) name = nullptr;
  PK_SDL_CALLS(PK_SDL_FIELD)
#undef PK_SDL_FIELD

  static const Sdl* load() {
    static Sdl sdl;
    static bool tried = false;
    if (tried) return sdl.SDL_WasInit ? &sdl : nullptr;
    tried = true;
    void* lib = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return nullptr;
    Sdl found;
    bool complete = true;
#define PK_SDL_LOOK_UP(name)                                                  \
  found.name = reinterpret_cast<decltype(&::name)>(dlsym(lib, #name)); \
  complete = complete && found.name;
    PK_SDL_CALLS(PK_SDL_LOOK_UP)
#undef PK_SDL_LOOK_UP
    if (!complete) return nullptr;
    sdl = found;
    return &sdl;
  }
};

Audio::~Audio() {
  close();
  if (sdl_ && sdl_->SDL_WasInit(SDL_INIT_AUDIO)) sdl_->SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool Audio::open() {
  if (device_) return true;
  if (unavailable_) return false;
  // Audio back ends print their own complaints when there is no sound server; a game
  // without sound is no reason to fill the terminal.
  QuietStderr quiet;
  if (!sdl_) sdl_ = Sdl::load();
  if (!sdl_ || (!sdl_->SDL_WasInit(SDL_INIT_AUDIO) && sdl_->SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)) {
    unavailable_ = true;
    return false;
  }
  SDL_AudioSpec want{}, got{};
  want.freq = 22050;
  want.format = AUDIO_S16SYS;
  want.channels = 1;
  want.samples = 1024;
  static_assert(sizeof(SDL_AudioDeviceID) == sizeof(device_), "Audio keeps SDL's device id");
  device_ = sdl_->SDL_OpenAudioDevice(nullptr, 0, &want, &got, SDL_AUDIO_ALLOW_ANY_CHANGE);
  if (!device_) {
    sdl_->SDL_QuitSubSystem(SDL_INIT_AUDIO);
    unavailable_ = true;
    return false;
  }
  output_ = Format{got.format, got.channels, got.freq};
  return true;
}

void Audio::close() {
  if (!device_) return;
  sdl_->SDL_CloseAudioDevice(device_);
  device_ = 0;
}

void Audio::play(const std::vector<int16_t>& samples, int rate) {
  if (samples.empty() || rate <= 0 || !open()) return;
  sdl_->SDL_ClearQueuedAudio(device_);
  SDL_AudioStream* stream =
      sdl_->SDL_NewAudioStream(AUDIO_S16SYS, 1, rate, output_.format, output_.channels, output_.rate);
  if (!stream) return;
  std::vector<uint8_t> out;
  if (sdl_->SDL_AudioStreamPut(stream, samples.data(), int(samples.size() * sizeof(int16_t))) == 0 &&
      sdl_->SDL_AudioStreamFlush(stream) == 0) {
    out.resize(size_t(sdl_->SDL_AudioStreamAvailable(stream)));
    int got = sdl_->SDL_AudioStreamGet(stream, out.data(), int(out.size()));
    out.resize(got > 0 ? size_t(got) : 0);
  }
  sdl_->SDL_FreeAudioStream(stream);
  if (out.empty()) return;
  sdl_->SDL_QueueAudio(device_, out.data(), uint32_t(out.size()));
  sdl_->SDL_PauseAudioDevice(device_, 0);
  quiet_ = false;
}

void Audio::stop() {
  if (device_) sdl_->SDL_ClearQueuedAudio(device_);
}

int Audio::msUntilTick() const {
  if (!device_) return -1;
  uint32_t queued = sdl_->SDL_GetQueuedAudioSize(device_);
  if (queued > 0) {
    uint32_t frame = uint32_t(SDL_AUDIO_BITSIZE(output_.format) / 8) * output_.channels;
    uint32_t rate = output_.rate > 0 ? uint32_t(output_.rate) : 1;
    return int(uint64_t(queued) * 1000 / (uint64_t(frame ? frame : 1) * rate)) + 20;
  }
  if (!quiet_) return 0;
  auto left = kKeepOpen - (std::chrono::steady_clock::now() - quietSince_);
  return left <= left.zero() ? 0 : int(std::chrono::duration_cast<std::chrono::milliseconds>(left).count()) + 1;
}

void Audio::tick() {
  if (!device_) return;
  if (sdl_->SDL_GetQueuedAudioSize(device_) > 0) {
    quiet_ = false;
    return;
  }
  auto now = std::chrono::steady_clock::now();
  if (!quiet_) {
    quiet_ = true;
    quietSince_ = now;
    return;
  }
  if (now - quietSince_ >= kKeepOpen) close();
}

}  // namespace pk
