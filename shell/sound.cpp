// The game's sounds: a wave file of the sound's name when the device has one,
// else the program's own wave resource; the refusal sound is the system's.
#include <windows.h>

#include "core/records.h"
#include "shell/shell.h"

namespace {

struct GameSound {
  int id;
  LPCWSTR file;
  LPCWSTR resource;
};

const GameSound kSounds[] = {
    {SOUND_POP, u"fzrb_pop.wav", u"wav_pop"},
    {SOUND_WOOPOP, u"fzrb_woopop.wav", u"wav_woopop"},
    {SOUND_END, u"fzrb_end.wav", u"wav_end"},
    {SOUND_HIGHSCORE, u"fzrb_highscore.wav", u"wav_highscore"},
    {SOUND_UNDO, u"fzrb_undo.wav", u"wav_undo"},
};

constexpr LPCWSTR kCriticalSound = u"Critical.wav";

}  // namespace

void playGameSound(int soundId) {
  if (!options.playSounds) return;
  if (soundId == SOUND_CRITICAL) {
    // Without SND_NODEFAULT the platform plays its own sound when the file is missing.
    sndPlaySoundW(kCriticalSound, SND_ASYNC);
    return;
  }
  for (const GameSound& sound : kSounds) {
    if (sound.id != soundId) continue;
    if (sndPlaySoundW(sound.file, SND_ASYNC | SND_NODEFAULT)) return;
    PlaySoundW(sound.resource, appInstance, SND_RESOURCE | SND_ASYNC);
    return;
  }
}
