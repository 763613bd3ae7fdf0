// The drill's sound on Windows: the sentence player and the key sounds over the live records.
#pragma once

#include <windows.h>

#include "clip_thread.h"
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

  // From here on the key clips start on a thread of their own; false (clips keep starting on
  // the caller's thread) when no thread can be had.
  bool startClipThread() { return clips_.start(instance_); }
  // Back to starting the clips on the caller's thread; call before the program ends.
  void stopClipThread() { clips_.stop(); }

  const SentencePlayer& player() const { return player_; }
  const ClipThread& clips() const { return clips_; }

 private:
  void startClip(int clipId);

  HINSTANCE instance_;
  const DrillRecords& records_;
  SentencePlayer player_{};
  ClipThread clips_;
};

}  // namespace dd
