// The drill's invariants, checked after every event by the random-stream test and the fuzzer.
#pragma once

#include "recording_fakes.h"

namespace ddtest {

// The first invariant the drill breaks, as a short message; nullptr when all hold.
const char* brokenInvariant(const FakeDrill& drill);

}  // namespace ddtest
