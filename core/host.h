// What the drill needs from its surroundings: the window (DrillHost) and sound (DrillSound).
// The Windows front end implements both; tests implement recording fakes.
#pragma once

#include <cstdint>

namespace dd {

// The layout rectangles the controller may ask to have repainted.
enum RepaintArea : int32_t {
  EnglishArea = 0,
  TimeArea,
  CheckArea,
  RangeArea,
  SpeedArea,
  JapaneseArea,
};
constexpr int kRepaintAreaCount = 6;

class DrillHost {
 public:
  // Repaints the whole client area, background erased, after the current entry returns.
  virtual void invalidateAll() = 0;
  // Repaints one layout rectangle, background erased.
  virtual void invalidateRect(RepaintArea area) = 0;
  // Starts (or restarts) the 100 ms tick; onTick follows about every 100 ms.
  virtual void startTick() = 0;
  // Stops the tick; no onTick arrives until the next startTick. Harmless when none runs.
  virtual void stopTick() = 0;
  // Unsigned 32-bit millisecond clock; only differences modulo 2^32 are meaningful.
  virtual uint32_t nowMs() = 0;
  // Runs the settings dialog modally; returns when it is closed.
  virtual void openSettingsDialog() = 0;
  // Runs the progress dialog modally; returns when it is closed.
  virtual void openProgressDialog() = 0;
  // Destroys the window; the player is closed and the message loop ends.
  virtual void closeWindow() = 0;

 protected:
  ~DrillHost() = default;
};

class DrillSound {
 public:
  // Opens the current item's recording at the current speed if none is open, then plays it
  // from the start.
  virtual void play() = 0;
  // Closes the open recording, if any; silence at once.
  virtual void close() = 0;
  // Pauses or resumes the open recording; nothing when none is open.
  virtual void togglePause() = 0;
  // Plays the hit clip chosen by the settings (or nothing), without waiting.
  virtual void playHit() = 0;
  // Plays the miss clip chosen by the settings (or nothing), without waiting.
  virtual void playMiss() = 0;

 protected:
  ~DrillSound() = default;
};

}  // namespace dd
