// The drill's sound on Windows: the sentence player and the key sounds over the live records.
#pragma once

#include <windows.h>

#include "host.h"
#include "records.h"
#include "sentence_player.h"

namespace dd {

class WinSound final : public DrillSound {
 public:
  // Reads settings, state and catalogue from records at each call; owns the player record.
  WinSound(HINSTANCE instance, const DrillRecords& records);

  void play() override;
  void close() override;
  void togglePause() override;
  void playHit() override;
  void playMiss() override;

  const SentencePlayer& player() const { return player_; }

 private:
  HINSTANCE instance_;
  const DrillRecords& records_;
  SentencePlayer player_{};
};

}  // namespace dd
