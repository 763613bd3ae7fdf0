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

void WinSound::playHit() { dd::playHit(instance_, records_.settings); }

void WinSound::playMiss() { dd::playMiss(instance_, records_.settings); }

}  // namespace dd
