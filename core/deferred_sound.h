// Sound operations held back while one event is handled and started after its paint. Starting
// a clip or a recording can take milliseconds (a clip waits for the one before it to stop), and
// the screen need not wait for that. The drill never changes what a sound operation reads (the
// item, the speed, the clip settings) after calling it within the same event, so a held
// operation does what it would have done at once.
#pragma once

#include <cstdint>

#include "host.h"

namespace dd {

class DeferredSound final : public DrillSound {
 public:
  explicit DeferredSound(DrillSound& target) : target_(target) {}
  ~DeferredSound() { flush(); }
  DeferredSound(const DeferredSound&) = delete;
  DeferredSound& operator=(const DeferredSound&) = delete;

  void play() override { hold(Operation::Play); }
  void close() override { hold(Operation::Close); }
  void togglePause() override { hold(Operation::TogglePause); }
  void playHit() override { hold(Operation::PlayHit); }
  void playMiss() override { hold(Operation::PlayMiss); }

  // Runs the held operations on the target in the order they came; then none is held.
  void flush() {
    for (int32_t i = 0; i < count_; ++i) run(held_[i]);
    count_ = 0;
  }

  int32_t heldCount() const { return count_; }

 private:
  enum class Operation : uint8_t { Play, Close, TogglePause, PlayHit, PlayMiss };
  // An event makes at most three; a full store runs what it holds first, so nothing is lost
  // and the order is kept.
  static constexpr int32_t kCapacity = 8;

  void hold(Operation operation) {
    if (count_ == kCapacity) flush();
    held_[count_++] = operation;
  }

  void run(Operation operation) {
    switch (operation) {
      case Operation::Play:
        target_.play();
        break;
      case Operation::Close:
        target_.close();
        break;
      case Operation::TogglePause:
        target_.togglePause();
        break;
      case Operation::PlayHit:
        target_.playHit();
        break;
      case Operation::PlayMiss:
        target_.playMiss();
        break;
    }
  }

  DrillSound& target_;
  Operation held_[kCapacity] = {};
  int32_t count_ = 0;
};

}  // namespace dd
