// The sound service: wave files of the device, wave resources, the default
// sound, and the log lines each request leaves.
#include <gtest/gtest.h>

#include <mmsystem.h>

#include <string>

#include "pocket_files_tempdevice.h"
#include "resource.h"

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

std::string samples16(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += le(uint32_t(uint16_t(int16_t(v))), 2);
  return s;
}

class Sound : public ::testing::Test {
 protected:
  test::TempDevice dev;
  HINSTANCE module = pk::instanceOf(pkProgramModule);
};

TEST_F(Sound, AFileOfTheWindowsFolderPlaysAsMono16Bit) {
  // Stereo 16-bit with an odd-sized chunk before the format, which must be skipped with its pad byte.
  dev.write("Windows/fzrb_pop.wav",
            wave(1, 2, 11025, 16, samples16({1000, 3000, -4000, -2000, 32767, 32767}), "LIST" + le(3, 4) + std::string("abc\0", 4)));
  EXPECT_TRUE(sndPlaySoundW(u"fzrb_pop.wav", SND_ASYNC | SND_NODEFAULT));
  ASSERT_EQ(dev.host.sounds.size(), 1u);
  EXPECT_EQ(dev.host.sounds[0], (std::vector<int16_t>{2000, -3000, 32767}));
  EXPECT_EQ(dev.host.notes, (std::vector<std::string>{"sound file fzrb_pop.wav played"}));
  EXPECT_TRUE(dev.host.pauses.empty());  // asynchronous: the caller never waits
}

TEST_F(Sound, FileNamesAreMatchedWithoutCaseAndDevicePathsAreTakenAsGiven) {
  dev.write("Windows/fzrb_undo.wav", wave(1, 1, 8000, 8, std::string("\x80\xFF\x00", 3)));
  dev.write("Sounds/own.wav", wave(1, 1, 8000, 8, std::string("\x80", 1)));
  EXPECT_TRUE(sndPlaySoundW(u"FZRB_Undo.WAV", SND_ASYNC | SND_NODEFAULT));
  EXPECT_TRUE(sndPlaySoundW(u"\\Sounds\\own.wav", SND_ASYNC | SND_NODEFAULT));
  EXPECT_FALSE(sndPlaySoundW(u"own.wav", SND_ASYNC | SND_NODEFAULT));  // bare names look in \Windows only
  ASSERT_EQ(dev.host.sounds.size(), 2u);
  EXPECT_EQ(dev.host.sounds[0], (std::vector<int16_t>{0, 127 * 256, -128 * 256}));
  EXPECT_EQ(dev.host.notes[0], "sound file FZRB_Undo.WAV played");
  EXPECT_EQ(dev.host.notes[1], "sound file \\Sounds\\own.wav played");
  EXPECT_EQ(dev.host.notes[2], "sound file own.wav missing");
}

TEST_F(Sound, AMissingFileFallsBackToTheDefaultUnlessToldNot) {
  EXPECT_FALSE(sndPlaySoundW(u"fzrb_pop.wav", SND_ASYNC | SND_NODEFAULT));
  EXPECT_TRUE(dev.host.sounds.empty());
  EXPECT_EQ(dev.host.notes, (std::vector<std::string>{"sound file fzrb_pop.wav missing"}));

  dev.host.notes.clear();
  EXPECT_FALSE(sndPlaySoundW(u"Critical_none.wav", SND_ASYNC));
  EXPECT_EQ(dev.host.notes, (std::vector<std::string>{"sound file Critical_none.wav missing", "sound default"}));
  ASSERT_EQ(dev.host.sounds.size(), 1u);
  const auto& beep = dev.host.sounds[0];
  EXPECT_GT(beep.size(), 1000u);
  int16_t loudest = 0;
  for (int16_t s : beep) loudest = std::max<int16_t>(loudest, int16_t(std::abs(s)));
  EXPECT_GT(loudest, 1000);  // something to hear
}

TEST_F(Sound, UnplayableFilesCountAsMissing) {
  const std::pair<const char*, std::string> bad[] = {
      {"adpcm.wav", wave(2, 1, 8000, 4, "abcd")},
      {"deep.wav", wave(1, 1, 8000, 24, "abcdef")},
      {"many.wav", wave(1, 6, 8000, 16, "abcdefghijkl")},
      {"norate.wav", wave(1, 1, 0, 8, "ab")},
      {"text.wav", "just some text, not a sound"},
      {"short.wav", "RIFF"},
      {"nodata.wav", wave(1, 1, 8000, 8, "").substr(0, 36)},
  };
  for (auto& [name, bytes] : bad) dev.write(std::string("Windows/") + name, bytes);
  for (auto& [name, bytes] : bad) {
    std::u16string wide = pk::utf16(name);
    EXPECT_FALSE(sndPlaySoundW(wide.c_str(), SND_ASYNC | SND_NODEFAULT)) << name;
    EXPECT_EQ(dev.host.notes.back(), std::string("sound file ") + name + " missing");
  }
  EXPECT_TRUE(dev.host.sounds.empty());
  // A data chunk that claims more than the file holds plays what is there.
  std::string cut = wave(1, 1, 8000, 8, std::string(10, '\x90'));
  dev.write("Windows/cut.wav", cut.substr(0, cut.size() - 4));
  EXPECT_TRUE(sndPlaySoundW(u"cut.wav", SND_ASYNC | SND_NODEFAULT));
  ASSERT_EQ(dev.host.sounds.size(), 1u);
  EXPECT_EQ(dev.host.sounds[0].size(), 6u);
}

TEST_F(Sound, SynchronousSoundsWaitForTheirLength) {
  dev.write("Windows/tick.wav", wave(1, 1, 8000, 8, std::string(800, '\x80')));
  EXPECT_TRUE(sndPlaySoundW(u"tick.wav", SND_SYNC | SND_NODEFAULT));
  EXPECT_EQ(dev.host.pauses, (std::vector<uint32_t>{100}));
  EXPECT_TRUE(PlaySoundW(u"WAV_BEEP", module, SND_RESOURCE));
  EXPECT_EQ(dev.host.pauses, (std::vector<uint32_t>{100, 10}));
}

TEST_F(Sound, ResourceWavesByNameWithoutCase) {
  EXPECT_TRUE(PlaySoundW(u"wav_beep", module, SND_RESOURCE | SND_ASYNC));
  ASSERT_EQ(dev.host.sounds.size(), 1u);
  ASSERT_EQ(dev.host.sounds[0].size(), 80u);
  EXPECT_EQ(dev.host.sounds[0][0], (56 - 128) * 256);
  EXPECT_EQ(dev.host.sounds[0][4], (200 - 128) * 256);
  EXPECT_EQ(dev.host.notes, (std::vector<std::string>{"sound resource wav_beep played"}));
  EXPECT_TRUE(dev.host.pauses.empty());
}

TEST_F(Sound, MissingResourcesAndNonModules) {
  EXPECT_FALSE(PlaySoundW(u"wav_pop", module, SND_RESOURCE | SND_ASYNC | SND_NODEFAULT));
  EXPECT_EQ(dev.host.notes.back(), "sound resource wav_pop missing");
  // A bitmap is no wave, even by a wave's name.
  EXPECT_FALSE(PlaySoundW(u"BMP_EIGHT", module, SND_RESOURCE | SND_ASYNC | SND_NODEFAULT));
  EXPECT_FALSE(PlaySoundW(u"wav_beep", nullptr, SND_RESOURCE | SND_ASYNC | SND_NODEFAULT));
  EXPECT_FALSE(PlaySoundW(u"wav_beep", reinterpret_cast<HMODULE>(intptr_t(-1)), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT));
  EXPECT_TRUE(dev.host.sounds.empty());

  dev.host.notes.clear();
  EXPECT_FALSE(PlaySoundW(u"wav_pop", module, SND_RESOURCE | SND_ASYNC));
  EXPECT_EQ(dev.host.notes, (std::vector<std::string>{"sound resource wav_pop missing", "sound default"}));
  EXPECT_EQ(dev.host.sounds.size(), 1u);
}

TEST_F(Sound, NoStopRefusesWhileASoundPlaysAndNullStops) {
  EXPECT_TRUE(PlaySoundW(u"wav_beep", module, SND_RESOURCE | SND_ASYNC));  // 10 ms
  EXPECT_FALSE(PlaySoundW(u"wav_beep", module, SND_RESOURCE | SND_ASYNC | SND_NOSTOP));
  dev.host.clock += 20;
  EXPECT_TRUE(PlaySoundW(u"wav_beep", module, SND_RESOURCE | SND_ASYNC | SND_NOSTOP));
  EXPECT_EQ(dev.host.sounds.size(), 2u);
  EXPECT_TRUE(sndPlaySoundW(nullptr, 0));
  EXPECT_TRUE(PlaySoundW(nullptr, nullptr, 0));
}

}  // namespace
