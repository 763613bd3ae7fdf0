// What one keystroke and one tick cost in the controller, against a plain 256-byte copy.
// Target: a hit within three times the plain copy.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

#include "bench/silent_sound.h"
#include "controller.h"
#include "matcher.h"
#include "records.h"
#include "text.h"

namespace {

class SilentHost final : public dd::DrillHost {
 public:
  void invalidateAll() override {}
  void invalidateRect(dd::RepaintArea) override {}
  void startTick() override {}
  void stopTick() override {}
  uint32_t nowMs() override { return clock; }
  void openSettingsDialog() override {}
  void openProgressDialog() override {}
  void closeWindow() override {}
  uint32_t clock = 0;
};

// A drill on the Typing screen at the first demo sentence.
struct Drill {
  std::unique_ptr<dd::DrillRecords> records = std::make_unique<dd::DrillRecords>();
  SilentHost host;
  ddbench::SilentSound sound;
  dd::DrillController controller{*records, host, sound};

  Drill() {
    dd::initialiseRecords(*records, 0);
    dd::onKeyDown(controller, dd::kKeyReturn);
  }
  const dd::SentenceText& english() const {
    return records->catalogue.items[records->state.currentItem].english;
  }
  // Back to the start of the sentence once it is done; one step in about a hundred.
  void restartWhenDone() {
    if (records->state.screen != dd::Typing) dd::onKeyDown(controller, dd::kKeyBack);
  }
};

void copy256(benchmark::State& s) {
  char source[256];
  char target[256];
  std::memset(source, 'a', sizeof source);
  for (auto _ : s) {
    benchmark::DoNotOptimize(source);
    std::memcpy(target, source, sizeof target);
    benchmark::DoNotOptimize(target);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(copy256);

// The same 256 bytes through the core's bounded text copy, which the reveal uses.
void copyText256(benchmark::State& s) {
  char source[256];
  char target[256];
  std::memset(source, 'a', sizeof source - 1);
  source[255] = 0;
  for (auto _ : s) {
    benchmark::DoNotOptimize(source);
    dd::copyText(target, source);
    benchmark::DoNotOptimize(target);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(copyText256);

void hit(benchmark::State& s) {
  Drill drill;
  // The keys come from outside, as from the keyboard: the sentence's letters and digits in
  // order, read once before the timing, so the loop does not time the reading of the state.
  char keys[dd::kTextSize];
  int32_t keyCount = 0;
  for (int32_t i = dd::findNextTarget(drill.english(), 0); i != -1;
       i = dd::findNextTarget(drill.english(), i + 1)) {
    keys[keyCount++] = drill.english()[i];
  }
  int32_t next = 0;
  bool followed = true;
  for (auto _ : s) {
    dd::onChar(drill.controller, static_cast<uint8_t>(keys[next]));
    if (++next == keyCount) {
      next = 0;
      followed = followed && drill.records->state.screen == dd::Result;
      drill.restartWhenDone();
    }
  }
  if (!followed) s.SkipWithError("the keys did not finish the sentence: not every key was a hit");
}
BENCHMARK(hit);

void miss(benchmark::State& s) {
  Drill drill;
  const uint8_t expected = dd::expectedByte(drill.records->state, drill.english());
  const uint32_t wrong = dd::keyMatches('Q', expected) ? 'Z' : 'Q';
  for (auto _ : s) dd::onChar(drill.controller, wrong);
}
BENCHMARK(miss);

void hint(benchmark::State& s) {
  Drill drill;
  for (auto _ : s) {
    dd::onChar(drill.controller, dd::kCharBackslash);
    drill.restartWhenDone();
  }
}
BENCHMARK(hint);

void tick(benchmark::State& s) {
  Drill drill;
  for (auto _ : s) {
    drill.host.clock += 100;
    dd::onTick(drill.controller);
  }
}
BENCHMARK(tick);

}  // namespace

BENCHMARK_MAIN();
