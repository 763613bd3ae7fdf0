// Recording stand-ins for the window and the sound, shared by the tests, the replay driver and
// the benchmark. Host and sound write into one call log, so their relative order is kept.
// Nothing here allocates once constructed.
#pragma once

#include <cstdint>

#include "controller.h"
#include "host.h"
#include "records.h"

namespace ddtest {

enum class Call : uint8_t {
  InvalidateAll,
  InvalidateEnglish,
  InvalidateTime,
  InvalidateCheck,
  InvalidateRange,
  InvalidateSpeed,
  InvalidateJapanese,
  StartTick,
  StopTick,
  NowMs,
  OpenSettingsDialog,
  OpenProgressDialog,
  CloseWindow,
  Play,
  Close,
  TogglePause,
  PlayHit,
  PlayMiss,
};

// The name the replay driver prints: "invalidateAll", "invalidateRect:englishRect", "play", ...
const char* callName(Call call);

// The calls of one stretch of events, in order. Calls past the capacity are counted only.
struct CallLog {
  static constexpr int kCapacity = 512;
  Call calls[kCapacity];
  int count = 0;
  int dropped = 0;

  void clear() {
    count = 0;
    dropped = 0;
  }
  void add(Call call) {
    if (count < kCapacity) {
      calls[count++] = call;
    } else {
      ++dropped;
    }
  }
};

// The window: logs every operation, keeps a settable clock and knows whether the tick runs.
class RecordingHost final : public dd::DrillHost {
 public:
  explicit RecordingHost(CallLog& log) : log_(log) {}

  void invalidateAll() override;
  void invalidateRect(dd::RepaintArea area) override;
  void startTick() override;
  void stopTick() override;
  uint32_t nowMs() override;
  void openSettingsDialog() override;
  void openProgressDialog() override;
  void closeWindow() override;

  uint32_t clock = 0;         // what nowMs returns
  bool tickRunning = false;   // between startTick and stopTick
  int tickStarts = 0;         // startTick calls so far
  bool windowClosed = false;  // closeWindow was called (the fake keeps answering)
  // Runs in place of the modal settings dialog when set, with settingsContext.
  void (*settingsDialog)(void* context) = nullptr;
  void* settingsContext = nullptr;

 private:
  CallLog& log_;
};

// The sentence player and key sounds: logs every operation and follows the player's open and
// paused flags as if every open succeeded.
class RecordingSound final : public dd::DrillSound {
 public:
  explicit RecordingSound(CallLog& log) : log_(log) {}

  void play() override;
  void close() override;
  void togglePause() override;
  void playHit() override;
  void playMiss() override;

  bool deviceOpen = false;
  bool paused = false;

 private:
  CallLog& log_;
};

// One whole drill with recording fakes: records at their start values, the generator seeded.
// The records are large; make it with new or as a static.
struct FakeDrill {
  dd::DrillRecords records;
  CallLog log;
  RecordingHost host{log};
  RecordingSound sound{log};
  dd::DrillController controller{records, host, sound};

  explicit FakeDrill(uint32_t seed = 0) { dd::initialiseRecords(records, seed); }
};

}  // namespace ddtest
