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

// Starts an attempt at currentItem; startTick is false only when entered from Typing.
void beginAttempt(DrillController& drill, bool startTick);

// The four ways an attempt ends. The caller has already done what comes before step 1 (the
// hit sound and advanceReveal, advanceReveal alone, or setting elapsedMs for the auto reveal).
enum class FinishWay : int32_t {
  LastTargetTyped = 0,   // takes a best time unless assisted
  GaveUp = 1,            // Enter on Typing: assisted becomes true
  HintOnLastTarget = 2,  // no best time, assisted unchanged
  AutoReveal = 3,        // no best time, assisted unchanged
};
// Shows the result: screen Result, tick stopped, the way's own step, the recording, a repaint.
void finishAttempt(DrillController& drill, FinishWay way);

// Takes elapsedMs as the best time of currentItem when it is the first or faster in tenths.
void recordBestTime(DrillController& drill);

// How a way back to the Menu treats the tick.
enum class TickStop : int32_t {
  BeforeClose = 0,  // Escape
  AfterClose = 1,   // Backspace before the first sentence
  None = 2,         // Enter after the last result: no tick runs there
};
// Ends the run: screen Menu, player closed, tick stopped as told, whole window repainted.
void returnToMenu(DrillController& drill, TickStop tickStop);

// Puts or removes the check mark of currentItem and keeps checkedInRange in step.
void toggleCheck(DrillController& drill);

}  // namespace dd
