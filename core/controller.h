// The engine of the drill: keys, characters and ticks move it through its three screens.
#pragma once

#include <cstdint>

#include "host.h"
#include "records.h"

namespace dd {

constexpr uint32_t kTickTimerId = 27000;
constexpr uint32_t kTickPeriodMs = 100;
constexpr int32_t kElapsedLimitMs = 600000;

// Virtual-key codes the drill acts on.
constexpr uint32_t kKeyBack = 0x08;
constexpr uint32_t kKeyTab = 0x09;
constexpr uint32_t kKeyReturn = 0x0D;
constexpr uint32_t kKeyControl = 0x11;
constexpr uint32_t kKeyEscape = 0x1B;
constexpr uint32_t kKeySpace = 0x20;
constexpr uint32_t kKeyDelete = 0x2E;
// The hint and check-mark character.
constexpr uint32_t kCharBackslash = 0x5C;

struct DrillController {
  DrillRecords& records;
  DrillHost& host;
  DrillSound& sound;
};

// A key-down with its virtual-key code.
void onKeyDown(DrillController& drill, uint32_t virtualKey);
// A character message with its character code.
void onChar(DrillController& drill, uint32_t code);
// The 100 ms tick.
void onTick(DrillController& drill);

// Steps of the drill, exposed for tests.
void beginAttempt(DrillController& drill, bool startTick);
void recordBestTime(DrillController& drill);
void toggleCheck(DrillController& drill);

}  // namespace dd
