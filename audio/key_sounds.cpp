#include "key_sounds.h"

#include <mmsystem.h>

#include "resource_ids.h"

namespace dd {

namespace {

int clipId(int32_t code, int standardId, int otherId) {
  return code == 1 ? standardId : code == 2 ? otherId : 0;
}

}  // namespace

int hitClipId(int32_t code) { return clipId(code, IDR_WAVE_HIT_STANDARD, IDR_WAVE_HIT_POP); }

int missClipId(int32_t code) { return clipId(code, IDR_WAVE_MISS_STANDARD, IDR_WAVE_MISS_MEOW); }

// SND_RESOURCE looks the id up among the module's "WAVE" resources.
void playClipId(HINSTANCE instance, int id) {
  if (id == 0) return;
  PlaySoundA(MAKEINTRESOURCEA(id), instance, SND_RESOURCE | SND_ASYNC);
}

void playHit(HINSTANCE instance, const PracticeSettings& settings) {
  playClipId(instance, hitClipId(settings.hitSound));
}

void playMiss(HINSTANCE instance, const PracticeSettings& settings) {
  playClipId(instance, missClipId(settings.missSound));
}

}  // namespace dd
