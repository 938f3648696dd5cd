// The device's sound service: wave files and wave resources through the host's
// one voice. Every request leaves a line in the host's log.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include <mmsystem.h>
#include <windows.h>

#include "system/device.h"
#include "system/hostos.h"
#include "system/resource.h"

namespace {

using pk::le16;
using pk::le32;
namespace hostos = pk::hostos;

struct Wave {
  std::vector<int16_t> samples;  // mono
  int rate = 0;
};

// A RIFF WAVE of PCM samples, 8 or 16 bits, one or two channels, any rate.
std::optional<Wave> decode(const unsigned char* data, size_t size) {
  if (!data || size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
    return std::nullopt;
  uint32_t channels = 0, rate = 0, bits = 0, format = 0;
  bool haveFormat = false;
  size_t at = 12;
  while (at + 8 <= size) {  // an odd last chunk without its pad byte leaves at past the end
    const unsigned char* chunk = data + at;
    uint32_t length = le32(chunk + 4);
    size_t body = at + 8;
    size_t available = size - body;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (length < 16 || available < 16) return std::nullopt;
      format = le16(chunk + 8);
      channels = le16(chunk + 10);
      rate = le32(chunk + 12);
      bits = le16(chunk + 22);
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat || format != 1 || (channels != 1 && channels != 2) || (bits != 8 && bits != 16) ||
          rate == 0 || rate > 384000)
        return std::nullopt;
      // A data chunk longer than the file plays what the file holds.
      size_t bytes = std::min<size_t>(length, available);
      size_t frameBytes = channels * (bits / 8);
      size_t frames = bytes / frameBytes;
      Wave w;
      w.rate = int(rate);
      w.samples.reserve(frames);
      const unsigned char* p = data + body;
      for (size_t i = 0; i < frames; ++i, p += frameBytes) {
        int sum = 0;
        for (uint32_t c = 0; c < channels; ++c)
          sum += bits == 8 ? (int(p[c]) - 128) * 256 : int(int16_t(uint16_t(le16(p + 2 * c))));
        w.samples.push_back(int16_t(sum / int(channels)));
      }
      return w;
    }
    if (length > available) break;
    at = body + length + (length & 1);  // chunks are padded to even sizes
  }
  return std::nullopt;
}

std::optional<Wave> readWaveFile(const std::filesystem::path& file) {
  std::error_code ec;
  // file_size refuses a missing file, a folder and anything else that is not a regular file.
  auto size = std::filesystem::file_size(file, ec);
  if (ec || size > (64u << 20)) return std::nullopt;
  hostos::Error error;
  hostos::File in = hostos::openExisting(file, true, false, error);
  if (in == hostos::kNoFile) return std::nullopt;
  std::vector<unsigned char> bytes(size);
  size_t got = 0;
  for (long long n = 1; got < bytes.size() && n > 0; got += size_t(std::max(0LL, n)))
    n = hostos::read(in, bytes.data() + got, bytes.size() - got, error);
  hostos::close(in, false);
  if (got != bytes.size()) return std::nullopt;
  return decode(bytes.data(), bytes.size());
}

// The platform's default sound: a short two-tone beep.
Wave defaultSound() {
  Wave w;
  w.rate = 22050;
  const int n = w.rate * 18 / 100;
  for (int i = 0; i < n; ++i) {
    double t = double(i) / w.rate;
    double freq = i < n / 2 ? 880.0 : 660.0;
    double edge = std::min(1.0, std::min(i, n - 1 - i) / 200.0);  // no clicks at the ends
    w.samples.push_back(int16_t(std::lround(9000.0 * edge * std::sin(2.0 * std::numbers::pi * freq * t))));
  }
  return w;
}

bool stillPlaying() {
  pk::Host* host = pk::device().host;
  return host && host->milliseconds() < pk::device().soundEnds;
}

void play(Wave w, UINT flags) {
  pk::Host* host = pk::device().host;
  if (!host) return;
  uint32_t ms = uint32_t((uint64_t(w.samples.size()) * 1000 + uint64_t(w.rate) - 1) / uint64_t(w.rate));
  host->playSound(std::move(w.samples), w.rate);
  pk::device().soundEnds = host->milliseconds() + ms;
  if (!(flags & SND_ASYNC)) host->pause(ms);
}

void stop() {
  if (pk::Host* host = pk::device().host) host->stopSound();
  pk::device().soundEnds = 0;
}

// The outcome shared by both calls: the sound plays, or the default does (unless
// the caller said not to) and the call fails.
BOOL finish(std::optional<Wave> wave, const std::string& what, DWORD flags) {
  if (wave) {
    pk::note(what + " played");
    play(std::move(*wave), flags);
    return TRUE;
  }
  pk::note(what + " missing");
  if (!(flags & SND_NODEFAULT)) {
    pk::note("sound default");
    play(defaultSound(), flags);
  }
  return FALSE;
}

BOOL playFile(LPCWSTR name, DWORD flags) {
  std::u16string given(name);
  // A bare name is one of the device's system sounds in \Windows.
  std::u16string path = !given.empty() && (given[0] == u'\\' || given[0] == u'/') ? given : u"\\Windows\\" + given;
  std::optional<Wave> wave = given.empty() ? std::nullopt : readWaveFile(pk::hostPath(path));
  return finish(std::move(wave), "sound file " + pk::utf8(given), flags);
}

}  // namespace

BOOL sndPlaySoundW(LPCWSTR soundName, UINT flags) {
  if (!soundName) {
    stop();
    return TRUE;
  }
  if ((flags & SND_NOSTOP) && stillPlaying()) return FALSE;
  return playFile(soundName, flags);
}

BOOL PlaySoundW(LPCWSTR soundName, HMODULE module, DWORD flags) {
  if (!soundName) {
    stop();
    return TRUE;
  }
  if ((flags & SND_NOSTOP) && stillPlaying()) return FALSE;
  if ((flags & SND_RESOURCE) != SND_RESOURCE) return playFile(soundName, flags);
  // Appended, not "#" + string: GCC 12 at -O2 warns falsely (-Wrestrict) on that.
  std::string shown = IS_INTRESOURCE(soundName) ? std::string("#") : pk::utf8(soundName);
  if (IS_INTRESOURCE(soundName)) shown += std::to_string(reinterpret_cast<uintptr_t>(soundName));
  std::optional<Wave> wave;
  if (auto data = pk::findResourceData(module, soundName, u"WAVE")) wave = decode(data->data, data->size);
  return finish(std::move(wave), "sound resource " + shown, flags);
}
