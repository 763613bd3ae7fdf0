#include "win_sound.h"

#include "key_sounds.h"

namespace dd {

WinSound::WinSound(HINSTANCE instance, const DrillRecords& records)
    : instance_(instance), records_(records) {
  initialisePlayer(player_);
}

void WinSound::play() { dd::play(player_, records_.settings, records_.state, records_.catalogue); }

void WinSound::close() { dd::close(player_); }

void WinSound::togglePause() { dd::togglePause(player_); }

void WinSound::playHit() { startClip(hitClipId(records_.settings.hitSound)); }

void WinSound::playMiss() { startClip(missClipId(records_.settings.missSound)); }

void WinSound::startClip(int clipId) {
  if (clipId == 0) return;
  if (clips_.running()) {
    clips_.request(clipId);
  } else {
    playClipId(instance_, clipId);
  }
}

}  // namespace dd
