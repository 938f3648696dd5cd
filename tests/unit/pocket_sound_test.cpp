// The sound service: wave files, wave resources, the default sound and its log lines.
#include <gtest/gtest.h>

#include <mmsystem.h>

#include <string>

#include "pocket_fixture.h"

namespace {

std::string le(uint32_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += char(v >> (8 * i));
  return s;
}

std::string wave(uint16_t format, uint16_t channels, uint32_t rate, uint16_t bits, const std::string& data,
                 const std::string& extraChunk = "") {
  std::string fmt = le(format, 2) + le(channels, 2) + le(rate, 4) + le(rate * channels * bits / 8, 4) +
                    le(channels * bits / 8, 2) + le(bits, 2);
  std::string body = "WAVE" + extraChunk + "fmt " + le(uint32_t(fmt.size()), 4) + fmt + "data" +
                     le(uint32_t(data.size()), 4) + data;
  return "RIFF" + le(uint32_t(body.size()), 4) + body;
}

TEST(Sound, FilesPlayAsMonoWithoutCaseOrFallBack) {
  test::TempDevice dev;
  // Stereo 16-bit at the highest rate, after an odd-sized chunk, which is skipped with its pad byte.
  std::string stereo = le(1000, 2) + le(3000, 2) + le(uint16_t(-4000), 2) + le(uint16_t(-2000), 2);
  dev.write("Windows/fzrb_pop.wav", wave(1, 2, 384000, 16, stereo, "LIST" + le(3, 4) + std::string("abc\0", 4)));
  dev.write("Windows/tick.wav", wave(1, 1, 999, 8, "\x80"));
  const auto held = test::openDescriptors();
  EXPECT_TRUE(sndPlaySoundW(u"FZRB_Pop.WAV", SND_ASYNC | SND_NODEFAULT));
  EXPECT_EQ(dev.host.sounds, (std::vector<std::vector<int16_t>>{{2000, -3000}}));
  // While it plays, a sound that must not stop it is refused, and nothing else plays.
  EXPECT_FALSE(sndPlaySoundW(u"tick.wav", SND_ASYNC | SND_NOSTOP));
  EXPECT_FALSE(PlaySoundW(u"tick.wav", nullptr, SND_ASYNC | SND_NOSTOP));
  EXPECT_TRUE(sndPlaySoundW(u"\\Windows\\tick.wav", SND_SYNC | SND_NODEFAULT));
  EXPECT_EQ(dev.host.pauses, (std::vector<uint32_t>{2}));  // 1.001 ms rounded up: the caller never cuts it short
  EXPECT_FALSE(sndPlaySoundW(u"none.wav", SND_ASYNC | SND_NODEFAULT));
  EXPECT_FALSE(sndPlaySoundW(u"none.wav", SND_ASYNC));
  // Only the last call, which allows the default, adds a third sound.
  ASSERT_EQ(dev.host.sounds.size(), 3u);
  EXPECT_EQ(dev.host.sounds[2].size(), 22050u * 18 / 100);
  // The default: two tones, 880 Hz and 660 Hz for 0.09 s each, counted by where they cross zero,
  // faded in and out over 200 samples so that it does not click.
  const std::vector<int16_t>& beep = dev.host.sounds[2];
  int crossings = 0;
  for (size_t i = 1; i < beep.size(); ++i) crossings += (beep[i - 1] < 0) != (beep[i] < 0);
  EXPECT_NEAR(crossings, 2 * (880 + 660) * 0.09, 8);
  EXPECT_GT(*std::max_element(beep.begin(), beep.end()), 1000);
  EXPECT_TRUE(beep.front() == 0 && beep.back() == 0 && std::abs(beep[1]) < 50 && std::abs(beep[beep.size() - 2]) < 50);
  EXPECT_EQ(dev.host.notes, (std::vector<std::string>{"sound file FZRB_Pop.WAV played", "sound file \\Windows\\tick.wav played",
                                   "sound file none.wav missing", "sound file none.wav missing", "sound default"}));
  // No name stops what plays, so that even a sound that must not stop another plays next,
  // in the clock's first millisecond too.
  dev.host.clock = 0;
  ASSERT_TRUE(sndPlaySoundW(u"tick.wav", SND_ASYNC | SND_NODEFAULT));
  const int stops = dev.host.stops;
  EXPECT_TRUE(sndPlaySoundW(nullptr, 0) && PlaySoundW(nullptr, nullptr, 0));
  EXPECT_EQ(dev.host.stops, stops + 2);
  EXPECT_TRUE(sndPlaySoundW(u"tick.wav", SND_ASYNC | SND_NOSTOP | SND_NODEFAULT));
  dev.host.clock += 2;
  EXPECT_TRUE(sndPlaySoundW(u"tick.wav", SND_ASYNC | SND_NOSTOP | SND_NODEFAULT));
  EXPECT_EQ(test::openDescriptors(), held) << "a sound file left open";
}

TEST(Sound, ResourcesByNameWithoutCase) {
  test::TempDevice dev;
  HINSTANCE module = pk::instanceOf(pkProgramModule);
  EXPECT_TRUE(PlaySoundW(u"wav_beep", module, SND_RESOURCE | SND_ASYNC | SND_NOSTOP));  // nothing plays yet
  ASSERT_TRUE(dev.host.sounds.size() == 1 && dev.host.sounds[0].size() == 80);
  EXPECT_EQ(dev.host.sounds[0][0], (56 - 128) * 256);
  dev.host.clock = 10;  // its 80 samples at 8 kHz have just played out
  EXPECT_TRUE(PlaySoundW(u"wav_beep", module, SND_RESOURCE | SND_ASYNC | SND_NOSTOP));
  EXPECT_FALSE(PlaySoundW(u"wav_pop", module, SND_RESOURCE | SND_ASYNC));
}

// A damaged file plays what it holds, or nothing; never more than it holds. A file not
// PCM, or at a rate that cannot play, plays nothing.
TEST(Sound, DamagedFilesPlayWhatTheyHoldOrNothing) {
  test::TempDevice dev;
  const std::string fmt = le(1, 2) + le(1, 2) + le(8000, 4) + le(8000, 4) + le(1, 2) + le(8, 2), two = "\x80\xC0";
  auto riff = [](const std::string& chunks) { return "RIFF" + le(uint32_t(chunks.size() + 4), 4) + "WAVE" + chunks; };
  const std::string fmt8 = "fmt " + le(16, 4) + fmt;
  struct Case { const char* what; std::string bytes; int samples; } cases[] = {  // -1: nothing plays
      {"a data chunk longer than the file", riff(fmt8 + "data" + le(100, 4) + two), 2},
      {"an empty data chunk at the very end", riff(fmt8 + "data" + le(0, 4)), 0},
      {"a chunk header cut short", riff(fmt8 + "data" + std::string(3, '\0')), -1},
      {"a format chunk of 15 bytes", riff("fmt " + le(15, 4) + fmt + "data" + le(2, 4) + two), -1},
      {"a format chunk a byte short", riff(fmt8.substr(0, 23)), -1},
      {"data before its format", riff("data" + le(2, 4) + two + fmt8), -1},
      {"three channels", wave(1, 3, 8000, 8, "abc"), -1},
      {"an odd last chunk without its pad byte", riff(fmt8 + "LIST" + le(3, 4) + "abc"), -1},
      {"ADPCM", wave(2, 1, 8000, 16, "abcd"), -1}, {"a rate of 0", wave(1, 1, 0, 8, "ab"), -1},
      {"a rate past 384 kHz", wave(1, 1, 384001, 8, "ab"), -1},
  };
  for (const Case& c : cases) {
    dev.write("Windows/x.wav", c.bytes);
    dev.host.sounds.clear();
    EXPECT_EQ(sndPlaySoundW(u"/Windows/x.wav", SND_ASYNC | SND_NODEFAULT), c.samples >= 0) << c.what;
    EXPECT_EQ(dev.host.sounds.empty() ? -1 : int(dev.host.sounds[0].size()), c.samples) << c.what;
  }
}

}  // namespace
