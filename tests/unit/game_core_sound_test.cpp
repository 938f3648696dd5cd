// Which sound an id plays: the device's file first, the built-in wave otherwise,
// the system's warning for 2005, nothing when sounds are off or the id is unknown.
#include <mmsystem.h>

#include "game_core_fixture.h"

namespace {

using coretest::Device;

TEST_F(Device, EachGameSoundFallsBackToItsBuiltInWave) {
  const std::pair<int, const char*> sounds[] = {{SOUND_POP, "wav_pop"},
                                                {SOUND_WOOPOP, "wav_woopop"},
                                                {SOUND_END, "wav_end"},
                                                {SOUND_HIGHSCORE, "wav_highscore"},
                                                {SOUND_UNDO, "wav_undo"}};
  for (auto [id, resource] : sounds) {
    host.notes.clear();
    host.sounds.clear();
    playGameSound(id);
    EXPECT_EQ(countNotes(std::string("sound resource ") + resource + " played"), 1) << id;
    EXPECT_EQ(host.sounds.size(), 1u) << id;
  }
}

TEST_F(Device, ASoundFileOnTheDeviceTakesThePlaceOfTheWave) {
  // Any wave will do: the built-in pop, copied to the device under the file's name.
  HRSRC found = FindResourceW(appInstance, u"WAV_POP", u"WAVE");
  ASSERT_NE(found, nullptr);
  HGLOBAL data = LoadResource(appInstance, found);
  std::ofstream(root / "Windows" / "fzrb_pop.wav", std::ios::binary)
      .write(static_cast<const char*>(LockResource(data)), std::streamsize(SizeofResource(appInstance, found)));
  playGameSound(SOUND_POP);
  EXPECT_EQ(countNotes("sound file fzrb_pop.wav played"), 1);
  EXPECT_EQ(countNotes("sound resource"), 0);
  EXPECT_EQ(host.sounds.size(), 1u);

  std::filesystem::remove(root / "Windows" / "fzrb_pop.wav");
  playGameSound(SOUND_POP);
  EXPECT_EQ(countNotes("sound resource wav_pop played"), 1);
}

TEST_F(Device, TheWarningIsTheSystemsOwnSound) {
  playGameSound(SOUND_CRITICAL);
  EXPECT_EQ(countNotes("Critical.wav"), 1);
  EXPECT_EQ(countNotes("sound resource"), 0);
}

TEST_F(Device, SilentWhenSoundsAreOffOrTheIdIsUnknown) {
  for (int id : {2004, 1999, 2007, 0, -1}) playGameSound(id);
  EXPECT_TRUE(host.notes.empty());
  EXPECT_TRUE(host.sounds.empty());
  options.playSounds = 0;
  for (int id : {SOUND_POP, SOUND_WOOPOP, SOUND_END, SOUND_HIGHSCORE, SOUND_CRITICAL, SOUND_UNDO}) playGameSound(id);
  EXPECT_TRUE(host.notes.empty());
  EXPECT_TRUE(host.sounds.empty());
}

}  // namespace
