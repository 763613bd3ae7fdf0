// The drill's own pseudo-random generator: a linear congruential generator with 15-bit output.
#pragma once

#include <cstdint>

namespace dd {

struct RandomSource {
  uint32_t state;
};

// The state becomes seed.
inline void seedRandom(RandomSource& random, uint32_t seed) { random.state = seed; }

// Steps the state and returns its bits 16 to 30 (0..32767).
inline int32_t nextRandom(RandomSource& random) {
  random.state = random.state * 214013u + 2531011u;
  return static_cast<int32_t>((random.state >> 16) & 0x7FFF);
}

}  // namespace dd
