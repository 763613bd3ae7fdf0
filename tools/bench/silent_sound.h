// A sound that takes every call and plays nothing: what the benchmarks put in place of the
// real sound to time the drill's own share.
#pragma once

#include "host.h"

namespace ddbench {

class SilentSound final : public dd::DrillSound {
 public:
  void play() override {}
  void close() override {}
  void togglePause() override {}
  void playHit() override {}
  void playMiss() override {}
};

}  // namespace ddbench
