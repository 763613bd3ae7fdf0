#include "key_sounds.h"

#include <mmsystem.h>

#include "resource_ids.h"

namespace dd {

namespace {

// SND_RESOURCE looks the id up among the module's "WAVE" resources.
void playClip(HINSTANCE instance, int32_t code, int standardId, int otherId) {
  int id = code == 1 ? standardId : code == 2 ? otherId : 0;
  if (id == 0) return;
  PlaySoundA(MAKEINTRESOURCEA(id), instance, SND_RESOURCE | SND_ASYNC);
}

}  // namespace

void playHit(HINSTANCE instance, const PracticeSettings& settings) {
  playClip(instance, settings.hitSound, IDR_WAVE_HIT_STANDARD, IDR_WAVE_HIT_POP);
}

void playMiss(HINSTANCE instance, const PracticeSettings& settings) {
  playClip(instance, settings.missSound, IDR_WAVE_MISS_STANDARD, IDR_WAVE_MISS_MEOW);
}

}  // namespace dd
